#pragma once
// The data files the person opened or saved last, newest first, for the
// File menu. They are kept in the profile (section [RecentFiles], keys
// File1..File6), where the program keeps the rest of what it remembers of
// its user.

#include <QString>
#include <QStringList>

namespace zh {

struct Program;

constexpr int kMaxRecentFiles = 6;

// The list as stored, newest first; files that no longer exist are left
// out.
QStringList recentFiles(Program& p);
// Puts `path` (absolute) at the top of the list, once, and stores the list.
void addRecentFile(Program& p, const QString& path);

}  // namespace zh
