// Fuzz target of the converter window's settings file: the input is the settings file; it is
// loaded, then saved over, which reads every line of it again to keep it as history.
#include <QDateTime>
#include <QString>

#include <cstddef>
#include <cstdint>

#include "converter_gui/settings_file.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const QString directory = QString::fromStdString(fuzz::WorkDirectory());
  static const QDateTime stamp(QDate(2024, 1, 2), QTime(3, 4, 5));
  fuzz::WriteInput(data, size, "Kelbrin.Ini");
  converter_gui::FieldTexts fields;
  (void)converter_gui::LoadSettings(directory, fields);
  (void)converter_gui::SaveSettings(directory, fields, stamp);
  return 0;
}
