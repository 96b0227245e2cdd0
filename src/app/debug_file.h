#pragma once
// The choice of the debug log file. Each run begins a new log by deleting
// the old one, so only a log of this program may be named: a ".log" file
// that is none of the program's other files (the profile, the language
// file, a data file) and no pipe, device or folder.

#include <QString>

namespace zh {

struct Program;

// Why the file at `path` (absolute) may not be the debug log; "" when it may.
QString debugFileRefusal(Program& p, const QString& path);

}  // namespace zh
