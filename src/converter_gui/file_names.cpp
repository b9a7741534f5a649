#include "converter_gui/file_names.h"

namespace converter_gui {

namespace {

// Windows names may also end their drive with a colon; here only the slash separates.
#ifdef _WIN32
bool isSeparator(QChar c) {
  return c == u'\\' || c == u'/' || c == u':';
}
#else
bool isSeparator(QChar c) {
  return c == u'/';
}
#endif

qsizetype lastSeparator(const QString& fileName) {
  for (qsizetype i = fileName.size() - 1; i >= 0; --i) {
    if (isSeparator(fileName[i])) return i;
  }
  return -1;
}

constexpr int kShortBaseLength = 5;  // "chem" and the bases that join the prefix whole
constexpr char16_t kChemSuffix[] = u"_CHEM";

}  // namespace

QString trimControls(const QString& text) {
  qsizetype first = 0;
  qsizetype end = text.size();
  while (first < end && text[first].unicode() <= 32) ++first;
  while (end > first && text[end - 1].unicode() <= 32) --end;
  return text.mid(first, end - first);
}

QByteArray trimControls(const QByteArray& text) {
  qsizetype first = 0;
  qsizetype end = text.size();
  while (first < end && static_cast<unsigned char>(text[first]) <= 32) ++first;
  while (end > first && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
  return text.mid(first, end - first);
}

QString asciiUpper(const QString& text) {
  QString upper = text;
  for (QChar& c : upper) {
    if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - u'a' + u'A');
  }
  return upper;
}

QString directoryPart(const QString& fileName) {
  return fileName.left(lastSeparator(fileName) + 1);
}

QString StripExtension(const QString& fileName) {
  const QString name = fileName.mid(lastSeparator(fileName) + 1);
  const qsizetype dot = name.lastIndexOf(u'.');
  return dot < 0 ? name : name.left(dot);
}

QString derivedPrefix(const QString& fileName) {
  const QString dir = directoryPart(fileName);
  const QString base = StripExtension(fileName);
  if (base.size() <= kShortBaseLength) {
    return asciiUpper(base) == u"CHEM" ? dir : dir + base + u'_';
  }
  if (asciiUpper(base.right(kShortBaseLength)) == kChemSuffix) {
    return dir + base.chopped(kShortBaseLength) + u'_';
  }
  return dir;
}

}  // namespace converter_gui
