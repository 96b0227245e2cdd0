#include "recent_files.h"

#include <QFileInfo>
#include <algorithm>

#include "program.h"

namespace zh {
namespace {

const QString kSection = QStringLiteral("RecentFiles");

QString keyOf(int index) {
    return QStringLiteral("File") + QString::number(index + 1);
}

// Read past the profile's logging: the menus ask at every build.
QStringList stored(Program& p) {
    const QString profile = p.profile.resolve(p.state.ProfilePath);
    QStringList list;
    for (int i = 0; i < kMaxRecentFiles; ++i) {
        const QString path = p.ini.read(profile, kSection, keyOf(i)).value.trimmed();
        if (!path.isEmpty() && !list.contains(path)) list << path;
    }
    return list;
}

}  // namespace

QStringList recentFiles(Program& p) {
    QStringList list = stored(p);
    list.erase(std::remove_if(list.begin(), list.end(),
                              [](const QString& path) { return !QFileInfo(path).isFile(); }),
               list.end());
    return list;
}

void addRecentFile(Program& p, const QString& path) {
    if (path.isEmpty() || p.state.ProbeMode) return;
    QStringList list = stored(p);
    if (list.value(0) == path) return;
    list.removeAll(path);
    list.prepend(path);
    const int keys = std::min<int>(kMaxRecentFiles, static_cast<int>(list.size()));
    for (int i = 0; i < keys; ++i)
        p.profile.writeData(kSection, keyOf(i), list.at(i), p.state.ProfilePath);
}

}  // namespace zh
