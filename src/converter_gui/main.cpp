// kelbrin: the desktop program that prepares the kinetics and transport linking files.
#include "converter_gui/desktop.h"
#include "converter_gui/kelbrin_form.h"

#include <QApplication>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kelbrin"));
  converter_gui::QtDesktop desktop;
  converter_gui::TKelbrinForm form(desktop);
  form.show();
  return QApplication::exec();
}
