#pragma once
// One INI file in memory, kept line by line so that writing a value changes
// only that value's line: every other line, comment, blank line and line
// ending stays as the person who edited the file left it.
//
// Reading follows the rules of the Windows private-profile functions that
// these files were first written for: section and key names match without
// regard to case and surrounding blanks, the first of two equal sections or
// keys wins, the value is trimmed and one pair of surrounding quotes removed.
// Lines without "=" and lines starting with ";" are kept but never read.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "text_codec.h"

namespace zh {

class IniDocument {
  public:
    IniDocument() = default;
    static IniDocument parse(const QByteArray& bytes);
    QByteArray serialize() const;

    std::optional<QString> value(const QString& section, const QString& key) const;

    // Replaces the value of the first matching key, or appends the key to the
    // end of the section's entries, or appends the section at the end.
    // Line breaks in `value` would split the line, so they become blanks.
    void setValue(const QString& section, const QString& key, const QString& value);

    // The name a section is kept under. A "]" would end the header early and
    // a line break would split it, so "]" is written as "&sbc;" (the escape
    // the language files use for it) and a line break as a blank; any other
    // name stays as it is. Reads and writes both go through it, so every
    // name, a data file named "PT-101 [old].cfp" included, finds its section.
    static QString storedSectionName(const QString& name);

    QStringList sectionNames() const;
    QStringList keyNames(const QString& section) const;

    TextEncoding encoding() const { return encoding_; }

  private:
    struct Line {
        QString text;
        QString eol;  // "\r\n", "\n", "\r" or "" for a last line without one
    };
    struct Section {
        QString name;  // as written
        int header = -1;
        int lastEntry = -1;        // last key line, or the header when there is none
        QHash<QString, int> keys;  // case-folded key -> line (first wins)
        QStringList keyOrder;
    };

    void reindex();
    static QString fold(const QString& name) { return name.trimmed().toCaseFolded(); }
    void insertLine(int at, const QString& text);

    std::vector<Line> lines_;
    std::vector<Section> sections_;
    QHash<QString, int> sectionIndex_;  // case-folded name -> index in sections_
    TextEncoding encoding_ = TextEncoding::Utf8;
    QString newline_ = QStringLiteral("\r\n");
};

}  // namespace zh
