#include "event_record.h"

#include <QStringList>
#include <array>

namespace zh {

namespace {
constexpr int kNumbers = 7;
}

QString formatEventRecord(const EventRecord& r) {
    QString line =
        QStringLiteral("<<< ") + r.name + QLatin1Char('\t') + r.content + QLatin1Char('|');
    for (const int n : {r.context, r.panel, r.tab, r.gadget, r.menu, r.code, r.type})
        line += QString::number(n) + QLatin1Char('|');
    return line;
}

std::optional<EventRecord> parseEventRecord(const QString& line) {
    if (!line.startsWith(QLatin1String("<<< ")) || line.startsWith(QLatin1String(kCommentMark)))
        return std::nullopt;
    const QString rest = line.mid(4);
    const int tab = rest.indexOf(QLatin1Char('\t'));
    if (tab < 0) return std::nullopt;
    QStringList parts = rest.mid(tab + 1).split(QLatin1Char('|'));
    // The last "|" leaves an empty part behind; trailing blanks are forgiven.
    if (parts.size() < kNumbers + 2 || !parts.last().trimmed().isEmpty()) return std::nullopt;
    parts.removeLast();
    std::array<int, kNumbers> n{};
    for (int i = kNumbers - 1; i >= 0; --i) {
        bool ok = false;
        n[static_cast<std::size_t>(i)] = parts.takeLast().trimmed().toInt(&ok);
        if (!ok) return std::nullopt;
    }
    EventRecord r;
    r.name = rest.left(tab);
    r.content = parts.join(QLatin1Char('|'));
    r.context = n[0];
    r.panel = n[1];
    r.tab = n[2];
    r.gadget = n[3];
    r.menu = n[4];
    r.code = n[5];
    r.type = n[6];
    return r;
}

}  // namespace zh
