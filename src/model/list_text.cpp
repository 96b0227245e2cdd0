#include "list_text.h"

#include <QStringList>

namespace zh {

QString stringFieldOf(const QString& s, int n, const QString& sep) {
    if (n < 1) return QString();
    const QStringList parts = s.split(sep);
    return n <= parts.size() ? parts.at(n - 1) : QString();
}

QString listTextOf(const QString& list, int value) {
    const QStringList items = list.split(QLatin1Char(';'));
    if (list.contains(QLatin1Char('='))) {
        const QString wanted = QString::number(value);
        for (const QString& item : items) {
            const int eq = item.indexOf(QLatin1Char('='));
            if (eq >= 0 && item.mid(eq + 1).trimmed() == wanted) return item.left(eq).trimmed();
        }
        return QString();
    }
    return value >= 0 && value < items.size() ? items.at(value) : QString();
}

int listValueOf(const QString& list, const QString& text) {
    const QString wanted = text.contains(QLatin1Char('['))
                               ? bracketTextOf(text, QStringLiteral("["), QStringLiteral("]"))
                               : text;
    const QStringList items = list.split(QLatin1Char(';'));
    if (list.contains(QLatin1Char('='))) {
        for (const QString& item : items) {
            const int eq = item.indexOf(QLatin1Char('='));
            if (eq >= 0 && item.left(eq).trimmed() == wanted) {
                bool ok = false;
                const int v = item.mid(eq + 1).trimmed().toInt(&ok);
                return ok ? v : -1;
            }
        }
        return -1;
    }
    const int at = static_cast<int>(items.indexOf(wanted));
    return wanted.isEmpty() && at == items.size() - 1
               ? -1
               : at;  // the empty tail after a final ";" is no item
}

QString bracketTextOf(const QString& s, const QString& open, const QString& close) {
    const int a = s.indexOf(open);
    if (a < 0) return QString();
    const int b = s.indexOf(close, a + open.size());
    if (b < 0) return QString();
    return s.mid(a + open.size(), b - a - open.size());
}

QString bracketPartOf(const QString& s, const QString& open, const QString& close) {
    const QString inner = bracketTextOf(s, open, close);
    return inner.isEmpty() ? QString() : open + inner + close;
}

bool isInList(const QString& s, const QString& item, const QString& sep) {
    if (sep.isEmpty()) return s.contains(item);
    return s.split(sep).contains(item);
}

int countFields(const QString& s, const QString& sep) {
    if (s.isEmpty()) return 0;
    QString t = s;
    if (!t.trimmed().endsWith(sep)) t += sep;
    return static_cast<int>(t.count(sep));
}

}  // namespace zh
