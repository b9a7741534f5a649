#include "converter_gui/desktop.h"

#include <dlfcn.h>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace converter_gui {

namespace {

// What the dialog holds before the first picker replaces it.
constexpr char kInitialFilter[] =
    "Inp File|*.Inp|Bin File|*.Bin|Dat File|*.Dat|Out File|*.Out|All File|*.*";

}  // namespace

QString toQtFilter(const QString& filter) {
  const QStringList parts = filter.split(u'|');
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
    entries << parts[i] + QStringLiteral(" (") + patterns.join(u' ') + u')';
  }
  return entries.join(QStringLiteral(";;"));
}

QString toDefaultSuffix(const QString& defaultExtension) {
  QString suffix = defaultExtension;
  if (suffix.startsWith(u'*')) suffix.remove(0, 1);
  if (suffix.startsWith(u'.')) suffix.remove(0, 1);
  return suffix.contains(u'*') ? QString() : suffix;
}

QString ModuleLoader::fileNameOf(const QString& moduleName) {
  return QStringLiteral("lib") + moduleName + QStringLiteral(".so");
}

void* ModuleLoader::load(const QString& moduleName) {
  QString path = fileNameOf(moduleName);
  if (!directory_.isEmpty()) path = directory_ + u'/' + path;
  void* library = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) lastErrorCode_ = kModuleNotFound;
  return library;
}

void* ModuleLoader::resolve(void* library, const char* entryName) {
  void* entry = dlsym(library, entryName);
  if (entry == nullptr) lastErrorCode_ = kEntryNotFound;
  return entry;
}

void ModuleLoader::unload(void* library) {
  dlclose(library);
}

QtDesktop::~QtDesktop() {
  delete dialog_.data();
}

void QtDesktop::showMessage(QWidget* owner, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok,
                  owner);
  box.exec();
}

void QtDesktop::beep() {
  QApplication::beep();
}

bool QtDesktop::askYesNo(QWidget* owner, const QString& question) {
  QMessageBox box(QMessageBox::Question, QApplication::applicationName(), question,
                  QMessageBox::Yes | QMessageBox::No, owner);
  return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtDesktop::pickFile(QWidget* owner, const FilePick& pick) {
  if (dialog_ == nullptr) {
    dialog_ = new QFileDialog(owner);
    dialog_->setAcceptMode(QFileDialog::AcceptOpen);
    // The output files are picked with this dialog too, so a name need not exist yet.
    dialog_->setFileMode(QFileDialog::AnyFile);
    dialog_->setNameFilter(toQtFilter(QString::fromLatin1(kInitialFilter)));
  }
  dialog_->setDefaultSuffix(toDefaultSuffix(pick.defaultExtension));
  dialog_->setNameFilter(toQtFilter(pick.filter));
  dialog_->setWindowTitle(pick.title);
  dialog_->selectFile(pick.fileName);
  if (dialog_->exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog_->selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.front();
}

}  // namespace converter_gui
