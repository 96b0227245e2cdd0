#pragma once
// The two INI primitives every part of the program uses: readProfile and
// writeData. They resolve program-relative file names, expand %EXEPATH% and
// environment references in values, and log what they read and what failed.

#include <QString>

#include "ini_store.h"

namespace zh {

struct AppState;
class Logger;

class Profile {
  public:
    Profile(AppState& state, IniStore& store, Logger& log);

    // One value of `file` (cut at 1023 characters), `def` when the key is
    // missing, with references expanded.
    QString readProfile(const QString& section, const QString& key, const QString& def,
                        const QString& file);
    // As readProfile, and tells whether the stored value filled the whole
    // read buffer (so it may have been cut).
    QString readProfile(const QString& section, const QString& key, const QString& def,
                        const QString& file, bool* truncated);

    // Writes one value; false (and a log line) when the file could not be written.
    bool writeData(const QString& section, const QString& key, const QString& value,
                   const QString& file);

    // Expands %EXEPATH% and %NAME% (environment) references in one left-to-
    // right pass; inserted text is never scanned again, so a variable that
    // names itself cannot make the expansion run for ever. A reference whose
    // value is empty stays as written, percent signs included.
    QString expandReferences(const QString& value) const;

    QString resolve(const QString& file) const;

    IniStore& store() { return store_; }

  private:
    enum class FileKind { ProfileFile, LanguageFile, DataFile };
    FileKind kindOf(const QString& resolved) const;

    AppState& state_;
    IniStore& store_;
    Logger& log_;
};

}  // namespace zh
