// What the converter window asks of the desktop: messages, the beep, the Yes/No question, the
// shared open-file dialog, and loading the converter libraries for one call.
//
// The window reaches all of these through Desktop only, so that tests can answer the dialogs,
// choose files and capture messages and beeps without a person at the screen. QtDesktop is the
// real one; tests have their own.
#pragma once

#include <QPointer>
#include <QString>

#include <optional>

class QFileDialog;
class QWidget;

namespace converter_gui {

// The four properties a picker sets on the shared dialog before showing it.
struct FilePick {
  QString defaultExtension;  // a pattern such as "*.Inp"
  QString fileName;          // the initial name
  QString title;
  QString filter;  // "description|pattern|description|pattern..."
};

// Turns "Inp File|*.Inp|All File|*.*" into "Inp File (*.Inp);;All File (*.*)". Several patterns
// of one entry, separated by ";", become separated by blanks.
QString toQtFilter(const QString& filter);

// "*.Inp" -> "Inp": the suffix Qt appends to a name typed without one.
QString toDefaultSuffix(const QString& defaultExtension);

// Binds shared libraries by module name through the dynamic loader: "Vordane" is
// "libVordane.so", looked up in `directory` when one is given, else along the program's run path
// and the loader's standard path.
class ModuleLoader {
 public:
  // The code after an entry that could not be resolved; the loader itself gives none.
  static constexpr int kEntryNotFound = 127;
  static constexpr int kModuleNotFound = 126;

  explicit ModuleLoader(QString directory = {}) : directory_(std::move(directory)) {}

  static QString fileNameOf(const QString& moduleName);

  void* load(const QString& moduleName);                // null when the library cannot be loaded
  void* resolve(void* library, const char* entryName);  // null when the entry is missing
  void unload(void* library);
  int lastErrorCode() const { return lastErrorCode_; }

 private:
  QString directory_;
  int lastErrorCode_ = 0;
};

class Desktop {
 public:
  virtual ~Desktop() = default;

  // A modal message with one OK button.
  virtual void showMessage(QWidget* owner, const QString& text) = 0;
  virtual void beep() = 0;
  // A modal question with the buttons Yes and No; true only for Yes.
  virtual bool askYesNo(QWidget* owner, const QString& question) = 0;
  // Shows the shared open-file dialog; the chosen name, or nothing when the user cancels.
  virtual std::optional<QString> pickFile(QWidget* owner, const FilePick& pick) = 0;

  virtual void* loadLibrary(const QString& moduleName) = 0;
  virtual void* resolveEntry(void* library, const char* entryName) = 0;
  // The code of the last failed load or resolution.
  virtual int lastErrorCode() const = 0;
  virtual void unloadLibrary(void* library) = 0;
};

class QtDesktop : public Desktop {
 public:
  explicit QtDesktop(QString libraryDirectory = {}) : loader_(std::move(libraryDirectory)) {}
  ~QtDesktop() override;

  void showMessage(QWidget* owner, const QString& text) override;
  void beep() override;
  bool askYesNo(QWidget* owner, const QString& question) override;
  std::optional<QString> pickFile(QWidget* owner, const FilePick& pick) override;

  void* loadLibrary(const QString& moduleName) override { return loader_.load(moduleName); }
  void* resolveEntry(void* library, const char* entryName) override {
    return loader_.resolve(library, entryName);
  }
  int lastErrorCode() const override { return loader_.lastErrorCode(); }
  void unloadLibrary(void* library) override { loader_.unload(library); }

 private:
  ModuleLoader loader_;
  // One dialog for all pickers, so that it stays in the folder last visited.
  QPointer<QFileDialog> dialog_;
};

}  // namespace converter_gui
