// The two conversions through stand-in converter libraries: the names each entry receives,
// the messages, and the binding failures.
#include "converter_gui/kelbrin_form.h"
#include "scripted_desktop.h"

#include <QAbstractButton>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

using converter_gui::TKelbrinForm;

namespace {

const QString kCompleted = QStringLiteral("message: Vordane completed!");
const QString kFailed = QStringLiteral("message: Vordane Error, please check outfile!");
const QString kTransportCompleted = QStringLiteral("message: Quillet completed!");

void setFieldTexts(const TKelbrinForm& form, const QStringList& texts) {
  for (int i = 0; i < 8; ++i) form.fileEdits()[i]->setText(texts[i]);
}

void click(const TKelbrinForm& form, const QString& name) {
  form.findChild<QAbstractButton*>(name)->click();
}

}  // namespace

class KelbrinConversionTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    logDir_.emplace();
    QVERIFY(logDir_->isValid());
    logPath_ = logDir_->filePath(QStringLiteral("calls.log"));
    qputenv("FAKE_CONVERTER_LOG", QFile::encodeName(logPath_));
  }
  void cleanup() { logDir_.reset(); }

  // Fields in settings order: InpE, BinE, ThermE, OutE, CBinE, TranDatE, QuilletE, TranOutE.
  void conversionsPassTrimmedNamesInTheirOrder_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QStringList>("events");
    const QStringList plain = {"m.inp",  "k.bin",  "th.dat", "k.out",
                               "kk.bin", "tr.dat", "t.bin",  "t.out"};
    QTest::newRow("chemistry: input, linking file, thermo data, listing")
        << plain << "TranB"
        << QStringList{"MECHTOBIN call=1 flag=0 [m.inp]:5:5 [k.bin]:5:5 [th.dat]:6:6 [k.out]:5:5"}
        << QStringList{kCompleted};
    QTest::newRow("transport: linking file, transport file, transport data, listing")
        << plain << "QuilletB"
        << QStringList{"TRANTOBIN call=1 flag=0 [kk.bin]:6:6 [t.bin]:5:5 [tr.dat]:6:6 "
                       "[t.out]:5:5"}
        << QStringList{kTransportCompleted};
    QTest::newRow("blanks and control characters trimmed, inner blanks kept")
        << QStringList{" \t/d/my mech.inp \r", "\x01k.bin", "th.dat  ", "k.out",
                       "kk.bin", "tr.dat", "t.bin", "t.out"}
        << "TranB"
        << QStringList{"MECHTOBIN call=1 flag=0 [/d/my mech.inp]:14:14 [k.bin]:5:5 "
                       "[th.dat]:6:6 [k.out]:5:5"}
        << QStringList{kCompleted};
    QTest::newRow("empty and blank names as null with length 0")
        << QStringList{"m.inp", "", "   ", "k.out", "kk.bin", "tr.dat", "t.bin", "t.out"} << "TranB"
        << QStringList{"MECHTOBIN call=1 flag=0 [m.inp]:5:5 <null>:0 <null>:0 [k.out]:5:5"}
        << QStringList{kCompleted};
    QTest::newRow("UTF-8 name counted in bytes")
        << QStringList{"\u00e9.inp", "k.bin", "th.dat", "k.out",
                       "kk.bin", "tr.dat", "t.bin", "t.out"}
        << "TranB"
        << QStringList{"MECHTOBIN call=1 flag=0 [\u00e9.inp]:6:6 [k.bin]:5:5 [th.dat]:6:6 "
                       "[k.out]:5:5"}
        << QStringList{kCompleted};
    QTest::newRow("failure flag gives the error message")
        << QStringList{"fail.inp", "k.bin", "th.dat", "k.out",
                       "kk.bin", "tr.dat", "t.bin", "t.out"}
        << "TranB"
        << QStringList{"MECHTOBIN call=1 flag=0 [fail.inp]:8:8 [k.bin]:5:5 [th.dat]:6:6 "
                       "[k.out]:5:5"}
        << QStringList{kFailed};
    QTest::newRow("both: chemistry first, each with its own message")
        << QStringList{"fail.inp", "k.bin", "th.dat", "k.out",
                       "kk.bin", "tr.dat", "t.bin", "t.out"}
        << "BorthB"
        << QStringList{"MECHTOBIN call=1 flag=0 [fail.inp]:8:8 [k.bin]:5:5 [th.dat]:6:6 "
                       "[k.out]:5:5",
                       "TRANTOBIN call=1 flag=0 [kk.bin]:6:6 [t.bin]:5:5 [tr.dat]:6:6 "
                       "[t.out]:5:5"}
        << QStringList{kFailed, kTransportCompleted};
  }
  void conversionsPassTrimmedNamesInTheirOrder() {
    QFETCH(QStringList, fields);
    QFETCH(QString, button);
    QFETCH(QStringList, calls);
    QFETCH(QStringList, events);
    ScriptedDesktop desktop;
    TKelbrinForm form(desktop);
    setFieldTexts(form, fields);
    click(form, button);
    QCOMPARE(loggedCalls(), calls);
    QCOMPARE(desktop.events, events);
    // The edits keep their text as typed.
    for (int i = 0; i < 8; ++i) QCOMPARE(form.fileEdits()[i]->text(), fields[i]);
  }

  void eachLibraryKeepsItsOwnFlagAndIsUnloadedAfterEachCall() {
    ScriptedDesktop desktop;
    TKelbrinForm form(desktop);
    setFieldTexts(form,
                  {"fail.inp", "k.bin", "th.dat", "k.out", "keep.bin", "tr.dat", "t.bin", "t.out"});
    click(form, QStringLiteral("TranB"));
    // A library that leaves the flag alone finds it as the last call left it...
    form.fileEdits()[0]->setText(QStringLiteral("keep.inp"));
    click(form, QStringLiteral("TranB"));
    // ...while the other library's flag is still zero.
    click(form, QStringLiteral("QuilletB"));
    form.fileEdits()[0]->setText(QStringLiteral("m.inp"));
    click(form, QStringLiteral("TranB"));

    const QStringList calls = loggedCalls();
    QCOMPARE(calls.size(), 4);
    QVERIFY(calls[0].startsWith(QStringLiteral("MECHTOBIN call=1 flag=0 ")));
    QVERIFY(calls[1].startsWith(QStringLiteral("MECHTOBIN call=1 flag=3 ")));
    QVERIFY(calls[2].startsWith(QStringLiteral("TRANTOBIN call=1 flag=0 ")));
    QVERIFY(calls[3].startsWith(QStringLiteral("MECHTOBIN call=1 flag=3 ")));
    QCOMPARE(desktop.events, (QStringList{kFailed, kFailed, kTransportCompleted, kCompleted}));
  }

  void bindingFailuresBeepAndCallNothing_data() {
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("events");
    QTest::newRow("no chemistry library")
        << QString() << "TranB" << QStringList{"beep", "message: Can not find Vordane.dll."};
    QTest::newRow("no transport library")
        << QString() << "QuilletB" << QStringList{"beep", "message: Can not find Quillet.dll."};
    QTest::newRow("both without libraries")
        << QString() << "BorthB"
        << QStringList{"beep", "message: Can not find Vordane.dll.", "beep",
                       "message: Can not find Quillet.dll."};
    QTest::newRow("chemistry entry missing")
        << QStringLiteral(KELBRIN_NO_ENTRY_DIR) << "TranB"
        << QStringList{"beep", "message: Can not locate MECHTOBIN in dll.127"};
    QTest::newRow("transport entry missing")
        << QStringLiteral(KELBRIN_NO_ENTRY_DIR) << "QuilletB"
        << QStringList{"beep", "message: Can not locate TRANTOBIN in dll.127"};
  }
  void bindingFailuresBeepAndCallNothing() {
    QFETCH(QString, directory);
    QFETCH(QString, button);
    QFETCH(QStringList, events);
    if (directory.isEmpty()) directory = logDir_->path();  // holds no library
    ScriptedDesktop desktop(directory);
    TKelbrinForm form(desktop);
    click(form, button);
    QCOMPARE(desktop.events, events);
    QCOMPARE(loggedCalls(), QStringList());
  }

 private:
  QStringList loggedCalls() const {
    QFile log(logPath_);
    if (!log.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
  }

  std::optional<QTemporaryDir> logDir_;
  QString logPath_;
};

QTEST_MAIN(KelbrinConversionTest)
#include "kelbrin_conversion_test.moc"
