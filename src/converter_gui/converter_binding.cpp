#include "converter_gui/converter_binding.h"

#include "converter_gui/file_names.h"

#include <QFile>

#include <vector>

namespace converter_gui {

const Converter kVordane = {
    "Vordane",
    "MECHTOBIN",
    "Can not find Vordane.dll.",
    "Can not locate MECHTOBIN in dll.",
    "Vordane completed!",
    "Vordane Error, please check outfile!",
};

const Converter kQuillet = {
    "Quillet",
    "TRANTOBIN",
    "Can not find Quillet.dll.",
    "Can not locate TRANTOBIN in dll.",
    "Quillet completed!",
    "Quillet Error, please check outfile!",
};

namespace {

// A name as the library receives it; the library may write into its copy.
class NameArgument {
 public:
  explicit NameArgument(const QString& text) {
    const QByteArray bytes = QFile::encodeName(trimControls(text));
    characters_.assign(bytes.begin(), bytes.end());
    characters_.push_back('\0');
    length_ = static_cast<std::int32_t>(bytes.size());
  }
  char* pointer() { return length_ == 0 ? nullptr : characters_.data(); }
  std::int32_t length() const { return length_; }

 private:
  std::vector<char> characters_;
  std::int32_t length_ = 0;
};

}  // namespace

void runConversion(Desktop& desktop, QWidget* owner, const Converter& converter,
                   const std::array<QString, 4>& names, std::int32_t& errorFlag) {
  void* library = desktop.loadLibrary(QString::fromLatin1(converter.moduleName));
  if (library == nullptr) {
    desktop.beep();
    desktop.showMessage(owner, QString::fromLatin1(converter.notFoundMessage));
    return;
  }
  auto entry = reinterpret_cast<ConverterEntry>(desktop.resolveEntry(library, converter.entryName));
  if (entry == nullptr) {
    const int code = desktop.lastErrorCode();
    // A library without its entry is of no further use: release it at once.
    desktop.unloadLibrary(library);
    desktop.beep();
    desktop.showMessage(owner,
                        QString::fromLatin1(converter.entryMissingMessage) + QString::number(code));
    return;
  }

  NameArgument first(names[0]), second(names[1]), third(names[2]), fourth(names[3]);
  entry(first.pointer(), first.length(), second.pointer(), second.length(), third.pointer(),
        third.length(), fourth.pointer(), fourth.length(), &errorFlag);
  desktop.showMessage(owner, QString::fromLatin1(errorFlag == 0 ? converter.completedMessage
                                                                : converter.failedMessage));
  desktop.unloadLibrary(library);
}

}  // namespace converter_gui
