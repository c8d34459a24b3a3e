// What the operator sees: the window read back from the X server, in-process
// and from the real velt-loader program.
// gtest before the toolkit's drawing header, which brings in X11's macros.
#include "tests/app/app_fixture.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/operations.h"
#include "firmware/firmware_images.h"
#include "runner/job_identity.h"
#include "record/job_record.h"
#include "resources/button_images.h"
#include "tests/app/window_pixels.h"
#include "tests/app/xpm.h"
#include "tests/support/file_text.h"

namespace {

// Pixels of the region whose colour is one of the picture's own colours.
int PicturePixelsIn(const WindowPixels& screen, int x, int y, int w, int h,
                    const char* const* xpm) {
  XpmPicture picture;
  if (!ParseXpm(xpm, &picture)) return -1;
  const std::set<Rgb> colours = OpaqueColours(picture);
  int count = 0;
  for (int row = y; row < y + h; ++row) {
    for (int column = x; column < x + w; ++column) {
      count += colours.count(screen.At(column, row)) ? 1 : 0;
    }
  }
  return count;
}

int OpaquePixels(const char* const* xpm) {
  XpmPicture picture;
  if (!ParseXpm(xpm, &picture)) return -1;
  int count = 0;
  for (bool t : picture.transparent) count += t ? 0 : 1;
  return count;
}

struct ButtonPicture {
  int column;
  const char* const* idle;
  const char* const* busy;
};
const ButtonPicture buttonPictures[] = {
    {0, loadFirmwareXpm, loadFirmwareBusyXpm},
    {1, writeCoefficientsXpm, writeCoefficientsBusyXpm},
    {2, resetCoefficientsXpm, resetCoefficientsBusyXpm},
    {3, exitXpm, exitXpm},
};
constexpr int buttonTop = 23;
constexpr int buttonWidth = 56;
constexpr int buttonHeight = 48;
// Most of a picture's pixels keep their exact colour on screen.
constexpr double drawnShare = 0.8;
// Long enough for the server to map the window and for it to be drawn.
constexpr double drawSeconds = 0.3;

class WindowScreenshotTest : public AppTest {
 protected:
  static WindowPixels ReadWindow() { return ReadMainWindow(); }

  static void ExpectPictures(const WindowPixels& screen, bool busy) {
    for (const ButtonPicture& b : buttonPictures) {
      const char* const* xpm = busy ? b.busy : b.idle;
      EXPECT_GE(PicturePixelsIn(screen, b.column * buttonWidth, buttonTop, buttonWidth,
                                buttonHeight, xpm),
                drawnShare * OpaquePixels(xpm))
          << "button " << b.column << (busy ? " busy" : " idle");
    }
  }
};

TEST_F(WindowScreenshotTest, WindowShowsItsPicturesAndColouredLogLines) {
  StartProgram();
  logBrowser->add("@C1Порт не выбран.");
  logBrowser->add("@C4Проверка прошла.");
  PumpFor(drawSeconds);
  WindowPixels screen = ReadWindow();
  ASSERT_EQ(screen.width, 224);
  ASSERT_EQ(screen.height, 471);
  ExpectPictures(screen, false);
  const int logTop = 71;
  const int lineHeight = 20;
  EXPECT_GT(PixelsOfColour(screen, 0, logTop, 224, lineHeight, {255, 0, 0}), 30);
  EXPECT_EQ(PixelsOfColour(screen, 0, logTop, 224, lineHeight, {0, 0, 255}), 0);
  EXPECT_GT(PixelsOfColour(screen, 0, logTop + lineHeight, 224, lineHeight, {0, 0, 255}), 30);
}

TEST_F(WindowScreenshotTest, BusyPicturesAreDrawnWhileAnOperationRuns) {
  StartOnDevice(SlowDevice(10));
  PumpFor(drawSeconds);
  loadFirmwareButton->do_callback();
  PumpFor(drawSeconds);
  ASSERT_EQ(operationBusy, 1);
  ExpectPictures(ReadWindow(), true);
  ASSERT_TRUE(WaitIdle());
  PumpFor(drawSeconds);
  ExpectPictures(ReadWindow(), false);
}

// Runs a shell command and returns its standard output.
std::string Output(const std::string& command) {
  std::string text;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return text;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
  pclose(pipe);
  return text;
}

// A P6 image as ImageMagick's import writes it.
bool ParsePpm(const std::string& data, WindowPixels* screen) {
  int width = 0, height = 0, maximum = 0, used = 0;
  if (std::sscanf(data.c_str(), "P6 %d %d %d%n", &width, &height, &maximum, &used) != 3) {
    return false;
  }
  ++used;  // the single white space after the header
  if (maximum != 255 || data.size() < size_t(used) + 3u * width * height) return false;
  screen->width = width;
  screen->height = height;
  screen->rgb.assign(data.begin() + used, data.begin() + used + 3 * width * height);
  return true;
}

// The real velt-loader, started with this test's port mapping (and a job
// record when given one); stopped at the end of the scope.
class RunningProgram {
 public:
  explicit RunningProgram(const std::string& recordPath = "") {
    child = fork();
    if (child == 0) {
      if (recordPath.empty()) {
        execl(VELT_LOADER_PROGRAM, "velt-loader", static_cast<char*>(nullptr));
      } else {
        // Any other argument is ignored, as it always was.
        execl(VELT_LOADER_PROGRAM, "velt-loader", "--ignored", "--record", recordPath.c_str(),
              static_cast<char*>(nullptr));
      }
      _exit(127);
    }
  }
  ~RunningProgram() {
    if (child <= 0) return;
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
  }
  bool Started() const { return child > 0; }

  // The X id of its main window, or "" when none appeared.
  std::string FindWindow() const {
    const std::string title = "Загрузчик для ВЕЛТ";
    for (int attempt = 0; attempt < windowSearchAttempts; ++attempt) {
      usleep(windowSearchPauseMicroseconds);
      // The instance name is the program's own window class.
      std::string ids =
          Output("xdotool search --onlyvisible --classname '^velt-loader$' 2>/dev/null");
      size_t start = 0;
      while (start < ids.size()) {
        size_t end = ids.find('\n', start);
        std::string id = ids.substr(start, end - start);
        start = end == std::string::npos ? ids.size() : end + 1;
        if (!id.empty() && Output("xdotool getwindowname " + id) == title + "\n") return id;
      }
    }
    return "";
  }

  static bool Capture(const std::string& windowId, WindowPixels* screen) {
    usleep(drawPauseMicroseconds);
    return ParsePpm(Output("import -window " + windowId + " -depth 8 ppm:- 2>/dev/null"), screen);
  }

 private:
  static constexpr int windowSearchAttempts = 100;
  static constexpr int windowSearchPauseMicroseconds = 100 * 1000;
  static constexpr int drawPauseMicroseconds = 300 * 1000;
  pid_t child = -1;
};

TEST_F(WindowScreenshotTest, RealProgramOpensA224By471WindowWithItsPictures) {
  // The program under test runs on its own; it must not find a window of ours.
  ASSERT_EQ(Fl::first_window(), nullptr);
  RunningProgram program;
  ASSERT_TRUE(program.Started());
  const std::string windowId = program.FindWindow();
  ASSERT_FALSE(windowId.empty()) << "velt-loader showed no window";
  WindowPixels screen;
  ASSERT_TRUE(RunningProgram::Capture(windowId, &screen));
  EXPECT_EQ(screen.width, 224);
  EXPECT_EQ(screen.height, 471);
  ExpectPictures(screen, false);
}

TEST_F(WindowScreenshotTest, RealProgramLoadsFirmwareWhenItsButtonIsClicked) {
  Simulator& device = AttachDevice(1);
  ASSERT_EQ(Fl::first_window(), nullptr);
  const std::string record = MakeWorkDirectory() + "/jobs.csv";
  RunningProgram program(record);
  ASSERT_TRUE(program.Started());
  const std::string windowId = program.FindWindow();
  ASSERT_FALSE(windowId.empty()) << "velt-loader showed no window";

  const std::string click = "xdotool mousemove --window " + windowId + " 28 47 click 1";
  ASSERT_EQ(std::system(click.c_str()), 0);
  ASSERT_TRUE(PumpUntil([&] { return device.ApplicationRunning(); }, 120));
  // The program is done once its buttons show their idle pictures again.
  WindowPixels screen;
  ASSERT_TRUE(PumpUntil([&] {
    return RunningProgram::Capture(windowId, &screen) &&
           PicturePixelsIn(screen, 0, buttonTop, buttonWidth, buttonHeight, loadFirmwareXpm) >=
               drawnShare * OpaquePixels(loadFirmwareXpm);
  }, 30));

  // Its nine blue lines, and nothing else, reached the log.
  const int logTop = 71;
  const int lineHeight = 17;
  const Rgb blue{0, 0, 255};
  for (int line = 0; line < 9; ++line) {
    EXPECT_GT(PixelsOfColour(screen, 2, logTop + line * lineHeight, 200, lineHeight, blue), 5)
        << "line " << line + 1;
  }
  EXPECT_EQ(PixelsOfColour(screen, 2, logTop + 9 * lineHeight, 200, lineHeight, blue), 0);
  EXPECT_EQ(PixelsOfColour(screen, 0, logTop, 224, 400, {255, 0, 0}), 0);

  // --record: one row after the header, before the buttons were idle again.
  const std::string rows = FileText(record);
  ASSERT_EQ(rows.compare(0, RecordHeader().size(), RecordHeader()), 0) << rows;
  const std::string row = rows.substr(RecordHeader().size());
  EXPECT_EQ(std::count(row.begin(), row.end(), '\n'), 1) << row;
  EXPECT_NE(row.find(";COM1;firmware;started;0;"), std::string::npos) << row;
  EXPECT_NE(row.find(";149;149;" + FirmwareSha256(BuiltInFirmwareTables()) + ";;;"),
            std::string::npos)
      << row;
  EXPECT_NE(row.find(";Запуск.;;\r\n"), std::string::npos) << row;
}

}  // namespace
