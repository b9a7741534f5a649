// A desktop without a person: questions and the file dialog answer from scripts, and every
// message, beep and question is recorded in order. The converter libraries are loaded for real,
// from the folder of the stand-in libraries unless a test names another.
#pragma once

#include "converter_gui/desktop.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <optional>

class ScriptedDesktop : public converter_gui::Desktop {
 public:
  explicit ScriptedDesktop(const QString& libraryDirectory = QStringLiteral(KELBRIN_FAKE_DIR))
      : loader_(libraryDirectory) {}

  // "beep", "message: <text>" and "question: <text>", in the order they happened.
  QStringList events;
  // Answers to the Yes/No questions; No once they run out.
  std::deque<bool> answers;
  // Names chosen in the file dialog, a null string for Cancel; Cancel once they run out.
  QStringList choices;
  // What each picker set on the dialog.
  QList<converter_gui::FilePick> picks;

  void showMessage(QWidget*, const QString& text) override {
    events << QStringLiteral("message: ") + text;
  }
  void beep() override { events << QStringLiteral("beep"); }
  bool askYesNo(QWidget*, const QString& question) override {
    events << QStringLiteral("question: ") + question;
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::optional<QString> pickFile(QWidget*, const converter_gui::FilePick& pick) override {
    picks << pick;
    if (choices.isEmpty()) return std::nullopt;
    const QString choice = choices.takeFirst();
    if (choice.isNull()) return std::nullopt;
    return choice;
  }

  void* loadLibrary(const QString& moduleName) override { return loader_.load(moduleName); }
  void* resolveEntry(void* library, const char* entryName) override {
    return loader_.resolve(library, entryName);
  }
  int lastErrorCode() const override { return loader_.lastErrorCode(); }
  void unloadLibrary(void* library) override { loader_.unload(library); }

 private:
  converter_gui::ModuleLoader loader_;
};
