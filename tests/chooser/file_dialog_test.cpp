#include "chooser/file_dialog.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_File_Browser.H>
#include <FL/Fl_File_Input.H>
#include <FL/Fl_Return_Button.H>
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "chooser/file_name_order.h"
#include "resources/chooser_images.h"
#include "tests/chooser/dialog_events.h"
#include "tests/chooser/temp_tree.h"

namespace {

const char* const chooserTitle = "Выберите файл с коэффициентами";

int doneCalls = 0;
std::string donePath;
void recordDone(void* data, const char* path) {
  doneCalls += *static_cast<int*>(data);
  donePath = path;
}

class FileDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(makeTempTree(&tree), 0);
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    savedDirectory = cwd;
  }

  void TearDown() override {
    closeDialog();
    if (chdir(savedDirectory.c_str()) != 0) ADD_FAILURE() << "cannot return to " << savedDirectory;
  }

  // As the program opens it: start directory, its own order, shown.
  FileDialog* openDialog(const std::string& start, int mode = MODE_CREATE,
                         Fl_File_Sort_F* sort = compareFileNames) {
    dialog = new FileDialog("*.koeff", mode, chooserTitle);
    dialog->setStartDirectory(start.c_str());
    dialog->sortFunction = sort;
    dialog->show();
    Fl::check();
    return dialog;
  }

  void closeDialog() {
    if (dialog == nullptr) return;
    dialog->window->hide();
    delete dialog->window;
    delete dialog;
    dialog = nullptr;
  }

  std::string at(const std::string& relative) const { return tree.root + "/" + relative; }
  std::string field() const { return dialog->nameField->value(); }
  bool openActive() const { return dialog->openButton->active() != 0; }

  int lineOf(const char* text) const {
    for (int line = 1; line <= dialog->browser->size(); ++line) {
      if (std::strcmp(dialog->browser->text(line), text) == 0) return line;
    }
    return 0;
  }

  std::string selectedLine() const {
    int line = dialog->browser->value();
    return line > 0 ? dialog->browser->text(line) : "";
  }

  // Counts the done callback's calls in doneCalls from now on.
  void watchDone() {
    static int one = 1;
    doneCalls = 0;
    dialog->setDoneCallback(recordDone, &one);
  }

  void doubleClick(const char* text) {
    int line = lineOf(text);
    ASSERT_GT(line, 0) << text << " is not listed";
    ASSERT_TRUE(clickLine(dialog, line, 0));
    ASSERT_TRUE(clickLine(dialog, line, 1));
  }

  TempTree tree;
  std::string savedDirectory;
  FileDialog* dialog = nullptr;
};

TEST_F(FileDialogTest, WindowAndWidgetsAsLaidOut) {
  openDialog(tree.root);
  Fl_Double_Window* window = dialog->window;
  EXPECT_STREQ(window->label(), chooserTitle);
  EXPECT_EQ(window->w(), 330);
  EXPECT_EQ(window->h(), 377);
  EXPECT_TRUE(window->modal());
  EXPECT_EQ(window->resizable(), dialog->browser);
  EXPECT_EQ(window->user_data(), dialog);

  struct Expected {
    int x, y, w, h;
    const char* label;
    const char* tooltip;
  };
  const Expected widgets[] = {
      {14, 14, 25, 25, nullptr, "Вверх"},     {47, 14, 25, 25, nullptr, "Перечитать"},
      {14, 46, 300, 275, nullptr, nullptr},   {80, 14, 102, 25, "Открыть", nullptr},
      {190, 14, 83, 25, "Отмена", nullptr},  {14, 328, 301, 35, nullptr, nullptr},
  };
  ASSERT_EQ(window->children(), 6);
  for (int i = 0; i < 6; ++i) {
    Fl_Widget* widget = window->child(i);
    EXPECT_EQ(widget->x(), widgets[i].x) << i;
    EXPECT_EQ(widget->y(), widgets[i].y) << i;
    EXPECT_EQ(widget->w(), widgets[i].w) << i;
    EXPECT_EQ(widget->h(), widgets[i].h) << i;
    EXPECT_STREQ(widget->label(), widgets[i].label) << i;
    EXPECT_STREQ(widget->tooltip(), widgets[i].tooltip) << i;
  }
  EXPECT_EQ(window->child(0)->image(), &folderUpImage);
  EXPECT_EQ(window->child(1)->image(), &rereadImage);
  EXPECT_EQ(window->child(2), dialog->browser);
  EXPECT_EQ(window->child(3), dialog->openButton);
  EXPECT_EQ(window->child(5), dialog->nameField);
  EXPECT_EQ(dialog->browser->type(), FL_HOLD_BROWSER);
  EXPECT_EQ(dialog->browser->textsize(), 12);
  EXPECT_EQ(dialog->browser->iconsize(), 18);
  EXPECT_EQ(dialog->openButton->labelsize(), 12);
  EXPECT_EQ(dialog->nameField->textsize(), 12);
  EXPECT_EQ(folderUpImage.w(), 20);
  EXPECT_EQ(rereadImage.h(), 20);
}

TEST_F(FileDialogTest, WithoutTitleKeepsItsOwnLabel) {
  dialog = new FileDialog(nullptr, 0, nullptr);
  EXPECT_STREQ(dialog->window->label(), "Выбор файла");
  EXPECT_EQ(dialog->doneCallback, nullptr);
  EXPECT_EQ(dialog->sortFunction, fl_casenumericsort);
  EXPECT_STREQ(dialog->browser->filter(), "*");
}

TEST_F(FileDialogTest, StartsInTheWorkingDirectoryWithTheFieldFocused) {
  ASSERT_EQ(addFile(tree, "a.koeff"), 0);
  ASSERT_EQ(chdir(tree.root.c_str()), 0);
  openDialog(".");
  EXPECT_STREQ(dialog->directory, tree.root.c_str());
  EXPECT_EQ(field(), tree.root + "/");
  EXPECT_FALSE(openActive());
  EXPECT_EQ(Fl::focus(), dialog->nameField);
  EXPECT_EQ(listedLines(dialog), "../ a.koeff");
}

TEST_F(FileDialogTest, ListsInTheInstalledOrderDirectoriesFirst) {
  for (const char* name : {"Beta.koeff", "alpha.koeff", "10.koeff", "Ёлка.koeff", "Ель.koeff",
                           "Жук.koeff", "notes.txt"}) {
    ASSERT_EQ(addFile(tree, name), 0);
  }
  for (const char* name : {"Beta", "alpha", "10"}) ASSERT_EQ(addDirectory(tree, name), 0);
  openDialog(tree.root);
  EXPECT_EQ(listedLines(dialog),
            "../ 10/ Beta/ alpha/ 10.koeff Beta.koeff alpha.koeff Ель.koeff Ёлка.koeff Жук.koeff");
  // A mode change relists in the same order.
  dialog->setMode(MODE_CREATE);
  EXPECT_EQ(listedLines(dialog),
            "../ 10/ Beta/ alpha/ 10.koeff Beta.koeff alpha.koeff Ель.koeff Ёлка.koeff Жук.koeff");
}

// Folders are ordered with the '/' they are shown with, whichever order is
// installed: "d/" sorts after "d 2/", "d.old/" and "d-x/", not before them.
TEST_F(FileDialogTest, FoldersSharingABeginningListAsShown) {
  for (const char* name : {"d", "d 2", "d.old", "d-x", "e"}) ASSERT_EQ(addDirectory(tree, name), 0);
  ASSERT_EQ(addFile(tree, "d.koeff"), 0);
  const struct {
    Fl_File_Sort_F* sort;
    const char* listed;
  } orders[] = {
      {compareFileNames, "../ d 2/ d.old/ d-x/ d/ e/ d.koeff"},
      {fl_casenumericsort, "../ d 2/ d-x/ d.old/ d/ e/ d.koeff"},
  };
  for (const auto& order : orders) {
    openDialog(tree.root, MODE_CREATE, order.sort);
    EXPECT_EQ(listedLines(dialog), order.listed);
    dialog->setMode(MODE_CREATE);
    EXPECT_EQ(listedLines(dialog), order.listed) << "after a mode change";
    dialog->changeDirectory((tree.root + "/d").c_str());
    dialog->goUp();
    EXPECT_EQ(listedLines(dialog), order.listed) << "after going up";
    closeDialog();
  }
}

// Cancel, the close box and Escape all hide the dialog with an empty result.
enum class WayOut { cancel, closeBox, escape };

class WayOutTest : public FileDialogTest, public ::testing::WithParamInterface<WayOut> {};

TEST_P(WayOutTest, LeavesAnEmptyValue) {
  ASSERT_EQ(addFile(tree, "new.koeff"), 0);
  openDialog(tree.root);
  typeText(dialog, "n");
  ASSERT_EQ(field(), at("new.koeff"));
  switch (GetParam()) {
    case WayOut::cancel:
      clickWidget(dialog, dialog->window->child(4));
      break;
    case WayOut::closeBox:
      dialog->window->do_callback();  // what FLTK does when the window manager closes it
      break;
    case WayOut::escape:
      pressKey(dialog, FL_Escape);
      break;
  }
  EXPECT_FALSE(dialog->window->shown());
  ASSERT_NE(dialog->value(), nullptr);
  EXPECT_STREQ(dialog->value(), "");
  EXPECT_EQ(dialog->browser->value(), 0);
}

INSTANTIATE_TEST_SUITE_P(Chooser, WayOutTest,
                         ::testing::Values(WayOut::cancel, WayOut::closeBox, WayOut::escape));

TEST_F(FileDialogTest, DoubleClickOnParentListsTheParent) {
  for (const char* name : {"a", "a/b"}) ASSERT_EQ(addDirectory(tree, name), 0);
  openDialog(at("a/b"));
  doubleClick("../");
  EXPECT_STREQ(dialog->directory, at("a").c_str());
  EXPECT_EQ(field(), at("a/"));
  EXPECT_EQ(listedLines(dialog), "../ b/");
  doubleClick("../");
  EXPECT_STREQ(dialog->directory, tree.root.c_str());
  EXPECT_EQ(listedLines(dialog), "../ a/");
}

TEST_F(FileDialogTest, ChangeDirectoryFoldsDotsAndSeparators) {
  openDialog(tree.root);
  struct Case {
    const char* path;
    const char* directory;
  };
  const Case cases[] = {
      {"/x/a/b/..", "/x/a"}, {"/x/a/b/../", "/x/a"}, {"/x/a/.", "/x/a"}, {"/x/a/", "/x/a"},
      {"/x/..", "/"},        {"/..", "/"},           {"/.", "/"},       {"/", "/"},
      {"//", "/"},           {"", ""},
  };
  for (const Case& c : cases) {
    dialog->changeDirectory(c.path);
    EXPECT_STREQ(dialog->directory, c.directory) << c.path;
  }
  ASSERT_EQ(chdir(tree.root.c_str()), 0);
  dialog->changeDirectory(nullptr);
  EXPECT_STREQ(dialog->directory, tree.root.c_str());
  dialog->changeDirectory("..");
  EXPECT_EQ(std::string(dialog->directory), tree.root.substr(0, tree.root.rfind('/')));
}

TEST_F(FileDialogTest, UpGoesOneLevelFromTheField) {
  for (const char* name : {"a", "a/b"}) ASSERT_EQ(addDirectory(tree, name), 0);
  openDialog(at("a/b"));
  Fl_Widget* up = dialog->window->child(0);
  clickWidget(dialog, up);
  EXPECT_STREQ(dialog->directory, at("a").c_str());
  EXPECT_EQ(field(), at("a/"));

  dialog->setValue(at("a/b/x.koeff").c_str());
  EXPECT_STREQ(dialog->directory, at("a/b").c_str());
  clickWidget(dialog, up);
  EXPECT_STREQ(dialog->directory, at("a/b").c_str());
}

TEST_F(FileDialogTest, UpFromTheRootListsTheRootListAndNoSlashIsDoubled) {
  openDialog(tree.root);
  dialog->changeDirectory("/");
  EXPECT_EQ(field(), "/");
  clickWidget(dialog, dialog->window->child(0));
  EXPECT_STREQ(dialog->directory, "");
  EXPECT_EQ(field(), "");
  ASSERT_GT(dialog->browser->size(), 0);
  EXPECT_STREQ(dialog->browser->text(1), "/");  // the root, then the mount points

  // In the root list a single click names "/", a double click lists it.
  ASSERT_TRUE(clickLine(dialog, 1, 0));
  EXPECT_EQ(field(), "/");
  ASSERT_TRUE(clickLine(dialog, 1, 1));
  EXPECT_STREQ(dialog->directory, "/");

  // Entries of "/" are "/name", never "//name".
  ASSERT_GT(lineOf("tmp/"), 0);
  ASSERT_TRUE(clickLine(dialog, lineOf("tmp/"), 0));
  EXPECT_EQ(field(), "/tmp");
  ASSERT_TRUE(clickLine(dialog, lineOf("tmp/"), 1));
  EXPECT_STREQ(dialog->directory, "/tmp");
  EXPECT_EQ(field(), "/tmp/");
}

TEST_F(FileDialogTest, ClicksOnFilesAndDirectories) {
  ASSERT_EQ(addFile(tree, "one.koeff"), 0);
  ASSERT_EQ(addDirectory(tree, "sub"), 0);
  openDialog(tree.root);
  watchDone();

  ASSERT_TRUE(clickLine(dialog, lineOf("sub/"), 0));
  EXPECT_EQ(field(), at("sub"));
  EXPECT_FALSE(openActive());  // a directory leaves Open as it was
  ASSERT_TRUE(clickLine(dialog, lineOf("one.koeff"), 0));
  EXPECT_EQ(field(), at("one.koeff"));
  EXPECT_TRUE(openActive());
  ASSERT_TRUE(clickLine(dialog, lineOf("one.koeff"), 1));
  EXPECT_FALSE(dialog->window->shown());
  EXPECT_EQ(doneCalls, 1);
  EXPECT_EQ(donePath, at("one.koeff"));
  EXPECT_EQ(dialog->value(), at("one.koeff"));
}

TEST_F(FileDialogTest, OpenCallsDoneAndHides) {
  ASSERT_EQ(addFile(tree, "one.koeff"), 0);
  openDialog(tree.root);
  watchDone();
  typeText(dialog, "o");
  ASSERT_TRUE(openActive());
  clickWidget(dialog, dialog->openButton);
  EXPECT_FALSE(dialog->window->shown());
  EXPECT_EQ(doneCalls, 1);
  EXPECT_EQ(donePath, at("one.koeff"));
  EXPECT_EQ(dialog->selectedFile(0), at("one.koeff"));
}

TEST_F(FileDialogTest, TypingCompletesASingleFile) {
  for (const char* name : {"new.koeff", "other.koeff"}) ASSERT_EQ(addFile(tree, name), 0);
  openDialog(tree.root);
  typeText(dialog, "n");
  const int offset = static_cast<int>(tree.root.size()) + 1;
  EXPECT_EQ(field(), at("new.koeff"));
  EXPECT_EQ(dialog->nameField->position(), dialog->nameField->size());  // cursor at the end
  EXPECT_EQ(dialog->nameField->mark(), offset + 1);                     // "ew.koeff" selected
  EXPECT_EQ(selectedLine(), "new.koeff");
  EXPECT_TRUE(openActive());
}

TEST_F(FileDialogTest, TypingCompletesTwoFilesToTheirCommonPrefix) {
  for (const char* name : {"new1.koeff", "new2.koeff", "old.koeff"}) {
    ASSERT_EQ(addFile(tree, name), 0);
  }
  openDialog(tree.root, 0);
  typeText(dialog, "n");
  const int offset = static_cast<int>(tree.root.size()) + 1;
  EXPECT_EQ(field(), at("new"));
  EXPECT_EQ(dialog->nameField->position(), offset + 3);
  EXPECT_EQ(dialog->nameField->mark(), offset + 1);
  EXPECT_EQ(selectedLine(), "");
  EXPECT_FALSE(openActive());  // "new" does not exist and the mode needs it to

  // Typing on replaces the proposed characters; End keeps them.
  pressKey(dialog, FL_End);
  typeText(dialog, "2");
  EXPECT_EQ(field(), at("new2.koeff"));
  EXPECT_EQ(selectedLine(), "new2.koeff");
  EXPECT_TRUE(openActive());
}

TEST_F(FileDialogTest, DirectoryCompletionOmitsItsSlashAndKeepsOpenInactive) {
  ASSERT_EQ(addDirectory(tree, "sub"), 0);
  ASSERT_EQ(addFile(tree, "sub/inner.koeff"), 0);
  ASSERT_EQ(addFile(tree, "top.koeff"), 0);
  openDialog(tree.root);
  typeText(dialog, "s");
  EXPECT_EQ(field(), at("sub"));
  EXPECT_FALSE(openActive());
  // Typing the separator lists the directory and keeps what was typed.
  pressKey(dialog, FL_End);
  typeText(dialog, "/");
  EXPECT_STREQ(dialog->directory, at("sub").c_str());
  EXPECT_EQ(field(), at("sub/"));
  EXPECT_EQ(listedLines(dialog), "../ inner.koeff");
  pressKey(dialog, FL_Enter);  // the lone file is not proposed, so Enter stays in sub
  EXPECT_TRUE(dialog->window->shown());
  EXPECT_EQ(field(), at("sub/"));
}

TEST_F(FileDialogTest, CreateModeOpensForNewNamesButNotForDirectories) {
  ASSERT_EQ(addDirectory(tree, "sub"), 0);
  openDialog(tree.root);
  typeText(dialog, "fresh");
  EXPECT_EQ(field(), at("fresh"));
  EXPECT_TRUE(openActive());
  pressKey(dialog, FL_BackSpace);
  EXPECT_EQ(field(), at("fres"));
  EXPECT_FALSE(openActive());
  typeText(dialog, "h");
  EXPECT_TRUE(openActive());

  dialog->setValue(at("sub").c_str());
  pressKey(dialog, FL_End);
  typeText(dialog, "/");  // the field now names the directory itself
  EXPECT_EQ(field(), at("sub/"));
  EXPECT_FALSE(openActive());
  // The only entry of the empty sub is "../", which is not proposed.
  EXPECT_EQ(listedLines(dialog), "../");
  pressKey(dialog, FL_Enter);
  EXPECT_STREQ(dialog->directory, at("sub").c_str());
}

TEST_F(FileDialogTest, WithoutCreateModeOnlyExistingNamesOpen) {
  ASSERT_EQ(addFile(tree, "have.koeff"), 0);
  openDialog(tree.root, 0);
  typeText(dialog, "zz");
  EXPECT_FALSE(openActive());
  pressKey(dialog, FL_Enter);
  EXPECT_TRUE(dialog->window->shown());  // refused without a message
}

TEST_F(FileDialogTest, EnterAcceptsATypedExistingFileWithoutPressingOpen) {
  ASSERT_EQ(addFile(tree, "have.koeff"), 0);
  openDialog(tree.root, 0);
  watchDone();
  typeText(dialog, "h");
  ASSERT_EQ(field(), at("have.koeff"));
  pressKey(dialog, FL_Enter);
  EXPECT_FALSE(dialog->window->shown());
  EXPECT_EQ(dialog->value(), at("have.koeff"));
  EXPECT_EQ(doneCalls, 0);  // Open was not pressed
}

TEST_F(FileDialogTest, EnterOpensATypedDirectoryAndAcceptsANewNameInCreateMode) {
  ASSERT_EQ(addDirectory(tree, "sub"), 0);
  openDialog(tree.root);
  typeText(dialog, "s");
  pressKey(dialog, FL_Enter);
  EXPECT_TRUE(dialog->window->shown());
  EXPECT_STREQ(dialog->directory, at("sub").c_str());
  EXPECT_EQ(field(), at("sub/"));

  typeText(dialog, "made.koeff");
  pressKey(dialog, FL_KP_Enter);
  EXPECT_FALSE(dialog->window->shown());
  EXPECT_EQ(dialog->value(), at("sub/made.koeff"));
}

TEST_F(FileDialogTest, ARelativeNameIsTakenFromTheWorkingDirectory) {
  ASSERT_EQ(addFile(tree, "rel.koeff"), 0);
  ASSERT_EQ(chdir(tree.root.c_str()), 0);
  openDialog(".");
  dialog->nameField->value("");
  typeText(dialog, "r");
  EXPECT_EQ(field(), "rel.koeff");
  EXPECT_EQ(selectedLine(), "rel.koeff");
}

// Typed key by key, relative or absolute, the field holds exactly what was
// typed plus the proposal, which alone is selected: typing on replaces it.
struct TypedName {
  const char* typed;     // relative to the working directory unless absolute
  bool absolute;         // typed after the tree's root and a '/'
  const char* expected;  // the field afterwards, in the same form
  const char* listed;    // the directory listed, relative to the tree
};

// What was typed names the row, rather than the bytes of its pointers.
void PrintTo(const TypedName& name, std::ostream* out) {
  *out << (name.absolute ? "root/" : "") << name.typed;
}

class TypedNameTest : public FileDialogTest, public ::testing::WithParamInterface<TypedName> {};

TEST_P(TypedNameTest, KeepsEveryTypedCharacter) {
  const TypedName& name = GetParam();
  ASSERT_EQ(addDirectory(tree, "Поверка 2026"), 0);
  for (const char* file : {"alpha.koeff", "beta.koeff", "Поверка 2026/ВЕЛТ №3.koeff"}) {
    ASSERT_EQ(addFile(tree, file), 0);
  }
  ASSERT_EQ(chdir(tree.root.c_str()), 0);
  openDialog(".");
  const std::string prefix = name.absolute ? tree.root + "/" : "";
  const std::string typed = prefix + name.typed;
  dialog->nameField->value("");
  typeText(dialog, typed.c_str());
  const std::string expected = prefix + name.expected;
  EXPECT_EQ(field(), expected);
  EXPECT_EQ(dialog->nameField->mark(), static_cast<int>(typed.size()));
  EXPECT_EQ(dialog->nameField->position(), static_cast<int>(expected.size()));
  EXPECT_EQ(dialog->directory, name.listed[0] == '\0' ? tree.root : at(name.listed));
  pressKey(dialog, FL_Enter);
  EXPECT_FALSE(dialog->window->shown());
  EXPECT_EQ(dialog->value(), expected);
}

INSTANTIATE_TEST_SUITE_P(Chooser, TypedNameTest, ::testing::Values(
    TypedName{"al", false, "alpha.koeff", ""},
    TypedName{"alx", false, "alx", ""},  // the proposal replaced by the next key
    TypedName{"zq", false, "zq", ""},    // nothing to propose at any key
    TypedName{"./be", false, "./beta.koeff", ""},
    TypedName{"Поверка 2026/ВЕЛ", false, "Поверка 2026/ВЕЛТ №3.koeff", "Поверка 2026"},
    TypedName{"Поверка 2026/ВЕЛ", true, "Поверка 2026/ВЕЛТ №3.koeff", "Поверка 2026"}));

TEST_F(FileDialogTest, SetValueListsItsDirectoryAndSelectsTheLine) {
  for (const char* name : {"a.koeff", "b.koeff"}) ASSERT_EQ(addFile(tree, name), 0);
  openDialog("/");
  dialog->setValue(at("b.koeff").c_str());
  EXPECT_STREQ(dialog->directory, tree.root.c_str());
  EXPECT_EQ(field(), at("b.koeff"));
  EXPECT_EQ(dialog->nameField->position(), 0);
  EXPECT_EQ(dialog->nameField->mark(), dialog->nameField->size());
  EXPECT_EQ(selectedLine(), "b.koeff");
  EXPECT_TRUE(openActive());

  dialog->setValue("");
  EXPECT_STREQ(dialog->directory, "");
  EXPECT_EQ(field(), "");
  EXPECT_FALSE(openActive());
}

TEST_F(FileDialogTest, ReReadShowsNewFilesAndEmptiesTheName) {
  openDialog(tree.root);
  EXPECT_EQ(listedLines(dialog), "../");
  ASSERT_EQ(addFile(tree, "late.koeff"), 0);
  typeText(dialog, "x");
  clickWidget(dialog, dialog->window->child(1));
  EXPECT_EQ(listedLines(dialog), "../ late.koeff");
  EXPECT_EQ(field(), tree.root + "/");
  EXPECT_FALSE(openActive());
}

TEST_F(FileDialogTest, SelectedFileInEachMode) {
  for (const char* name : {"a.koeff", "b.koeff", "c.koeff"}) ASSERT_EQ(addFile(tree, name), 0);
  ASSERT_EQ(addDirectory(tree, "sub"), 0);
  openDialog(tree.root);
  EXPECT_EQ(dialog->selectedFile(0), nullptr);  // the field names the directory

  dialog->setMode(MODE_MULTI);
  EXPECT_EQ(dialog->browser->type(), FL_MULTI_BROWSER);
  dialog->browser->select(lineOf("sub/"));
  dialog->browser->select(lineOf("a.koeff"));
  dialog->browser->select(lineOf("c.koeff"));
  ASSERT_NE(dialog->selectedFile(1), nullptr);
  EXPECT_EQ(std::string(dialog->selectedFile(1)), at("a.koeff"));
  EXPECT_EQ(std::string(dialog->selectedFile(2)), at("c.koeff"));
  EXPECT_EQ(dialog->selectedFile(3), nullptr);

  dialog->setMode(MODE_DIRECTORY);
  EXPECT_EQ(listedLines(dialog), "../ sub/");
  dialog->nameField->value(at("sub/").c_str());
  EXPECT_EQ(std::string(dialog->selectedFile(0)), at("sub"));
}

TEST_F(FileDialogTest, LongPathsAreCutNeverOverrun) {
  openDialog(tree.root);
  const std::string deep = "/" + std::string(3000, 'd') + "/" + std::string(3000, 'f');
  dialog->setValue(deep.c_str());
  EXPECT_LE(std::strlen(dialog->value()), 1023u);
  EXPECT_LE(std::strlen(dialog->directory), 1023u);

  dialog->changeDirectory(("/" + std::string(5000, 'x')).c_str());
  EXPECT_EQ(std::strlen(dialog->directory), 1023u);
  dialog->changeDirectory(std::string(600, 'y').c_str());  // relative: at most 255
  EXPECT_LE(std::strlen(dialog->directory), 255u);
  dialog->goUp();

  // Typed and pasted into the field, far beyond every buffer.
  dialog->changeDirectory(tree.root.c_str());
  typeText(dialog, std::string(1100, 'k').c_str());
  EXPECT_EQ(field().size(), tree.root.size() + 1 + 1100);
  EXPECT_TRUE(openActive());
  insertText(dialog, "/" + std::string(4000, 'p'));
  EXPECT_GT(field().size(), 5000u);
  EXPECT_LE(std::strlen(dialog->directory), 1023u);
  pressKey(dialog, FL_Enter);
  EXPECT_FALSE(dialog->window->shown());
  EXPECT_GT(std::strlen(dialog->value()), 5000u);
}

TEST_F(FileDialogTest, CompletionOfAFullLengthNameAndOfAnOverlongTypedName) {
  const std::string longest = std::string(249, 'q') + ".koeff";  // 255 bytes, the most a name has
  ASSERT_EQ(addFile(tree, longest), 0);
  openDialog(tree.root);
  typeText(dialog, "q");
  EXPECT_EQ(field(), at(longest));
  EXPECT_EQ(selectedLine(), longest);

  dialog->changeDirectory(tree.root.c_str());
  insertText(dialog, std::string(400, 'q'));
  EXPECT_EQ(field(), tree.root + "/" + std::string(400, 'q'));
  EXPECT_EQ(selectedLine(), "");
}

}  // namespace
