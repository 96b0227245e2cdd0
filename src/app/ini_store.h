#pragma once
// The cached, write-through store behind every INI file the program touches
// (profile, language files, data files). Each file is read once and then
// served from memory; every write changes the cached document and saves the
// file at once. A file changed on disk by someone else is read again before
// the program writes into it, so the other person's edits are kept.
// Something under the name that is no small regular file (a FIFO, a device,
// a folder, a huge file) is neither read nor written: it reads as empty and
// problem() says why.

#include <QDateTime>
#include <QString>
#include <unordered_map>

#include "ini_document.h"

namespace zh {

class IniStore {
  public:
    // Values longer than this are cut when read, as the platform's
    // 1024-character buffer (terminator included) cuts them.
    static constexpr int kMaxValueLength = 1023;

    struct ReadResult {
        QString value;
        bool found = false;
        bool truncated = false;  // the value filled the whole buffer
    };

    // `path` is an absolute file path.
    ReadResult read(const QString& path, const QString& section, const QString& key);

    // Returns false when the file could not be written; `error` then says why.
    // The cached document keeps the new value either way, so the program
    // goes on with what it wrote.
    bool write(const QString& path, const QString& section, const QString& key,
               const QString& value, QString* error = nullptr);

    // A read-only store never touches the disk (the connection probe runs so).
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool readOnly() const { return readOnly_; }

    // Drops a file from the cache (after it was renamed, replaced or deleted).
    void forget(const QString& path);

    // Why `path` was refused (read as empty and never written); "" when it
    // was read or does not exist.
    QString problem(const QString& path);

    QStringList sectionNames(const QString& path);
    QStringList keyNames(const QString& path, const QString& section);

  private:
    struct Entry {
        IniDocument doc;
        bool existed = false;
        QString refused;  // why the file was not read; "" when it was
        QDateTime modified;
        qint64 size = -1;
    };
    Entry& load(const QString& path);
    static Entry readFromDisk(const QString& path);
    bool changedOnDisk(const QString& path, const Entry& e) const;

    std::unordered_map<QString, Entry> cache_;
    bool readOnly_ = false;
};

}  // namespace zh
