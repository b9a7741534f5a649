// The converter window: its layout, the pickers, the derived default names and the mirrored
// kinetics linking file fields.
#include "converter_gui/kelbrin_form.h"
#include "converter_gui/desktop.h"
#include "converter_gui/file_names.h"
#include "scripted_desktop.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using converter_gui::TKelbrinForm;

namespace {

const char* const kEditNames[] = {"InpE",  "BinE",     "ThermE",   "OutE",
                                  "CBinE", "TranDatE", "QuilletE", "TranOutE"};

QLineEdit* edit(const TKelbrinForm& form, const char* name) {
  auto* found = form.findChild<QLineEdit*>(QString::fromLatin1(name));
  if (found == nullptr) qFatal("no edit %s", name);
  return found;
}

template <typename Widget = QAbstractButton>
Widget* control(const TKelbrinForm& form, const char* name) {
  auto* found = form.findChild<Widget*>(QString::fromLatin1(name));
  if (found == nullptr) qFatal("no control %s", name);
  return found;
}

QStringList allTexts(const TKelbrinForm& form) {
  QStringList texts;
  for (const char* name : kEditNames) texts << edit(form, name)->text();
  return texts;
}

}  // namespace

class KelbrinFormTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    // The settings file of the working directory would change the initial texts.
    QVERIFY(workingDir_.isValid());
    QVERIFY(QDir::setCurrent(workingDir_.path()));
  }

  void windowIsFixedCentredAndTitled() {
    ScriptedDesktop desktop;
    TKelbrinForm form(desktop);
    QCOMPARE(form.objectName(), QStringLiteral("KelbrinForm"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Kelbrin(Translate Chem&Tran Files to Bin Files)"));
    QCOMPARE(form.size(), QSize(668, 411));
    QCOMPARE(form.minimumSize(), QSize(668, 411));
    QCOMPARE(form.maximumSize(), QSize(668, 411));
    QVERIFY(form.windowFlags().testFlag(Qt::Dialog));
    QCOMPARE(form.geometry().center(), form.screen()->availableGeometry().center());
  }

  void controlsSitWhereTheLayoutPutsThem_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect");  // in client coordinates of the form
    // The groups start below the 25-pixel banner; fields sit on panels at an inset of 8.
    QTest::newRow("banner") << "BannerP" << QRect(0, 0, 668, 25);
    QTest::newRow("Vordane group") << "VordaneG" << QRect(9, 25, 320, 307);
    QTest::newRow("Quillet group touches the right edge") << "QuilletG" << QRect(348, 25, 320, 307);
    QTest::newRow("first edit") << "InpE" << QRect(25, 67, 257, 21);
    QTest::newRow("first picker") << "InpFB" << QRect(285, 67, 23, 22);
    QTest::newRow("fourth row") << "OUTFB" << QRect(285, 213, 23, 22);
    QTest::newRow("Quillet first edit") << "CBinE" << QRect(364, 67, 257, 21);
    QTest::newRow("Quillet last picker") << "TranOutB" << QRect(624, 213, 23, 22);
    QTest::newRow("Vordane action") << "TranB" << QRect(89, 257, 81, 33);
    QTest::newRow("check box") << "ExtendCH" << QRect(24, 340, 217, 17);
    QTest::newRow("save glyph button") << "SaveB" << QRect(20, 359, 23, 25);
    QTest::newRow("both") << "BorthB" << QRect(264, 348, 95, 33);
    QTest::newRow("status bar") << "StatusBar" << QRect(0, 392, 668, 19);
  }
  void controlsSitWhereTheLayoutPutsThem() {
    QFETCH(QString, name);
    QFETCH(QRect, rect);
    ScriptedDesktop desktop;
    TKelbrinForm form(desktop);
    auto* widget = form.findChild<QWidget*>(name);
    QVERIFY(widget != nullptr);
    QCOMPARE(QRect(widget->mapTo(&form, QPoint(0, 0)), widget->size()), rect);
  }

  void captionsAndInitialTexts() {
    ScriptedDesktop desktop;
    TKelbrinForm form(desktop);
    const struct {
      const char* name;
      const char* caption;
    } kButtons[] = {
        {"TranB", "Vordane"},
        {"QuilletB", "Quillet"},
        {"BorthB", "Vordane+Quillet"},
        {"ExitB", "Exit"},
        {"ExtendCH", "  File names default extend"},
        {"InpFB", "..."},
        {"TranOutB", "..."},
    };
    for (const auto& button : kButtons) {
      QCOMPARE(control(form, button.name)->text(), QString::fromLatin1(button.caption));
    }
    QVERIFY(!control<QCheckBox>(form, "ExtendCH")->isChecked());
    QCOMPARE(control<QLabel>(form, "BannerP")->text(), QStringLiteral("Vordane + Quillet"));
    QVERIFY(control<QLabel>(form, "BannerP")->font().bold());
    QCOMPARE(control<QLabel>(form, "SaveL")->text(), QStringLiteral("Save as the default setting"));
    QCOMPARE(control<QGroupBox>(form, "VordaneG")->title(), QStringLiteral("Vordane"));
    QCOMPARE(control<QGroupBox>(form, "QuilletG")->title(), QStringLiteral("Quillet"));
    QCOMPARE(control<QToolButton>(form, "SaveB")->iconSize(), QSize(16, 15));
    QCOMPARE(converter_gui::diskGlyph().size(), QSize(16, 15));

    QCOMPARE(allTexts(form), (QStringList{"Chem.Inp", "Chem.Bin", "Therm.Dat", "Chem.Out",
                                          "Chem.Bin", "Tran.Dat", "Tran.Bin", "Tran.Out"}));
    QStringList labels;
    for (const char* name : kEditNames) {
      // Each edit is the buddy of the underlined label on its panel.
      const auto panelLabels = edit(form, name)->parentWidget()->findChildren<QLabel*>();
      QCOMPARE(panelLabels.size(), 1);
      QVERIFY(panelLabels.front()->font().underline());
      QCOMPARE(panelLabels.front()->buddy(), edit(form, name));
      labels << panelLabels.front()->text();
    }
    QCOMPARE(labels,
             (QStringList{"Chem Inp File:", "Chem Bin File:", "Therm File:", "Chem Out File:",
                          "Chem Bin File:", "Tran Dat File:", "Tran Bin File:", "Tran Out File:"}));
    QCOMPARE(form.fileEdits().size(), std::size_t{8});
    for (int i = 0; i < 8; ++i) QCOMPARE(form.fileEdits()[i], edit(form, kEditNames[i]));
  }

  void qtFilterFromPairedFilter_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two entries") << "Inp File|*.Inp|All File|*.*"
                                 << "Inp File (*.Inp);;All File (*.*)";
    QTest::newRow("several patterns") << "Data|*.Dat;*.Txt"
                                      << "Data (*.Dat *.Txt)";
    QTest::newRow("description without pattern dropped") << "Bin File|*.Bin|Odd"
                                                         << "Bin File (*.Bin)";
  }
  void qtFilterFromPairedFilter() {
    QFETCH(QString, filter);
    QFETCH(QString, expected);
    QCOMPARE(converter_gui::toQtFilter(filter), expected);
  }

  void eachPickerSetsItsDialogAndOnlyItsOwnEdit_data() {
    QTest::addColumn<QString>("picker");
    QTest::addColumn<QString>("editName");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("initialName");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("filter");
    QTest::newRow("InpFB") << "InpFB"
                           << "InpE"
                           << "*.Inp"
                           << "Chem.Inp"
                           << "Chem Inp File Open"
                           << "Inp File|*.Inp|All File|*.*";
    QTest::newRow("ThermFB") << "ThermFB"
                             << "ThermE"
                             << "*.Dat"
                             << "Therm.Dat"
                             << "Therm File Open"
                             << "Therm File|*.Dat|All File|*.*";
    QTest::newRow("BinFB") << "BinFB"
                           << "BinE"
                           << "*.Bin"
                           << "Chem.Bin"
                           << "Chem Bin File Open"
                           << "Bin File|*.Bin|All File|*.*";
    QTest::newRow("OUTFB") << "OUTFB"
                           << "OutE"
                           << "*.Out"
                           << "Chem.Out"
                           << "Output File Set"
                           << "Out File|*.Out|All File|*.*";
    QTest::newRow("VordaneFB") << "VordaneFB"
                               << "CBinE"
                               << "*.Bin"
                               << "Chem.Bin"
                               << "Chem Bin File Open"
                               << "Inp File|*.Bin|All File|*.*";
    QTest::newRow("TranDatFB") << "TranDatFB"
                               << "TranDatE"
                               << "*.Dat"
                               << "Tran.Dat"
                               << "Tran Dat File Open"
                               << "Inp File|*.Dat|All File|*.*";
    QTest::newRow("QuilletFB") << "QuilletFB"
                               << "QuilletE"
                               << "*.Bin"
                               << "Tran.Bin"
                               << "Tran Bin File Open"
                               << "Inp File|*.Bin|All File|*.*";
    QTest::newRow("TranOutB") << "TranOutB"
                              << "TranOutE"
                              << "*.Out"
                              << "Tran.Out"
                              << "Tran Out File Open"
                              << "Inp File|*.Out|All File|*.*";
  }
  void eachPickerSetsItsDialogAndOnlyItsOwnEdit() {
    QFETCH(QString, picker);
    QFETCH(QString, editName);
    QFETCH(QString, extension);
    QFETCH(QString, initialName);
    QFETCH(QString, title);
    QFETCH(QString, filter);
    ScriptedDesktop desktop;
    TKelbrinForm form(desktop);
    // The initial name is the fixed one, whatever the edit holds.
    form.findChild<QLineEdit*>(editName)->setText(QStringLiteral("/elsewhere/current.txt"));
    QStringList expected = allTexts(form);

    desktop.choices = {QString(), QStringLiteral("/picked/Chem.Inp")};
    form.findChild<QAbstractButton*>(picker)->click();  // cancelled
    QCOMPARE(allTexts(form), expected);
    form.findChild<QAbstractButton*>(picker)->click();
    expected[std::find(std::begin(kEditNames), std::end(kEditNames), editName) -
             std::begin(kEditNames)] = QStringLiteral("/picked/Chem.Inp");
    QCOMPARE(allTexts(form), expected);

    QCOMPARE(desktop.picks.size(), 2);
    for (const converter_gui::FilePick& pick : desktop.picks) {
      QCOMPARE(pick.defaultExtension, extension);
      QCOMPARE(pick.fileName, initialName);
      QCOMPARE(pick.title, title);
      QCOMPARE(pick.filter, filter);
    }
  }

  void derivedPrefixFollowsTheLengthClasses() {
    const struct {
      const char* input;
      const char* prefix;
    } kCases[] = {
        {"/d/chem.inp", "/d/"},
        {"/d/CHEM.INP", "/d/"},
        {"/d/h2.inp", "/d/h2_"},             // a short base joins the prefix
        {"/d/chemx.inp", "/d/chemx_"},       // five characters still join
        {"/d/_chem.inp", "/d/_chem_"},       // "_chem" alone has only five
        {"/d/h2air_chem.inp", "/d/h2air_"},  // a long base ending in _chem
        {"/d/h2air_CHEM.inp", "/d/h2air_"},
        {"/d/a_chem.inp", "/d/a_"},  // exactly six
        {"/d/methane.inp", "/d/"},   // a long base without _chem adds nothing
        {"/d/h2.air.inp", "/d/"},    // the extension runs from the last dot
        {"/d.x/h2", "/d.x/h2_"},     // no extension; a dot in the folder is no extension
        {"h2.inp", "h2_"},           // no folder
    };
    for (const auto& c : kCases) {
      const QString prefix = converter_gui::derivedPrefix(QString::fromUtf8(c.input));
      QVERIFY2(prefix == QString::fromUtf8(c.prefix), qPrintable(c.input + (" -> " + prefix)));
    }
  }

  void inputPickerDerivesAllNamesWhenExtendIsChecked() {
    ScriptedDesktop desktop;
    TKelbrinForm form(desktop);
    control<QCheckBox>(form, "ExtendCH")->setChecked(true);
    desktop.choices = {QStringLiteral("/d/h2air_chem.inp")};
    control(form, "InpFB")->click();
    QCOMPARE(allTexts(form),
             (QStringList{"/d/h2air_chem.inp", "/d/h2air_Chem.Bin", "/d/h2air_Therm.Dat",
                          "/d/h2air_Chem.Out", "/d/h2air_Chem.Bin", "/d/h2air_Tran.Dat",
                          "/d/h2air_Tran.Bin", "/d/h2air_Tran.Out"}));
    for (const char* name : kEditNames) QVERIFY(edit(form, name)->hasSelectedText());
  }

  void inputPickerWithoutExtendSetsOnlyTheInput() {
    ScriptedDesktop desktop;
    TKelbrinForm form(desktop);
    QStringList expected = allTexts(form);
    desktop.choices = {QStringLiteral("/d/h2.inp")};
    control(form, "InpFB")->click();
    expected[0] = QStringLiteral("/d/h2.inp");
    QCOMPARE(allTexts(form), expected);
  }

  void extendCheckDerivesOnlyWhenCheckedWithAnInput() {
    ScriptedDesktop desktop;
    TKelbrinForm form(desktop);
    form.show();
    auto* extend = control<QCheckBox>(form, "ExtendCH");

    edit(form, "InpE")->clear();
    QStringList expected = allTexts(form);
    extend->click();  // checked, but no input: nothing changes
    QVERIFY(extend->isChecked());
    QCOMPARE(allTexts(form), expected);
    extend->click();
    QCOMPARE(allTexts(form), expected);

    edit(form, "InpE")->setText(QStringLiteral("/d/h2.inp"));
    extend->click();
    QCOMPARE(edit(form, "ThermE")->text(), QStringLiteral("/d/h2_Therm.Dat"));
    QCOMPARE(edit(form, "QuilletE")->text(), QStringLiteral("/d/h2_Tran.Bin"));

    // Unchecking keeps the derived names, and so does a later change of the input.
    edit(form, "InpE")->setText(QStringLiteral("/e/chem.inp"));
    expected = allTexts(form);
    extend->click();
    QVERIFY(!extend->isChecked());
    QCOMPARE(allTexts(form), expected);
  }

  void chemBinFieldsMirrorOnlyByTypingOrClicking() {
    ScriptedDesktop desktop;
    TKelbrinForm form(desktop);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QLineEdit* bin = edit(form, "BinE");
    QLineEdit* chemBin = edit(form, "CBinE");

    desktop.choices = {QStringLiteral("/p/picked.bin"), QStringLiteral("/p/other.bin")};
    control(form, "BinFB")->click();
    QCOMPARE(bin->text(), QStringLiteral("/p/picked.bin"));
    QCOMPARE(chemBin->text(), QStringLiteral("Chem.Bin"));
    control(form, "VordaneFB")->click();
    QCOMPARE(chemBin->text(), QStringLiteral("/p/other.bin"));
    QCOMPARE(bin->text(), QStringLiteral("/p/picked.bin"));

    bin->setFocus();
    bin->end(false);
    QTest::keyClick(bin, Qt::Key_X);
    QCOMPARE(chemBin->text(), QStringLiteral("/p/picked.binx"));

    chemBin->setText(QStringLiteral("typed"));
    chemBin->setFocus();
    chemBin->end(false);
    QTest::keyClick(chemBin, Qt::Key_Backspace);
    QCOMPARE(bin->text(), QStringLiteral("type"));

    chemBin->setText(QStringLiteral("clicked"));
    QTest::mouseClick(chemBin, Qt::LeftButton);
    QCOMPARE(bin->text(), QStringLiteral("clicked"));
    bin->setText(QStringLiteral("back"));
    QTest::mouseClick(bin, Qt::LeftButton);
    QCOMPARE(chemBin->text(), QStringLiteral("back"));
  }

  // With KELBRIN_SCREENSHOT set to a file name, saves a picture of the window for a look.
  void screenshot() {
    const QString path = qEnvironmentVariable("KELBRIN_SCREENSHOT");
    if (path.isEmpty()) QSKIP("KELBRIN_SCREENSHOT not set");
    ScriptedDesktop desktop;
    TKelbrinForm form(desktop);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(form.grab().save(path));
  }

 private:
  QTemporaryDir workingDir_;
};

QTEST_MAIN(KelbrinFormTest)
#include "kelbrin_form_test.moc"
