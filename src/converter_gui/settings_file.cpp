#include "converter_gui/settings_file.h"

#include "converter_gui/file_names.h"

#include <QFile>

namespace converter_gui {

namespace {

constexpr char kSettingsName[] = "Kelbrin.Ini";
constexpr char kBackupName[] = "Kelbrin.Bak";
constexpr char kTimeStampLead[] = "!----------";
constexpr char16_t kTimeStampFormat[] = u"yyyy-MM-dd,HH:mm:ss";

// Failure messages; %1 is the file, the last argument the system's description of the failure.
constexpr char kOpenFailed[] = "Can not open %1: %2";
constexpr char kReadFailed[] = "Can not read %1: %2";
constexpr char kWriteFailed[] = "Can not write %1: %2";
constexpr char kCloseFailed[] = "Can not close %1: %2";
constexpr char kReplaceFailed[] = "Can not replace %1: %2";
constexpr char kCopyFailed[] = "Can not copy %1 to %2: %3";

QString failure(const char* pattern, const QFile& file) {
  return QString::fromLatin1(pattern).arg(file.fileName(), file.errorString());
}

// One line without its line end; text mode has already turned "\r\n" into "\n".
QByteArray withoutLineEnd(QByteArray line) {
  if (line.endsWith('\n')) line.chop(1);
  return line;
}

bool writeLine(QFile& file, const QByteArray& line) {
  return file.write(line) == line.size() && file.write("\n", 1) == 1;
}

// Flushes before closing: QFile::close ignores the errors of its own flush.
QString finishWriting(QFile& file) {
  if (!file.flush()) return failure(kWriteFailed, file);
  file.close();
  if (file.error() != QFileDevice::NoError) return failure(kCloseFailed, file);
  return {};
}

// Rewrites the settings file from the backup with every value line turned into a comment.
QString commentOutHistory(QFile& backup, QFile& settings) {
  while (!backup.atEnd()) {
    QByteArray line = withoutLineEnd(backup.readLine());
    if (backup.error() != QFileDevice::NoError) return failure(kReadFailed, backup);
    if (!line.isEmpty() && !line.startsWith('!')) line.prepend('!');
    if (!writeLine(settings, line)) return failure(kWriteFailed, settings);
  }
  return {};
}

}  // namespace

QString settingsFilePath(const QString& settingsDir) {
  return settingsDir + u'/' + QLatin1String(kSettingsName);
}

QString backupFilePath(const QString& settingsDir) {
  return settingsDir + u'/' + QLatin1String(kBackupName);
}

QString timeStampLine(const QDateTime& localTime) {
  return QLatin1String(kTimeStampLead) + localTime.toString(kTimeStampFormat);
}

QString LoadSettings(const QString& settingsDir, FieldTexts& fields) {
  QFile file(settingsFilePath(settingsDir));
  if (!file.exists()) return {};
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return failure(kOpenFailed, file);
  int next = 0;
  while (next < kFieldCount && !file.atEnd()) {
    const QByteArray line = trimControls(file.readLine());
    if (file.error() != QFileDevice::NoError) return failure(kReadFailed, file);
    if (line.isEmpty() || line.startsWith('!')) continue;
    fields[next++] = QString::fromUtf8(line);
  }
  return {};
}

QString SaveSettings(const QString& settingsDir, const FieldTexts& fields, const QDateTime& now) {
  QFile settings(settingsFilePath(settingsDir));
  if (settings.exists()) {
    // The copy comes first, so that a failure further on leaves the old defaults in the backup.
    QFile backup(backupFilePath(settingsDir));
    if (backup.exists() && !backup.remove()) return failure(kReplaceFailed, backup);
    if (!settings.copy(backup.fileName())) {
      return QString::fromLatin1(kCopyFailed)
          .arg(settings.fileName(), backup.fileName(), settings.errorString());
    }
    if (!backup.open(QIODevice::ReadOnly | QIODevice::Text)) return failure(kOpenFailed, backup);
    if (!settings.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
      return failure(kOpenFailed, settings);
    }
    if (QString error = commentOutHistory(backup, settings); !error.isEmpty()) return error;
  } else if (!settings.open(QIODevice::WriteOnly | QIODevice::Text)) {
    return failure(kOpenFailed, settings);
  }

  bool written = writeLine(settings, {}) && writeLine(settings, timeStampLine(now).toUtf8());
  for (const QString& text : fields) written = written && writeLine(settings, text.toUtf8());
  if (!written) return failure(kWriteFailed, settings);
  return finishWriting(settings);
}

}  // namespace converter_gui
