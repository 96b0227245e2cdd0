#include "ui/dialogs/man_page_html.h"

#include <QStringList>

namespace zh {
namespace {

struct NamedCharacter {
    const char* name;
    const char* text;  // UTF-8
};
constexpr NamedCharacter kCharacters[] = {
    {"en", "\u2013"}, {"em", "\u2014"}, {"dq", "\""},     {"aq", "'"},      {"de", "\u00b0"},
    {"bu", "\u2022"}, {"mu", "\u00d7"}, {"co", "\u00a9"}, {"->", "\u2192"},
};

QString namedCharacter(const QString& name) {
    for (const NamedCharacter& c : kCharacters)
        if (name == QLatin1String(c.name)) return QString::fromUtf8(c.text);
    return {};
}

QString tagOf(QChar font) {
    return font == QLatin1Char('B')   ? QStringLiteral("b")
           : font == QLatin1Char('I') ? QStringLiteral("i")
                                      : QString();
}

// Text with its escapes, in `font` until a \f changes it.
QString inlineHtml(const QString& text, QChar font) {
    QString html;
    QChar current = QLatin1Char('R');
    QChar previous = current;
    const auto switchTo = [&](QChar next) {
        if (next == current) return;
        if (!tagOf(current).isEmpty()) html += QStringLiteral("</") + tagOf(current) + '>';
        if (!tagOf(next).isEmpty()) html += '<' + tagOf(next) + '>';
        previous = current;
        current = next;
    };
    switchTo(font);
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\\') || i + 1 >= text.size()) {
            if (c == QLatin1Char('<'))
                html += QStringLiteral("&lt;");
            else if (c == QLatin1Char('>'))
                html += QStringLiteral("&gt;");
            else if (c == QLatin1Char('&'))
                html += QStringLiteral("&amp;");
            else
                html += c;
            continue;
        }
        const QChar e = text.at(++i);
        if (e == QLatin1Char('f') && i + 1 < text.size()) {
            const QChar f = text.at(++i);
            switchTo(f == QLatin1Char('P') ? previous : f);
        } else if (e == QLatin1Char('(') && i + 2 < text.size()) {
            html += namedCharacter(text.mid(i + 1, 2));
            i += 2;
        } else if (e == QLatin1Char(' ')) {
            html += QStringLiteral("&nbsp;");
        } else if (e == QLatin1Char('e')) {
            html += QLatin1Char('\\');
        } else if (e != QLatin1Char('&')) {
            html += e;  // \- and the like: the character itself
        }
    }
    switchTo(QLatin1Char('R'));
    return html;
}

// The arguments of a macro line: words, or "quoted words" as one.
QStringList argumentsOf(const QString& rest) {
    QStringList args;
    QString word;
    bool quoted = false;
    bool inWord = false;
    for (const QChar c : rest) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            inWord = true;
        } else if (c == QLatin1Char(' ') && !quoted) {
            if (inWord) args << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) args << word;
    return args;
}

class Converter {
  public:
    QString run(const QString& roff) {
        for (const QString& line : roff.split(QLatin1Char('\n'))) take(line);
        flush();
        return html_;
    }

  private:
    void take(const QString& line) {
        if (line.startsWith(QLatin1String(".\\\""))) return;  // a comment
        if (!line.startsWith(QLatin1Char('.'))) {
            text(inlineHtml(line, QLatin1Char('R')));
            return;
        }
        const int space = line.indexOf(QLatin1Char(' '));
        const QString macro = line.mid(1, space < 0 ? -1 : space - 1);
        const QStringList args = argumentsOf(space < 0 ? QString() : line.mid(space + 1));
        if (macro == QLatin1String("TH")) {
            flush();
            html_ += QStringLiteral("<h1>") + inlineHtml(args.value(0), QLatin1Char('R')) +
                     QLatin1Char('(') + args.value(1) + QStringLiteral(")</h1>\n");
        } else if (macro == QLatin1String("SH") || macro == QLatin1String("SS")) {
            flush();
            const QString level =
                macro == QLatin1String("SH") ? QStringLiteral("h2") : QStringLiteral("h3");
            html_ += '<' + level + '>' + inlineHtml(args.join(QLatin1Char(' ')), QLatin1Char('R')) +
                     QStringLiteral("</") + level + QStringLiteral(">\n");
        } else if (macro == QLatin1String("PP") || macro == QLatin1String("P") ||
                   macro == QLatin1String("LP")) {
            flush();
        } else if (macro == QLatin1String("TP")) {
            flush();
            wantTag_ = true;
        } else if (macro == QLatin1String("RS")) {
            flush();
            html_ += QStringLiteral("<blockquote>\n");
        } else if (macro == QLatin1String("RE")) {
            flush();
            html_ += QStringLiteral("</blockquote>\n");
        } else if (macro == QLatin1String("nf")) {
            flush();
            pre_ = true;
        } else if (macro == QLatin1String("fi")) {
            flush();
            pre_ = false;
        } else if (macro == QLatin1String("br")) {
            paragraph_ += QStringLiteral("<br/>");
        } else if (macro == QLatin1String("B") || macro == QLatin1String("I")) {
            text(inlineHtml(args.join(QLatin1Char(' ')), macro.at(0)));
        } else if (macro.size() == 2 && QStringLiteral("BIR").contains(macro.at(0)) &&
                   QStringLiteral("BIR").contains(macro.at(1))) {
            QString joined;
            for (int i = 0; i < args.size(); ++i) joined += inlineHtml(args.at(i), macro.at(i % 2));
            text(joined);
        }
        // Other requests change only the look on a terminal.
    }

    void text(const QString& html) {
        if (wantTag_) {
            tag_ = html;
            wantTag_ = false;
            return;
        }
        if (!paragraph_.isEmpty() && !paragraph_.endsWith(QLatin1String("<br/>")))
            paragraph_ += pre_ ? QStringLiteral("\n") : QStringLiteral(" ");
        paragraph_ += html;
    }

    void flush() {
        if (!tag_.isEmpty()) {
            html_ += QStringLiteral("<dl><dt>") + tag_ + QStringLiteral("</dt><dd>") + paragraph_ +
                     QStringLiteral("</dd></dl>\n");
        } else if (!paragraph_.isEmpty()) {
            html_ += pre_ ? QStringLiteral("<pre>") + paragraph_ + QStringLiteral("</pre>\n")
                          : QStringLiteral("<p>") + paragraph_ + QStringLiteral("</p>\n");
        }
        tag_.clear();
        paragraph_.clear();
        wantTag_ = false;
    }

    QString html_;
    QString paragraph_;
    QString tag_;
    bool wantTag_ = false;
    bool pre_ = false;
};

}  // namespace

QString manPageHtml(const QString& roff) {
    return Converter().run(roff);
}

}  // namespace zh
