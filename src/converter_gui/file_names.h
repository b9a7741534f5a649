// File-name rules of the converter window: trimming of field texts and the default names that
// follow from the name of the mechanism input file.
#pragma once

#include <QByteArray>
#include <QString>

namespace converter_gui {

// Removes leading and trailing characters with codes up to 32 (blanks and control characters).
// Unlike QString::trimmed, this keeps non-ASCII spaces and removes every control character.
QString trimControls(const QString& text);
QByteArray trimControls(const QByteArray& text);

// Maps only the letters a to z; every other character stays as it is.
QString asciiUpper(const QString& text);

// The directory part of a file name, up to and including the last separator; empty when there
// is none.
QString directoryPart(const QString& fileName);

// The file-name part without its directory and without its extension, which runs from the last
// "." of the file-name part to its end.
QString StripExtension(const QString& fileName);

// The prefix that the default names get from the mechanism input file (the "default extend"
// rule). A base of up to 5 characters joins the prefix unless it is "chem" in any case; a longer
// base contributes only when it ends in "_chem", and then without those 5 characters.
QString derivedPrefix(const QString& fileName);

}  // namespace converter_gui
