#include "app/question_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Return_Button.H>

namespace {

constexpr int windowWidth = 330;
constexpr int windowHeight = 105;
constexpr int margin = 10;
constexpr int textHeight = 50;
constexpr int buttonWidth = 90;
constexpr int buttonHeight = 25;
constexpr int buttonGap = 10;
constexpr int textSize = 14;
// How soon a question that has lost its subject withdraws.
constexpr double relevancePollSeconds = 0.05;

struct Question {
  Fl_Double_Window* window;
  int answer;
};

void AnswerYes(Fl_Widget*, void* data) {
  Question* question = static_cast<Question*>(data);
  question->answer = questionYes;
  question->window->hide();
}

// "Нет", Enter, Escape and the close box.
void AnswerNo(Fl_Widget*, void* data) {
  Question* question = static_cast<Question*>(data);
  question->answer = questionNo;
  question->window->hide();
}

// Layout only; the behaviour is in AskQuestion.
Fl_Return_Button* Build(Question* question, const char* title, const char* text) {
  Fl_Double_Window* window = new Fl_Double_Window(windowWidth, windowHeight, title);
  question->window = window;
  window->callback(AnswerNo, question);

  Fl_Box* box = new Fl_Box(margin, margin, windowWidth - 2 * margin, textHeight, text);
  box->labelsize(textSize);
  // A long file name wraps at its spaces and is cut, never drawn outside.
  box->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP | FL_ALIGN_CLIP);

  const int buttonTop = windowHeight - margin - buttonHeight;
  const int noLeft = windowWidth - margin - buttonWidth;
  Fl_Button* yes =
      new Fl_Button(noLeft - buttonGap - buttonWidth, buttonTop, buttonWidth, buttonHeight, "Да");
  yes->callback(AnswerYes, question);
  Fl_Return_Button* no = new Fl_Return_Button(noLeft, buttonTop, buttonWidth, buttonHeight, "Нет");
  no->callback(AnswerNo, question);

  window->end();
  window->set_modal();
  return no;
}

}  // namespace

int AskQuestion(const char* title, const char* text, bool (*stillRelevant)()) {
  Question question{nullptr, 0};
  Fl_Return_Button* no = Build(&question, title, text);
  question.window->hotspot(no);
  question.window->show();
  no->take_focus();
  while (question.window->shown()) {
    if (stillRelevant != nullptr && !stillRelevant()) {
      question.answer = questionWithdrawn;
      question.window->hide();
      break;
    }
    Fl::wait(relevancePollSeconds);
  }
  delete question.window;
  return question.answer;
}
