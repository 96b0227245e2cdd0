#include "message_text.h"

#include <QHash>

namespace zh {

QString escapeCaptionKey(const QString& text) {
    QString k = text;
    k.replace(QLatin1Char('='), QLatin1String("&eq;"));
    k.replace(QLatin1Char('['), QLatin1String("&sbo;"));
    k.replace(QLatin1Char(']'), QLatin1String("&sbc;"));
    return k;
}

QString escapeMessageKey(const QString& text) {
    QString k = escapeCaptionKey(text);
    k.replace(QLatin1Char('\r'), QLatin1String("<br>"));
    k.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    if (k.endsWith(QLatin1Char(' '))) {
        k.chop(1);
        k += QLatin1String("&nbsp;");
    }
    return k;
}

QString unescapeMessage(const QString& text) {
    if (!text.contains(QLatin1Char('&')) && !text.contains(QLatin1Char('<'))) return text;
    QString v = text;
    v.replace(QLatin1String("&nbsp;"), QLatin1String(" "));
    v.replace(QLatin1String("&eq;"), QLatin1String("="));
    v.replace(QLatin1String("&sbo;"), QLatin1String("["));
    v.replace(QLatin1String("&sbc;"), QLatin1String("]"));
    v.replace(QLatin1String("<br>"), QLatin1String("\n"));
    return v;
}

QString fillPositional(const QString& pattern, const QStringList& params, bool hasParams) {
    if (!hasParams || !pattern.contains(QLatin1Char('{'))) return pattern;
    QString out;
    out.reserve(pattern.size() + 32);
    QHash<QString, int> order;  // placeholder -> position of its first occurrence
    int pos = 0;
    for (;;) {
        const int open = pattern.indexOf(QLatin1Char('{'), pos);
        const int close = open < 0 ? -1 : pattern.indexOf(QLatin1Char('}'), open + 1);
        if (close < 0) break;
        out += QStringView(pattern).mid(pos, open - pos);
        const QString name = pattern.mid(open, close - open + 1);
        auto it = order.constFind(name);
        const int index = it != order.constEnd() ? *it : static_cast<int>(order.size());
        if (it == order.constEnd()) order.insert(name, index);
        if (index < params.size()) out += params.at(index);
        pos = close + 1;
    }
    out += QStringView(pattern).mid(pos);
    return out;
}

}  // namespace zh
