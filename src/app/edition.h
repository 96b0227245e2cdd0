#pragma once
// The program's identity: which edition runs is decided by the file name the
// program was started under.

#include <QString>

namespace zh {

struct AppState;

struct Edition {
    QString name;         // "KALVERO_S", "ZEL-HART" or "invalid"
    QString profilePath;  // ".\Config.ini", ".\Config-125.ini" or empty
    QString noticeLine;   // the edition's line in the about text
};

// `fileName` is the executable's name without its directory, in any case.
Edition editionFromFileName(const QString& fileName);

// Sets the identity fields of `state` (edition, about text, window title,
// profile paths) for the edition of `executableName`.
void applyEdition(AppState& state, const QString& executableName);

}  // namespace zh
