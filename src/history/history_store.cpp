#include "history_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStringList>
#include <utility>

#include "app/app_state.h"
#include "app/program_folders.h"
#include "app/program_paths.h"

namespace zh {
namespace {

const QChar kTab = QLatin1Char('\t');
const int kDefaultKeep = 50;
const int kLockWaitMs = 5000;

QString indexPath(const QString& folder) {
    return folder + QStringLiteral("/readings.txt");
}

// A tab or line break in a port or tag would split the index line.
QString oneField(const QString& text) {
    QString t = text;
    for (QChar& c : t)
        if (c == kTab || c == QLatin1Char('\n') || c == QLatin1Char('\r')) c = QLatin1Char(' ');
    return t;
}

bool parseLine(const QString& line, HistoryReading* r) {
    const QStringList parts = line.split(kTab);
    if (parts.size() != 6) return false;
    bool ok = false;
    r->number = parts[0].toInt(&ok);
    r->when = QDateTime::fromString(parts[1], Qt::ISODate);
    r->what = parts[2];
    r->port = parts[3];
    r->tag = parts[4];
    r->file = parts[5];
    // A file name with a path would reach out of the device's folder.
    return ok && r->number > 0 && r->when.isValid() && !r->file.isEmpty() &&
           !r->file.contains(QLatin1Char('/')) && !r->file.contains(QLatin1Char('\\'));
}

}  // namespace

QString historyRoot(const AppState& s) {
    const QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (QDir::isAbsolutePath(data))
        return QDir::cleanPath(data + QStringLiteral("/zel-hart/history"));
    if (usesUsersCopies(s))
        return QDir::cleanPath(QDir::homePath() + QStringLiteral("/.local/share/zel-hart/history"));
    return resolveProgramPath(s.ProgramDir, QStringLiteral("History"));
}

int historyKeep(const QString& keepText) {
    bool ok = false;
    const int keep = keepText.trimmed().toInt(&ok);
    return ok && keep >= 0 ? keep : kDefaultKeep;
}

DeviceHistory::DeviceHistory(QString folder) : folder_(std::move(folder)) {}

QString DeviceHistory::pathOf(const HistoryReading& r) const {
    return folder_ + QLatin1Char('/') + r.file;
}

std::vector<HistoryReading> DeviceHistory::readings() const {
    std::vector<HistoryReading> list;
    QFile index(indexPath(folder_));
    if (!index.open(QIODevice::ReadOnly | QIODevice::Text)) return list;
    const QStringList lines = QString::fromUtf8(index.readAll()).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        HistoryReading r;
        if (parseLine(line, &r)) list.push_back(r);
    }
    return list;
}

bool DeviceHistory::writeIndex(const std::vector<HistoryReading>& list, QString* error) const {
    QSaveFile out(indexPath(folder_));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Text)) {
        *error = out.fileName() + QStringLiteral(": ") + out.errorString();
        return false;
    }
    for (const HistoryReading& r : list) {
        const QStringList parts{QString::number(r.number),
                                r.when.toString(Qt::ISODate),
                                r.what,
                                oneField(r.port),
                                oneField(r.tag),
                                r.file};
        out.write((parts.join(kTab) + QLatin1Char('\n')).toUtf8());
    }
    if (!out.commit()) {
        *error = out.fileName() + QStringLiteral(": ") + out.errorString();
        return false;
    }
    return true;
}

bool DeviceHistory::add(HistoryReading reading, const QString& extension,
                        const std::function<bool(const QString& path)>& writeFile, int keep,
                        QString* error) {
    if (keep <= 0) return true;
    if (!QDir().mkpath(folder_)) {
        *error = folder_ + QStringLiteral(": the folder could not be made");
        return false;
    }
    // Two programs keeping a reading of one device at once would each
    // rewrite the index from what they read and lose the other's line.
    QLockFile lock(folder_ + QStringLiteral("/readings.lock"));
    if (!lock.tryLock(kLockWaitMs)) {
        *error = lock.fileName() + QStringLiteral(": the history is busy");
        return false;
    }
    std::vector<HistoryReading> list = readings();
    reading.number = list.empty() ? 1 : list.back().number + 1;
    reading.file = QStringLiteral("%1-%2.%3")
                       .arg(reading.number, 4, 10, QLatin1Char('0'))
                       .arg(reading.what, extension);
    const QString path = pathOf(reading);
    if (!writeFile(path)) {
        QFile::remove(path);
        *error = path + QStringLiteral(": the data file could not be written");
        return false;
    }
    list.push_back(reading);
    std::vector<HistoryReading> dropped;
    while (list.size() > static_cast<size_t>(keep)) {
        dropped.push_back(list.front());
        list.erase(list.begin());
    }
    if (!writeIndex(list, error)) {
        QFile::remove(path);
        return false;
    }
    // Only once the index no longer names them.
    for (const HistoryReading& r : dropped) QFile::remove(pathOf(r));
    return true;
}

const HistoryReading* findReading(const std::vector<HistoryReading>& list, const QString& key) {
    bool isNumber = false;
    const int number = key.toInt(&isNumber);
    if (isNumber) {
        for (const HistoryReading& r : list)
            if (r.number == number) return &r;
        return nullptr;
    }
    const QString k = key.trimmed();
    const HistoryReading* found = nullptr;
    for (const HistoryReading& r : list) {
        const QString when = r.when.toString(Qt::ISODate);
        // An ISO date-time up to `k`, or the day `k` names.
        const bool fits = k.size() <= 10 ? when.startsWith(k) : when.left(k.size()) <= k;
        if (fits) found = &r;
    }
    return found;
}

}  // namespace zh
