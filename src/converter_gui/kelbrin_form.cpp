#include "converter_gui/kelbrin_form.h"

#include "converter_gui/converter_binding.h"
#include "converter_gui/file_names.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QToolButton>

namespace converter_gui {

namespace {

constexpr char kTitle[] = "Kelbrin(Translate Chem&Tran Files to Bin Files)";
constexpr char kBannerText[] = "Vordane + Quillet";
constexpr char kCreditLine[] = "Path-flux analysis toolkit: converter for the linking files";
constexpr char kSaveQuestion[] = "Save as the default?";

// Colours of the two kinds of field panel and of the banner.
const QColor kSkyBlue(0xA6, 0xCA, 0xF0);     // the inputs of a conversion
const QColor kMoneyGreen(0xC0, 0xDC, 0xC0);  // the banner

// Geometry in pixels, client coordinates.
constexpr int kClientWidth = 668;
constexpr int kClientHeight = 411;
constexpr int kBannerHeight = 25;
constexpr int kGroupWidth = 320;
constexpr int kGroupHeight = 307;
constexpr int kVordaneGroupLeft = 9;
constexpr int kQuilletGroupLeft = 348;
constexpr int kStripHeight = 60;
constexpr int kStatusHeight = 19;
constexpr int kStripTop = kBannerHeight + kGroupHeight;
constexpr int kStatusTop = kStripTop + kStripHeight;
static_assert(kStatusTop + kStatusHeight == kClientHeight);
static_assert(kQuilletGroupLeft + kGroupWidth == kClientWidth);
constexpr int kFieldTops[] = {24, 72, 120, 170};
constexpr QRect kFieldPanel(8, 0, 300, 45);  // top from kFieldTops
constexpr QPoint kFieldLabel(8, 2);
constexpr QRect kFieldEdit(8, 18, 257, 21);
constexpr QRect kFieldPicker(268, 18, 23, 22);
constexpr QRect kActionButton(80, 232, 81, 33);
constexpr QRect kExtendCheck(24, 8, 217, 17);
constexpr QRect kSaveButton(20, 27, 23, 25);
constexpr QPoint kSaveLabel(50, 33);
constexpr QRect kBothButton(264, 16, 95, 33);
constexpr QRect kExitButton(384, 16, 95, 33);

// The fixed names behind the derived prefix, by field in settings order; InpE keeps its text.
constexpr const char* kDerivedNames[kFieldCount] = {
    nullptr, "Chem.Bin", "Therm.Dat", "Chem.Out", "Chem.Bin", "Tran.Dat", "Tran.Bin", "Tran.Out",
};

// The pickers: default extension, initial name, title, filter.
const FilePick kInpPick{"*.Inp", "Chem.Inp", "Chem Inp File Open", "Inp File|*.Inp|All File|*.*"};
const FilePick kThermPick{"*.Dat", "Therm.Dat", "Therm File Open", "Therm File|*.Dat|All File|*.*"};
const FilePick kBinPick{"*.Bin", "Chem.Bin", "Chem Bin File Open", "Bin File|*.Bin|All File|*.*"};
const FilePick kOutPick{"*.Out", "Chem.Out", "Output File Set", "Out File|*.Out|All File|*.*"};
const FilePick kChemBinPick{"*.Bin", "Chem.Bin", "Chem Bin File Open",
                            "Inp File|*.Bin|All File|*.*"};
const FilePick kTranDatPick{"*.Dat", "Tran.Dat", "Tran Dat File Open",
                            "Inp File|*.Dat|All File|*.*"};
const FilePick kTranBinPick{"*.Bin", "Tran.Bin", "Tran Bin File Open",
                            "Inp File|*.Bin|All File|*.*"};
const FilePick kTranOutPick{"*.Out", "Tran.Out", "Tran Out File Open",
                            "Inp File|*.Out|All File|*.*"};

void fillBackground(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, colour);
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

// The button sizes are fixed in pixels; with a wide system font a caption could be clipped, so
// its font shrinks until the caption fits.
void fitCaption(QPushButton* button) {
  constexpr int kCaptionMargin = 12;
  QFont font = button->font();
  while (QFontMetrics(font).horizontalAdvance(button->text()) + kCaptionMargin > button->width() &&
         font.pointSizeF() > 6) {
    font.setPointSizeF(font.pointSizeF() - 0.5);
  }
  button->setFont(font);
}

QPushButton* addPushButton(QWidget* parent, const char* name, const char* caption,
                           const QRect& geometry) {
  auto* button = new QPushButton(QString::fromLatin1(caption), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(geometry);
  fitCaption(button);
  return button;
}

// As in a classic edit box, the selection shows only while the edit has the focus; otherwise
// all eight fields would look highlighted after every derivation.
QPalette withoutSelection(QPalette palette) {
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::Highlight, palette.color(group, QPalette::Base));
    palette.setColor(group, QPalette::HighlightedText, palette.color(group, QPalette::Text));
  }
  return palette;
}

}  // namespace

QPixmap diskGlyph() {
  // A floppy disk seen from the front: dark body with a clipped corner, metal shutter with its
  // slot at the top, white label with two ruled lines below.
  const QColor outline(0x00, 0x00, 0x00);
  const QColor body(0x20, 0x40, 0x90);
  const QColor metal(0xC0, 0xC0, 0xC0);
  const QColor paper(0xFF, 0xFF, 0xFF);
  const QColor ruling(0x80, 0x80, 0x80);
  QPixmap glyph(16, 15);
  glyph.fill(Qt::transparent);
  QPainter painter(&glyph);
  painter.fillRect(0, 0, 16, 15, outline);
  painter.fillRect(1, 1, 14, 13, body);
  painter.fillRect(4, 1, 8, 5, metal);
  painter.fillRect(9, 2, 2, 3, body);
  painter.fillRect(3, 8, 10, 6, paper);
  painter.fillRect(4, 10, 8, 1, ruling);
  painter.fillRect(4, 12, 8, 1, ruling);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.fillRect(15, 0, 1, 1, Qt::transparent);
  return glyph;
}

TKelbrinForm::TKelbrinForm(Desktop& desktop, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), desktop_(desktop) {
  setObjectName(QStringLiteral("KelbrinForm"));
  setWindowTitle(QString::fromLatin1(kTitle));
  setFixedSize(kClientWidth, kClientHeight);
  buildControls();
  if (const QScreen* desk = screen()) {
    move(desk->availableGeometry().center() - rect().center());
  }
  FormCreate();
}

QLineEdit* TKelbrinForm::addField(QWidget* group, int top, const char* label, const char* editName,
                                  const char* initialText, const char* pickerName, bool isInput,
                                  QPushButton** picker) {
  auto* panel = new QFrame(group);
  panel->setGeometry(kFieldPanel.translated(0, top));
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  fillBackground(panel, isInput ? kSkyBlue : panel->palette().color(QPalette::Button));

  auto* caption = new QLabel(QString::fromLatin1(label), panel);
  QFont underlined = caption->font();
  underlined.setUnderline(true);
  caption->setFont(underlined);
  caption->move(kFieldLabel);
  caption->adjustSize();

  auto* edit = new QLineEdit(QString::fromLatin1(initialText), panel);
  edit->setObjectName(QString::fromLatin1(editName));
  edit->setGeometry(kFieldEdit);
  edit->setPalette(withoutSelection(QPalette()));
  edit->installEventFilter(this);
  caption->setBuddy(edit);

  *picker = addPushButton(panel, pickerName, "...", kFieldPicker);
  return edit;
}

void TKelbrinForm::buildControls() {
  banner_ = new QLabel(QString::fromLatin1(kBannerText), this);
  banner_->setObjectName(QStringLiteral("BannerP"));
  banner_->setGeometry(0, 0, kClientWidth, kBannerHeight);
  banner_->setAlignment(Qt::AlignCenter);
  banner_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  QFont bold = banner_->font();
  bold.setBold(true);
  banner_->setFont(bold);
  fillBackground(banner_, kMoneyGreen);

  auto* vordane = new QGroupBox(QStringLiteral("Vordane"), this);
  vordane->setObjectName(QStringLiteral("VordaneG"));
  vordane->setGeometry(kVordaneGroupLeft, kBannerHeight, kGroupWidth, kGroupHeight);
  InpE =
      addField(vordane, kFieldTops[0], "Chem Inp File:", "InpE", "Chem.Inp", "InpFB", true, &InpFB);
  ThermE = addField(vordane, kFieldTops[1], "Therm File:", "ThermE", "Therm.Dat", "ThermFB", true,
                    &ThermFB);
  BinE = addField(vordane, kFieldTops[2], "Chem Bin File:", "BinE", "Chem.Bin", "BinFB", false,
                  &BinFB);
  OutE = addField(vordane, kFieldTops[3], "Chem Out File:", "OutE", "Chem.Out", "OUTFB", false,
                  &OUTFB);
  TranB = addPushButton(vordane, "TranB", "Vordane", kActionButton);

  auto* quillet = new QGroupBox(QStringLiteral("Quillet"), this);
  quillet->setObjectName(QStringLiteral("QuilletG"));
  quillet->setGeometry(kQuilletGroupLeft, kBannerHeight, kGroupWidth, kGroupHeight);
  CBinE = addField(quillet, kFieldTops[0], "Chem Bin File:", "CBinE", "Chem.Bin", "VordaneFB", true,
                   &VordaneFB);
  TranDatE = addField(quillet, kFieldTops[1], "Tran Dat File:", "TranDatE", "Tran.Dat", "TranDatFB",
                      true, &TranDatFB);
  QuilletE = addField(quillet, kFieldTops[2], "Tran Bin File:", "QuilletE", "Tran.Bin", "QuilletFB",
                      false, &QuilletFB);
  TranOutE = addField(quillet, kFieldTops[3], "Tran Out File:", "TranOutE", "Tran.Out", "TranOutB",
                      false, &TranOutB);
  QuilletB = addPushButton(quillet, "QuilletB", "Quillet", kActionButton);

  auto* strip = new QWidget(this);
  strip->setObjectName(QStringLiteral("BottomP"));
  strip->setGeometry(0, kStripTop, kClientWidth, kStripHeight);
  ExtendCH = new QCheckBox(QStringLiteral("  File names default extend"), strip);
  ExtendCH->setObjectName(QStringLiteral("ExtendCH"));
  ExtendCH->setGeometry(kExtendCheck);
  SaveB = new QToolButton(strip);
  SaveB->setObjectName(QStringLiteral("SaveB"));
  SaveB->setGeometry(kSaveButton);
  SaveB->setIcon(QIcon(diskGlyph()));
  SaveB->setIconSize(QSize(16, 15));
  auto* saveLabel = new QLabel(QStringLiteral("Save as the default setting"), strip);
  saveLabel->setObjectName(QStringLiteral("SaveL"));
  saveLabel->move(kSaveLabel);
  saveLabel->adjustSize();
  BorthB = addPushButton(strip, "BorthB", "Vordane+Quillet", kBothButton);
  ExitB = addPushButton(strip, "ExitB", "Exit", kExitButton);

  statusBar_ = new QStatusBar(this);
  statusBar_->setObjectName(QStringLiteral("StatusBar"));
  statusBar_->setGeometry(0, kStatusTop, kClientWidth, kStatusHeight);
  statusBar_->setSizeGripEnabled(false);
  auto* credit = new QLabel(QString::fromLatin1(kCreditLine), statusBar_);
  credit->setAlignment(Qt::AlignCenter);
  statusBar_->addWidget(credit, 1);

  connect(InpFB, &QPushButton::clicked, this, &TKelbrinForm::InpFBClick);
  connect(ThermFB, &QPushButton::clicked, this, &TKelbrinForm::ThermFBClick);
  connect(BinFB, &QPushButton::clicked, this, &TKelbrinForm::BinFBClick);
  connect(OUTFB, &QPushButton::clicked, this, &TKelbrinForm::OUTFBClick);
  connect(VordaneFB, &QPushButton::clicked, this, &TKelbrinForm::VordaneFBClick);
  connect(TranDatFB, &QPushButton::clicked, this, &TKelbrinForm::TranDatFBClick);
  connect(QuilletFB, &QPushButton::clicked, this, &TKelbrinForm::QuilletFBClick);
  connect(TranOutB, &QPushButton::clicked, this, &TKelbrinForm::TranOutBClick);
  connect(ExtendCH, &QCheckBox::clicked, this, &TKelbrinForm::ExtendCHClick);
  connect(TranB, &QPushButton::clicked, this, &TKelbrinForm::TranBClick);
  connect(QuilletB, &QPushButton::clicked, this, &TKelbrinForm::QuilletBClick);
  connect(BorthB, &QPushButton::clicked, this, &TKelbrinForm::BorthBClick);
  connect(SaveB, &QToolButton::clicked, this, &TKelbrinForm::SaveBClick);
  connect(ExitB, &QPushButton::clicked, this, &TKelbrinForm::ExitBClick);
}

void TKelbrinForm::FormCreate() {
  settingsDir_ = QDir::currentPath();
  fileEdits_ = {InpE, BinE, ThermE, OutE, CBinE, TranDatE, QuilletE, TranOutE};
}

void TKelbrinForm::FormShow() {
  FieldTexts texts = fieldTexts();
  const QString error = LoadSettings(settingsDir_, texts);
  setFieldTexts(texts);
  if (!error.isEmpty()) {
    desktop_.showMessage(this, error);
    return;
  }
  selectAllFileEdits();
}

void TKelbrinForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Only the form's own showing loads the settings, not a restore from the task bar.
  if (!event->spontaneous()) FormShow();
}

bool TKelbrinForm::eventFilter(QObject* watched, QEvent* event) {
  if (auto* edit = qobject_cast<QLineEdit*>(watched)) {
    if (event->type() == QEvent::FocusIn) edit->setPalette(QPalette());
    if (event->type() == QEvent::FocusOut) edit->setPalette(withoutSelection(QPalette()));
  }
  const bool keyUp = event->type() == QEvent::KeyRelease;
  const bool mouseUp = event->type() == QEvent::MouseButtonRelease;
  if (watched == BinE) {
    if (keyUp) BinEKeyUp();
    if (mouseUp) BinEMouseUp();
  } else if (watched == CBinE) {
    if (keyUp) CBinEKeyUp();
    if (mouseUp) CBinEMouseUp();
  }
  return QWidget::eventFilter(watched, event);
}

bool TKelbrinForm::runPicker(const FilePick& pick, QLineEdit* edit) {
  const std::optional<QString> chosen = desktop_.pickFile(this, pick);
  if (!chosen) return false;
  edit->setText(*chosen);
  return true;
}

void TKelbrinForm::InpFBClick() {
  if (!runPicker(kInpPick, InpE) || InpE->text().isEmpty()) return;
  if (ExtendCH->isChecked()) DeriveFileNames(InpE->text());
  selectAllFileEdits();
}

void TKelbrinForm::ThermFBClick() {
  runPicker(kThermPick, ThermE);
}
void TKelbrinForm::BinFBClick() {
  runPicker(kBinPick, BinE);
}
void TKelbrinForm::OUTFBClick() {
  runPicker(kOutPick, OutE);
}
void TKelbrinForm::VordaneFBClick() {
  runPicker(kChemBinPick, CBinE);
}
void TKelbrinForm::TranDatFBClick() {
  runPicker(kTranDatPick, TranDatE);
}
void TKelbrinForm::QuilletFBClick() {
  runPicker(kTranBinPick, QuilletE);
}
void TKelbrinForm::TranOutBClick() {
  runPicker(kTranOutPick, TranOutE);
}

// The two kinetics linking file fields follow each other only while the user types or clicks in
// them; names set by a picker, the derivation or the settings stay where they were set.
void TKelbrinForm::BinEKeyUp() {
  CBinE->setText(BinE->text());
}
void TKelbrinForm::BinEMouseUp() {
  CBinE->setText(BinE->text());
}
void TKelbrinForm::CBinEKeyUp() {
  BinE->setText(CBinE->text());
}
void TKelbrinForm::CBinEMouseUp() {
  BinE->setText(CBinE->text());
}

void TKelbrinForm::ExtendCHClick() {
  if (!InpE->text().isEmpty() && ExtendCH->isChecked()) DeriveFileNames(InpE->text());
}

void TKelbrinForm::DeriveFileNames(const QString& inputFileName) {
  const QString prefix = derivedPrefix(inputFileName);
  for (int field = 0; field < kFieldCount; ++field) {
    if (kDerivedNames[field] != nullptr) {
      fileEdits_[field]->setText(prefix + QLatin1String(kDerivedNames[field]));
    }
  }
  selectAllFileEdits();
}

void TKelbrinForm::TranBClick() {
  runConversion(desktop_, this, kVordane,
                {InpE->text(), BinE->text(), ThermE->text(), OutE->text()}, vordaneErrorFlag_);
}

void TKelbrinForm::QuilletBClick() {
  runConversion(desktop_, this, kQuillet,
                {CBinE->text(), QuilletE->text(), TranDatE->text(), TranOutE->text()},
                quilletErrorFlag_);
}

void TKelbrinForm::BorthBClick() {
  TranBClick();
  QuilletBClick();
}

void TKelbrinForm::SaveBClick() {
  if (!desktop_.askYesNo(this, QString::fromLatin1(kSaveQuestion))) return;
  const QString error = SaveSettings(settingsDir_, fieldTexts(), QDateTime::currentDateTime());
  if (!error.isEmpty()) desktop_.showMessage(this, error);
}

void TKelbrinForm::ExitBClick() {
  close();
}

void TKelbrinForm::selectAllFileEdits() {
  for (QLineEdit* edit : fileEdits_) edit->selectAll();
}

FieldTexts TKelbrinForm::fieldTexts() const {
  FieldTexts texts;
  for (int field = 0; field < kFieldCount; ++field) texts[field] = fileEdits_[field]->text();
  return texts;
}

void TKelbrinForm::setFieldTexts(const FieldTexts& texts) {
  for (int field = 0; field < kFieldCount; ++field) fileEdits_[field]->setText(texts[field]);
}

}  // namespace converter_gui
