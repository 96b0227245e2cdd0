#pragma once
// File names as profiles and language files write them (".\Config.ini",
// "\Language\English.ini", "C:\data\x.cfp") turned into paths of this platform.

#include <QString>

namespace zh {

// ".\x", "\x" and plain relative names resolve against `programDir`;
// "\" and "/" are both separators; an absolute path stays as it is.
// `programDir` is absolute, with or without a trailing "/".
QString resolveProgramPath(const QString& programDir, const QString& path);

// `programDir` without its trailing separator (the value of %EXEPATH%).
QString withoutTrailingSeparator(const QString& dir);

}  // namespace zh
