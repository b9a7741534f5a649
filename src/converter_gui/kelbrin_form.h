// The one window of kelbrin: eight file names for the chemistry and the transport conversion,
// the defaults derived from the mechanism input file, the saved defaults, and the buttons that
// run the conversions.
//
// Controls keep their short names with a type suffix as object names (InpE an edit, InpFB its
// picker button, ExtendCH a check box), and the handlers keep the names of the events they
// answer, so that each can be found from the other.
#pragma once

#include "converter_gui/desktop.h"
#include "converter_gui/settings_file.h"

#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QToolButton;

namespace converter_gui {

// The 16 x 15 disk glyph of the save button.
QPixmap diskGlyph();

class TKelbrinForm : public QWidget {
  Q_OBJECT

 public:
  explicit TKelbrinForm(Desktop& desktop, QWidget* parent = nullptr);

  // The working directory when the form was created; the settings files lie there.
  const QString& settingsDir() const { return settingsDir_; }
  // The eight edits in settings order: InpE, BinE, ThermE, OutE, CBinE, TranDatE, QuilletE,
  // TranOutE.
  const std::array<QLineEdit*, kFieldCount>& fileEdits() const { return fileEdits_; }

  // Sets the seven other names from the name of the mechanism input file.
  void DeriveFileNames(const QString& inputFileName);

 public slots:
  void FormCreate();
  void FormShow();
  void InpFBClick();
  void ThermFBClick();
  void BinFBClick();
  void OUTFBClick();
  void VordaneFBClick();
  void TranDatFBClick();
  void QuilletFBClick();
  void TranOutBClick();
  void BinEKeyUp();
  void BinEMouseUp();
  void CBinEKeyUp();
  void CBinEMouseUp();
  void ExtendCHClick();
  void TranBClick();
  void QuilletBClick();
  void BorthBClick();
  void SaveBClick();
  void ExitBClick();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();
  QLineEdit* addField(QWidget* group, int top, const char* label, const char* editName,
                      const char* initialText, const char* pickerName, bool isInput,
                      QPushButton** picker);
  // Shows the shared dialog with `pick`; on acceptance sets `edit` and returns true.
  bool runPicker(const FilePick& pick, QLineEdit* edit);
  void selectAllFileEdits();
  FieldTexts fieldTexts() const;
  void setFieldTexts(const FieldTexts& texts);

  Desktop& desktop_;
  QString settingsDir_;
  std::array<QLineEdit*, kFieldCount> fileEdits_{};
  // Each converter library has its own flag, zero at start and never cleared by this side.
  std::int32_t vordaneErrorFlag_ = 0;
  std::int32_t quilletErrorFlag_ = 0;

  QLabel* banner_ = nullptr;
  QLineEdit* InpE = nullptr;
  QLineEdit* ThermE = nullptr;
  QLineEdit* BinE = nullptr;
  QLineEdit* OutE = nullptr;
  QLineEdit* CBinE = nullptr;
  QLineEdit* TranDatE = nullptr;
  QLineEdit* QuilletE = nullptr;
  QLineEdit* TranOutE = nullptr;
  QPushButton* InpFB = nullptr;
  QPushButton* ThermFB = nullptr;
  QPushButton* BinFB = nullptr;
  QPushButton* OUTFB = nullptr;
  QPushButton* VordaneFB = nullptr;
  QPushButton* TranDatFB = nullptr;
  QPushButton* QuilletFB = nullptr;
  QPushButton* TranOutB = nullptr;
  QPushButton* TranB = nullptr;
  QPushButton* QuilletB = nullptr;
  QCheckBox* ExtendCH = nullptr;
  QToolButton* SaveB = nullptr;
  QPushButton* BorthB = nullptr;
  QPushButton* ExitB = nullptr;
  QStatusBar* statusBar_ = nullptr;
};

}  // namespace converter_gui
