#include "ini_store.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "small_file.h"

namespace zh {

IniStore::Entry IniStore::readFromDisk(const QString& path) {
    Entry e;
    QByteArray bytes;
    const SmallFileRead read = readSmallFile(path, &bytes, &e.refused);
    if (read == SmallFileRead::Missing) return e;  // missing or unreadable: empty document
    if (read == SmallFileRead::Read) e.doc = IniDocument::parse(bytes);
    const QFileInfo info(path);
    e.existed = true;
    e.modified = info.lastModified();
    e.size = info.size();
    return e;
}

bool IniStore::changedOnDisk(const QString& path, const Entry& e) const {
    const QFileInfo info(path);
    if (info.exists() != e.existed) return true;
    return e.existed && (info.lastModified() != e.modified || info.size() != e.size);
}

IniStore::Entry& IniStore::load(const QString& path) {
    auto it = cache_.find(path);
    if (it == cache_.end()) it = cache_.emplace(path, readFromDisk(path)).first;
    return it->second;
}

IniStore::ReadResult IniStore::read(const QString& path, const QString& section,
                                    const QString& key) {
    ReadResult r;
    const std::optional<QString> v = load(path).doc.value(section, key);
    if (!v) return r;
    r.found = true;
    r.value = *v;
    if (r.value.size() > kMaxValueLength) {
        r.value.truncate(kMaxValueLength);
        r.truncated = true;
    } else {
        r.truncated = r.value.size() == kMaxValueLength;
    }
    return r;
}

bool IniStore::write(const QString& path, const QString& section, const QString& key,
                     const QString& value, QString* error) {
    auto it = cache_.find(path);
    if (it == cache_.end() || (!readOnly_ && changedOnDisk(path, it->second))) {
        cache_[path] = readFromDisk(path);
        it = cache_.find(path);
    }
    Entry& e = it->second;
    e.doc.setValue(section, key, value);
    if (!e.refused.isEmpty()) {
        // Writing would replace the pipe, device or large file by a new one.
        if (error) *error = e.refused;
        return false;
    }
    if (path.isEmpty()) {
        if (error) *error = QStringLiteral("no file name");
        return false;
    }
    if (readOnly_) {
        if (error) *error = QStringLiteral("store is read-only");
        return false;
    }

    const QFileInfo info(path);
    if (info.exists() && (!info.isWritable() || !(info.permissions() & QFileDevice::WriteOwner))) {
        // Saving through a temporary file would replace a write-protected
        // file, so the protection is honoured here (even for a user whose
        // rights would let the write through, as a read-only mark is meant).
        if (error) *error = QStringLiteral("file is write-protected");
        return false;
    }
    // Written to a temporary file and renamed, so a crash or a full disk
    // never leaves half a file behind.
    QSaveFile out(path);
    out.setDirectWriteFallback(true);  // a file in a folder we may not create files in
    if (!out.open(QIODevice::WriteOnly)) {
        if (error) *error = out.errorString();
        return false;
    }
    out.write(e.doc.serialize());
    if (!out.commit()) {
        if (error) *error = out.errorString();
        return false;
    }
    const QFileInfo written(path);
    e.existed = true;
    e.modified = written.lastModified();
    e.size = written.size();
    return true;
}

void IniStore::forget(const QString& path) {
    cache_.erase(path);
}

QString IniStore::problem(const QString& path) {
    return load(path).refused;
}

QStringList IniStore::sectionNames(const QString& path) {
    return load(path).doc.sectionNames();
}

QStringList IniStore::keyNames(const QString& path, const QString& section) {
    return load(path).doc.keyNames(section);
}

}  // namespace zh
