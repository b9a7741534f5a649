// The settings file: the defaults loaded when the window is shown and saved with their history.
#include "converter_gui/kelbrin_form.h"
#include "converter_gui/settings_file.h"
#include "scripted_desktop.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using converter_gui::TKelbrinForm;

namespace {

const QStringList kInitialTexts = {"Chem.Inp", "Chem.Bin", "Therm.Dat", "Chem.Out",
                                   "Chem.Bin", "Tran.Dat", "Tran.Bin",  "Tran.Out"};
const QString kStampPattern = QStringLiteral(R"(!----------\d{4}-\d\d-\d\d,\d\d:\d\d:\d\d)");

QStringList fieldTexts(const TKelbrinForm& form) {
  QStringList texts;
  for (const QLineEdit* edit : form.fileEdits()) texts << edit->text();
  return texts;
}

void setFieldTexts(const TKelbrinForm& form, const QStringList& texts) {
  for (int i = 0; i < 8; ++i) form.fileEdits()[i]->setText(texts[i]);
}

QByteArray readAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return "<missing>";
  return file.readAll();
}

void writeAll(const QString& path, const QByteArray& content) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  QCOMPARE(file.write(content), content.size());
}

// Matches `content` against `pattern`, a whole-file pattern in which "STAMP" stands for a
// time-stamp line.
void compareWithStamps(const QByteArray& content, QString pattern) {
  pattern = QRegularExpression::escape(pattern).replace(QStringLiteral("STAMP"), kStampPattern);
  const QRegularExpression whole(QRegularExpression::anchoredPattern(pattern));
  QVERIFY2(whole.match(QString::fromUtf8(content)).hasMatch(), content.constData());
}

}  // namespace

class KelbrinSettingsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    workingDir_.emplace();
    QVERIFY(workingDir_->isValid());
    QVERIFY(QDir::setCurrent(workingDir_->path()));
  }
  void cleanup() { workingDir_.reset(); }

  void loadingReadsValueLinesInFieldOrder_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("more than eight values: the first eight")
        << QByteArray("a\nb\nc\nd\ne\nf\ng\nh\ni\n")
        << QStringList{"a", "b", "c", "d", "e", "f", "g", "h"};
    QTest::newRow("comments, empty lines, old blocks and stamps skipped")
        << QByteArray(
               "\n!----------2020-01-02,03:04:05\n!old\n\n!----------2021-01-02,03:04:05\n"
               "i.inp\n!b\nb.bin\nt.dat\no.out\nc.bin\nd.dat\nq.bin\nr.out\n")
        << QStringList{"i.inp", "b.bin", "t.dat", "o.out", "c.bin", "d.dat", "q.bin", "r.out"};
    QTest::newRow("indented values and control characters trimmed, CRLF lines")
        << QByteArray("  a b \r\n\t!c\r\n\x01 d\x02\r\n   \r\n")
        << QStringList{"a b",      "d",        "Therm.Dat", "Chem.Out",
                       "Chem.Bin", "Tran.Dat", "Tran.Bin",  "Tran.Out"};
    QTest::newRow("last line without line end")
        << QByteArray("/x/y z.inp")
        << QStringList{"/x/y z.inp", "Chem.Bin", "Therm.Dat", "Chem.Out",
                       "Chem.Bin",   "Tran.Dat", "Tran.Bin",  "Tran.Out"};
  }
  void loadingReadsValueLinesInFieldOrder() {
    QFETCH(QByteArray, content);
    QFETCH(QStringList, expected);
    writeAll(QStringLiteral("Kelbrin.Ini"), content);
    ScriptedDesktop desktop;
    TKelbrinForm form(desktop);
    form.show();
    QCOMPARE(fieldTexts(form), expected);
    QCOMPARE(desktop.events, QStringList());
    for (const QLineEdit* edit : form.fileEdits()) {
      QCOMPARE(edit->selectedText(), edit->text());
    }
  }

  void noSettingsFileKeepsTheInitialTexts() {
    ScriptedDesktop desktop;
    TKelbrinForm form(desktop);
    form.show();
    QCOMPARE(fieldTexts(form), kInitialTexts);
    QCOMPARE(desktop.events, QStringList());
  }

  void firstSaveWritesOneStampedBlock() {
    ScriptedDesktop desktop;
    TKelbrinForm form(desktop);
    form.show();
    setFieldTexts(form,
                  {" /a/in.inp", "b.bin", "t.dat", "o.out", "c.bin", "d.dat", "q.bin", "r.out "});
    desktop.answers = {true};
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    form.findChild<QAbstractButton*>(QStringLiteral("SaveB"))->click();
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);

    QCOMPARE(desktop.events, QStringList{"question: Save as the default?"});
    const QByteArray content = readAll(QStringLiteral("Kelbrin.Ini"));
    compareWithStamps(content,
                      "\nSTAMP\n /a/in.inp\nb.bin\nt.dat\no.out\nc.bin\nd.dat\nq.bin\n"
                      "r.out \n");
    const QDateTime stamp = QDateTime::fromString(QString::fromUtf8(content.mid(12, 19)),
                                                  QStringLiteral("yyyy-MM-dd,HH:mm:ss"));
    QVERIFY(stamp >= before.addMSecs(-before.time().msec()) && stamp <= after);
    QVERIFY(!QFile::exists(QStringLiteral("Kelbrin.Bak")));
  }

  void secondSaveKeepsTheFirstAsCommentsAndBacksItUp() {
    // An earlier file written by hand: an indented value, a "!" comment and an empty line.
    const QByteArray earlier = "\n!----------2020-01-02,03:04:05\n   a.inp\n!note\nb.bin\n";
    writeAll(QStringLiteral("Kelbrin.Ini"), earlier);
    writeAll(QStringLiteral("Kelbrin.Bak"), "older backup\n");
    ScriptedDesktop desktop;
    TKelbrinForm form(desktop);
    form.show();
    desktop.answers = {true, true};
    form.SaveBClick();
    const QByteArray firstSave = readAll(QStringLiteral("Kelbrin.Ini"));
    QCOMPARE(readAll(QStringLiteral("Kelbrin.Bak")), earlier);
    form.fileEdits()[0]->setText(QStringLiteral("new.inp"));
    form.SaveBClick();

    QCOMPARE(readAll(QStringLiteral("Kelbrin.Bak")), firstSave);
    compareWithStamps(readAll(QStringLiteral("Kelbrin.Ini")),
                      "\n!----------2020-01-02,03:04:05\n!   a.inp\n!note\n!b.bin\n"
                      "\nSTAMP\n!a.inp\n!b.bin\n!Therm.Dat\n!Chem.Out\n!Chem.Bin\n!Tran.Dat\n"
                      "!Tran.Bin\n!Tran.Out\n"
                      "\nSTAMP\nnew.inp\nb.bin\nTherm.Dat\nChem.Out\nChem.Bin\nTran.Dat\n"
                      "Tran.Bin\nTran.Out\n");

    // Only the last block is live.
    ScriptedDesktop again;
    TKelbrinForm reloaded(again);
    reloaded.show();
    QCOMPARE(fieldTexts(reloaded), fieldTexts(form));
  }

  void answeringNoWritesNothing() {
    writeAll(QStringLiteral("Kelbrin.Ini"), "a.inp\n");
    writeAll(QStringLiteral("Kelbrin.Bak"), "old\n");
    ScriptedDesktop desktop;
    TKelbrinForm form(desktop);
    form.show();
    desktop.answers = {false};
    form.SaveBClick();
    QCOMPARE(desktop.events, QStringList{"question: Save as the default?"});
    QCOMPARE(readAll(QStringLiteral("Kelbrin.Ini")), QByteArray("a.inp\n"));
    QCOMPARE(readAll(QStringLiteral("Kelbrin.Bak")), QByteArray("old\n"));

    QFile::remove(QStringLiteral("Kelbrin.Ini"));
    desktop.answers = {false};
    form.SaveBClick();
    QVERIFY(!QFile::exists(QStringLiteral("Kelbrin.Ini")));
  }

  void emptyFieldMovesLaterValuesUpAtTheNextStart() {
    ScriptedDesktop desktop;
    TKelbrinForm form(desktop);
    form.show();
    setFieldTexts(form, {"a", "", "c", "d", "e", "f", "g", "!h"});
    desktop.answers = {true};
    form.SaveBClick();

    ScriptedDesktop again;
    TKelbrinForm reloaded(again);
    reloaded.show();
    // The empty value is skipped and the name starting with "!" reads as a comment.
    QCOMPARE(fieldTexts(reloaded),
             (QStringList{"a", "c", "d", "e", "f", "g", "Tran.Bin", "Tran.Out"}));
  }

  void settingsStayInTheStartingDirectory() {
    ScriptedDesktop desktop;
    TKelbrinForm form(desktop);
    const QString startDir = QDir::currentPath();
    QCOMPARE(form.settingsDir(), startDir);
    QTemporaryDir elsewhere;
    QVERIFY(QDir::setCurrent(elsewhere.path()));
    desktop.answers = {true};
    form.SaveBClick();
    QVERIFY(QFile::exists(startDir + QStringLiteral("/Kelbrin.Ini")));
    QVERIFY(!QFile::exists(elsewhere.path() + QStringLiteral("/Kelbrin.Ini")));
    QVERIFY(QDir::setCurrent(startDir));
  }

  void inputOutputFailuresAreReported() {
    // A folder in place of the settings file can be neither read nor copied.
    QVERIFY(QDir().mkdir(QStringLiteral("Kelbrin.Ini")));
    ScriptedDesktop desktop;
    TKelbrinForm form(desktop);
    form.show();
    QCOMPARE(fieldTexts(form), kInitialTexts);
    QCOMPARE(desktop.events.size(), 1);
    QVERIFY2(desktop.events[0].startsWith(QStringLiteral("message: Can not ")),
             qPrintable(desktop.events[0]));

    desktop.events.clear();
    desktop.answers = {true};
    form.SaveBClick();
    QCOMPARE(desktop.events.size(), 2);
    QVERIFY2(desktop.events[1].startsWith(QStringLiteral("message: Can not ")),
             qPrintable(desktop.events[1]));
    QVERIFY(QFileInfo(QStringLiteral("Kelbrin.Ini")).isDir());
  }

 private:
  std::optional<QTemporaryDir> workingDir_;
};

QTEST_MAIN(KelbrinSettingsTest)
#include "kelbrin_settings_test.moc"
