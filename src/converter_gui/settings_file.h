// The settings file Kelbrin.Ini: the eight file names of the window as defaults, with every
// earlier set of defaults kept above them as comment lines, and Kelbrin.Bak, the file as it was
// before the last save.
//
// Lines are read trimmed of characters with codes up to 32. An empty line is skipped, a line
// starting with "!" is a comment, and every other line is the next value in field order. A save
// turns every value line of the old file into a comment by putting "!" in front of it (untrimmed),
// then appends an empty line, the time-stamp line and the eight current texts as they stand.
// Texts are stored in UTF-8.
#pragma once

#include <QDateTime>
#include <QString>

#include <array>

namespace converter_gui {

inline constexpr int kFieldCount = 8;

// Field texts in settings order: InpE, BinE, ThermE, OutE, CBinE, TranDatE, QuilletE, TranOutE.
using FieldTexts = std::array<QString, kFieldCount>;

QString settingsFilePath(const QString& settingsDir);
QString backupFilePath(const QString& settingsDir);

// "!----------YYYY-MM-DD,HH:MM:SS" for the given local time.
QString timeStampLine(const QDateTime& localTime);

// Sets `fields` from the value lines of the settings file, in order, up to the eighth value;
// fields without a value keep their text. A missing file is no failure. Returns the message of
// an input/output failure, empty when there was none; the values read before it stay set.
QString LoadSettings(const QString& settingsDir, FieldTexts& fields);

// Saves `fields` as the new defaults, stamped with `now`. Returns the message of an input/output
// failure, empty when there was none. After a failure the previous file survives as the backup.
QString SaveSettings(const QString& settingsDir, const FieldTexts& fields, const QDateTime& now);

}  // namespace converter_gui
