#include "event_record.h"

#include <QStringList>
#include <array>
#include <cstring>

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
    if (!line.startsWith(QLatin1String("<<< ")) || line.startsWith(QLatin1String(kCommentMark)) ||
        isStartRecord(line))
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

namespace {
const QString kDevice = QStringLiteral("device");
const QString kFile = QStringLiteral("file");
const QString kNew = QStringLiteral("new");
}  // namespace

QString formatStartRecord(const RecordingStart& start) {
    const QString mark = QLatin1String(kStartMark);
    switch (start.origin) {
        case RecordingStart::Origin::Device:
            return mark + kDevice;
        case RecordingStart::Origin::File:
            return mark + kFile + QLatin1Char('\t') + start.file;
        case RecordingStart::Origin::New:
            return mark + kNew + QLatin1Char('\t') + start.measurand + QLatin1Char('\t') +
                   QString::number(start.devIndx);
    }
    return mark;
}

bool isStartRecord(const QString& line) {
    return line.startsWith(QLatin1String(kStartMark));
}

std::optional<RecordingStart> parseStartRecord(const QString& line) {
    if (!isStartRecord(line)) return std::nullopt;
    const QStringList parts = line.mid(int(std::strlen(kStartMark))).split(QLatin1Char('\t'));
    RecordingStart r;
    if (parts.size() == 1 && parts[0] == kDevice) return r;
    if (parts.size() == 2 && parts[0] == kFile && !parts[1].isEmpty()) {
        r.origin = RecordingStart::Origin::File;
        r.file = parts[1];
        return r;
    }
    bool ok = false;
    if (parts.size() == 3 && parts[0] == kNew && !parts[1].isEmpty()) {
        r.origin = RecordingStart::Origin::New;
        r.measurand = parts[1];
        r.devIndx = parts[2].toInt(&ok);
        if (ok) return r;
    }
    return std::nullopt;
}

}  // namespace zh
