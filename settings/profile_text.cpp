#include "settings/profile_text.h"

#include <QString>

namespace dorvex {
namespace {

constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF");

enum class LineKind { Blank, Comment, Section, Entry, Other };

// One line of the text: its content (without the line end) classified, with views into the text.
struct Line {
  qsizetype begin = 0;
  qsizetype contentEnd = 0;  // before "\r\n" or "\n"
  qsizetype end = 0;         // after the line end
  LineKind kind = LineKind::Other;
  QByteArrayView name;           // section name or key, trimmed
  QByteArrayView value;          // entry value, trimmed
  qsizetype valueEditBegin = 0;  // where a new value replaces the old one (entries)
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

QByteArrayView Trimmed(QByteArrayView text) {
  qsizetype first = 0;
  qsizetype last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.sliced(first, last - first);
}

void Classify(QByteArrayView text, Line& line) {
  QByteArrayView content = text.sliced(line.begin, line.contentEnd - line.begin);
  if (line.begin == 0 && content.startsWith(kUtf8Bom)) content = content.sliced(kUtf8Bom.size());
  const QByteArrayView trimmed = Trimmed(content);
  if (trimmed.isEmpty()) {
    line.kind = LineKind::Blank;
  } else if (trimmed.front() == ';' || trimmed.front() == '#') {
    line.kind = LineKind::Comment;
  } else if (const qsizetype close = trimmed.indexOf(']'); trimmed.front() == '[' && close > 0) {
    line.kind = LineKind::Section;
    line.name = Trimmed(trimmed.sliced(1, close - 1));
  } else if (const qsizetype equals = trimmed.indexOf('='); equals >= 0) {
    line.kind = LineKind::Entry;
    line.name = Trimmed(trimmed.first(equals));
    line.value = Trimmed(trimmed.sliced(equals + 1));
    const qsizetype afterEquals = (trimmed.data() - text.data()) + equals + 1;
    line.valueEditBegin = line.value.isEmpty() ? afterEquals : line.value.data() - text.data();
  } else {
    line.kind = LineKind::Other;
  }
}

// Calls visit(line) for each line in order until it returns false.
template <typename Visit>
void ForEachLine(QByteArrayView text, Visit visit) {
  qsizetype begin = 0;
  while (begin < text.size()) {
    Line line;
    line.begin = begin;
    const qsizetype newline = text.indexOf('\n', begin);
    line.end = newline < 0 ? text.size() : newline + 1;
    line.contentEnd = newline < 0 ? text.size() : newline;
    if (newline > begin && text[newline - 1] == '\r') --line.contentEnd;
    Classify(text, line);
    if (!visit(line)) return;
    begin = line.end;
  }
}

bool IsAscii(QByteArrayView text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

// A name as the caller gives it, ready to be compared with names in the text.
class WantedName {
 public:
  explicit WantedName(QStringView name)
      : text_(name.trimmed().toString()), utf8_(text_.toUtf8()), ascii_(IsAscii(utf8_)) {}

  const QByteArray& Utf8() const { return utf8_; }

  // Letter case ignored. Names in the text that are not valid UTF-8 match nothing but themselves.
  bool Matches(QByteArrayView found) const {
    if (ascii_ && IsAscii(found)) {
      if (found.size() != utf8_.size()) return false;
      for (qsizetype i = 0; i < found.size(); ++i) {
        if (AsciiLower(found[i]) != AsciiLower(utf8_[i])) return false;
      }
      return true;
    }
    if (found == QByteArrayView(utf8_)) return true;
    const QString decoded = QString::fromUtf8(found);
    return decoded.toUtf8() == found && QString::compare(decoded, text_, Qt::CaseInsensitive) == 0;
  }

 private:
  QString text_;
  QByteArray utf8_;
  bool ascii_;
};

// Where a section and a key sit in the text; -1 for what is missing.
struct Location {
  bool sectionFound = false;
  Line entry;                        // kind Entry when the key was found
  qsizetype sectionContentEnd = -1;  // end of the section's last line that is not blank/comment
  bool lastLineBlank = true;         // of the whole text (for placing a new section)
};

Location Locate(QByteArrayView text, const WantedName& section, const WantedName& key) {
  Location found;
  enum { Before, Inside, After } state = Before;
  ForEachLine(text, [&](const Line& line) {
    found.lastLineBlank = line.kind == LineKind::Blank;
    if (line.kind == LineKind::Section) {
      if (state == Inside) {
        state = After;
      } else if (state == Before && section.Matches(line.name)) {
        state = Inside;
        found.sectionFound = true;
        found.sectionContentEnd = line.end;
      }
      return true;
    }
    if (state != Inside) return true;
    if (line.kind == LineKind::Entry && key.Matches(line.name)) {
      found.entry = line;
      return false;
    }
    if (line.kind != LineKind::Blank && line.kind != LineKind::Comment) {
      found.sectionContentEnd = line.end;
    }
    return true;
  });
  return found;
}

QByteArray LineEndOf(QByteArrayView text) {
  const qsizetype newline = text.indexOf('\n');
  return (newline > 0 && text[newline - 1] == '\r') ? QByteArray("\r\n") : QByteArray("\n");
}

bool HasLineBreak(QByteArrayView text) {
  return text.contains('\n') || text.contains('\r');
}

}  // namespace

std::optional<QByteArray> ProfileText::Value(QStringView section, QStringView key) const {
  const Location found = Locate(bytes_, WantedName(section), WantedName(key));
  if (found.entry.kind != LineKind::Entry) return std::nullopt;
  return found.entry.value.toByteArray();
}

bool ProfileText::CanStore(QStringView section, QStringView key, QByteArrayView value) {
  const QByteArray sectionName = section.trimmed().toUtf8();
  const QByteArray keyName = key.trimmed().toUtf8();
  if (HasLineBreak(sectionName) || sectionName.contains(']')) return false;
  if (keyName.isEmpty() || HasLineBreak(keyName) || keyName.contains('=')) return false;
  if (keyName.front() == ';' || keyName.front() == '#' || keyName.front() == '[') return false;
  return !HasLineBreak(value);
}

bool ProfileText::SetValue(QStringView section, QStringView key, QByteArrayView value) {
  const WantedName sectionName(section);
  const WantedName keyName(key);
  const Location found = Locate(bytes_, sectionName, keyName);
  if (found.entry.kind == LineKind::Entry) {
    if (found.entry.value == value) return false;
    bytes_.replace(found.entry.valueEditBegin, found.entry.contentEnd - found.entry.valueEditBegin,
                   value);
    return true;
  }

  const QByteArray lineEnd = LineEndOf(bytes_);
  const QByteArray entry = keyName.Utf8() + '=' + value.toByteArray() + lineEnd;
  const qsizetype at = found.sectionFound ? found.sectionContentEnd : bytes_.size();
  QByteArray insertion;
  if (at > 0 && bytes_[at - 1] != '\n') insertion += lineEnd;  // last line without a line end
  if (!found.sectionFound) {
    if (!bytes_.isEmpty() && !found.lastLineBlank) insertion += lineEnd;
    insertion += '[' + sectionName.Utf8() + ']' + lineEnd;
  }
  insertion += entry;
  bytes_.insert(at, insertion);
  return true;
}

}  // namespace dorvex
