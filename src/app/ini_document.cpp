#include "ini_document.h"

namespace zh {
namespace {

// The name of a "[name]" line, or nothing when the line is no section header.
std::optional<QString> sectionHeader(const QString& line) {
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('['))) return std::nullopt;
    const int close = t.indexOf(QLatin1Char(']'));
    if (close < 0) return std::nullopt;
    return t.mid(1, close - 1).trimmed();
}

bool isComment(const QString& line) {
    for (QChar c : line) {
        if (c.isSpace()) continue;
        return c == QLatin1Char(';');
    }
    return false;
}

}  // namespace

IniDocument IniDocument::parse(const QByteArray& bytes) {
    IniDocument doc;
    DecodedText decoded = decodeText(bytes);
    doc.encoding_ = decoded.encoding;
    const QString& text = decoded.text;

    bool newlineSeen = false;
    int start = 0;
    const int n = text.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) continue;
        int eolLen =
            (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n')) ? 2 : 1;
        Line line{text.mid(start, i - start), text.mid(i, eolLen)};
        if (!newlineSeen) {
            doc.newline_ = line.eol;
            newlineSeen = true;
        }
        doc.lines_.push_back(std::move(line));
        i += eolLen - 1;
        start = i + 1;
    }
    if (start < n) doc.lines_.push_back({text.mid(start), QString()});
    doc.reindex();
    return doc;
}

QByteArray IniDocument::serialize() const {
    QString text;
    for (const Line& line : lines_) {
        text += line.text;
        text += line.eol;
    }
    return encodeText(text, encoding_);
}

void IniDocument::reindex() {
    sections_.clear();
    sectionIndex_.clear();
    int current = -1;  // keys before the first header belong to no section
    for (int i = 0; i < static_cast<int>(lines_.size()); ++i) {
        const QString& text = lines_[i].text;
        if (auto name = sectionHeader(text)) {
            const QString folded = name->toCaseFolded();
            if (sectionIndex_.contains(folded)) {
                current = -1;  // a repeated section is never read
            } else {
                current = static_cast<int>(sections_.size());
                Section s;
                s.name = *name;
                s.header = i;
                s.lastEntry = i;
                sections_.push_back(std::move(s));
                sectionIndex_.insert(folded, current);
            }
            continue;
        }
        // A line opening with "[" is no key even without its "]": a value
        // written into it could close the bracket and make it a header.
        if (current < 0 || isComment(text) || text.trimmed().startsWith(QLatin1Char('['))) continue;
        const int eq = text.indexOf(QLatin1Char('='));
        if (eq < 0) continue;
        const QString key = text.left(eq).trimmed();
        if (key.isEmpty()) continue;
        Section& s = sections_[current];
        s.lastEntry = i;
        const QString folded = key.toCaseFolded();
        if (!s.keys.contains(folded)) {
            s.keys.insert(folded, i);
            s.keyOrder.append(key);
        }
    }
}

QString IniDocument::storedSectionName(const QString& name) {
    QString stored = name;
    stored.replace(QLatin1Char(']'), QLatin1String("&sbc;"));
    stored.replace(QLatin1String("\r\n"), QLatin1String(" "));
    stored.replace(QLatin1Char('\r'), QLatin1Char(' '));
    stored.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return stored.trimmed();
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const {
    const auto sit = sectionIndex_.constFind(fold(storedSectionName(section)));
    if (sit == sectionIndex_.constEnd()) return std::nullopt;
    const Section& s = sections_[*sit];
    const auto kit = s.keys.constFind(fold(key));
    if (kit == s.keys.constEnd()) return std::nullopt;
    const QString& text = lines_[*kit].text;
    QString v = text.mid(text.indexOf(QLatin1Char('=')) + 1).trimmed();
    if (v.size() >= 2) {
        const QChar q = v.front();
        if ((q == QLatin1Char('"') || q == QLatin1Char('\'')) && v.back() == q)
            v = v.mid(1, v.size() - 2);
    }
    return v;
}

void IniDocument::insertLine(int at, const QString& text) {
    // The line before the new one must end with a line break.
    if (at > 0 && lines_[at - 1].eol.isEmpty()) lines_[at - 1].eol = newline_;
    lines_.insert(lines_.begin() + at, Line{text, newline_});
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value) {
    QString clean = value;
    clean.replace(QLatin1String("\r\n"), QLatin1String(" "));
    clean.replace(QLatin1Char('\r'), QLatin1Char(' '));
    clean.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString keyName = key.trimmed();
    const QString sectionName = storedSectionName(section);

    const auto sit = sectionIndex_.constFind(fold(sectionName));
    if (sit == sectionIndex_.constEnd()) {
        const int at = static_cast<int>(lines_.size());
        insertLine(at, QLatin1Char('[') + sectionName + QLatin1Char(']'));
        insertLine(at + 1, keyName + QLatin1Char('=') + clean);
        reindex();
        return;
    }
    const Section& s = sections_[*sit];
    const auto kit = s.keys.constFind(fold(key));
    if (kit != s.keys.constEnd()) {
        // Keep the key as the file spells it; only the value changes.
        Line& line = lines_[*kit];
        line.text = line.text.left(line.text.indexOf(QLatin1Char('='))).trimmed() +
                    QLatin1Char('=') + clean;
        return;
    }
    insertLine(s.lastEntry + 1, keyName + QLatin1Char('=') + clean);
    reindex();
}

QStringList IniDocument::sectionNames() const {
    QStringList names;
    for (const Section& s : sections_) names.append(s.name);
    return names;
}

QStringList IniDocument::keyNames(const QString& section) const {
    const auto sit = sectionIndex_.constFind(fold(storedSectionName(section)));
    return sit == sectionIndex_.constEnd() ? QStringList() : sections_[*sit].keyOrder;
}

}  // namespace zh
