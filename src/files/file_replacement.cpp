#include "file_replacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zh {
namespace {

// As many links as the kernel follows before it gives up (ELOOP).
constexpr int kMaxLinks = 40;
// Of the file's own name the temporary name keeps at most this many bytes.
// With "." before and ".XXXXXX.tmp" after it, and room for the temporary
// file a writer may make of its own beside it, it fits any folder entry.
constexpr int kNameBytesKept = 100;
constexpr int kSuffixLength = 4;  // ".tmp"

bool fail(ReplaceFailure* failure, const char* why, const QString& system = QString()) {
    if (failure) *failure = ReplaceFailure{QLatin1String(why), system};
    return false;
}

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Flushes a file's data (with `directory`, a folder's entries) to disk.
bool syncPath(const QByteArray& path, bool directory) {
    const int fd = ::open(path.constData(), directory ? (O_RDONLY | O_DIRECTORY) : O_RDONLY);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// "<folder>/.<name, cut>.XXXXXX.tmp" for mkstemps.
QByteArray temporaryTemplate(const QString& real) {
    const QFileInfo info(real);
    QString name = info.fileName();
    while (QFile::encodeName(name).size() > kNameBytesKept) {
        name.chop(1);
        if (!name.isEmpty() && name.back().isHighSurrogate()) name.chop(1);
    }
    return QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + name +
                             QStringLiteral(".XXXXXX.tmp"));
}

// The permissions the new file gets: the old file's, or what a new file
// gets under the umask.
mode_t modeFor(const struct stat* existing) {
    if (existing) return existing->st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

QString fileBehindLinks(const QString& path) {
    QString current = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (int i = 0; i < kMaxLinks; ++i) {
        const QFileInfo info(current);
        if (!info.isSymLink()) return current;
        current = QDir::cleanPath(info.symLinkTarget());
    }
    return QString();
}

bool replaceFile(const QString& target, const std::function<bool(const QString& temporary)>& write,
                 ReplaceFailure* failure) {
    const QString real = fileBehindLinks(target);
    if (real.isEmpty()) return fail(failure, "it leads through too many symbolic links");
    const QByteArray realName = QFile::encodeName(real);
    struct stat st {};
    const bool exists = ::stat(realName.constData(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return fail(failure, "it names a folder, not a file");
    if (exists && !S_ISREG(st.st_mode))
        return fail(failure, "it is not a regular file (a pipe or a device)");
    // A rename would replace a write-protected file as easily as any other:
    // the protection is the owner's word that it stays as it is (even for
    // root, whom access(2) lets write anything, the mode bits still say it).
    if (exists && (::access(realName.constData(), W_OK) != 0 || !(st.st_mode & S_IWUSR)))
        return fail(failure, "the file is write-protected");

    QByteArray temporary = temporaryTemplate(real);
    const int fd = ::mkstemps(temporary.data(), kSuffixLength);
    if (fd < 0) return fail(failure, "no new file can be made in its folder", systemError());
    ::close(fd);
    const auto discard = [&](const char* why, const QString& system = QString()) {
        ::unlink(temporary.constData());
        return fail(failure, why, system);
    };
    if (!write(QFile::decodeName(temporary))) return discard("");
    struct stat written {};
    if (::lstat(temporary.constData(), &written) != 0 || !S_ISREG(written.st_mode) ||
        written.st_size == 0)
        return discard("nothing was written");
    if (::chmod(temporary.constData(), modeFor(exists ? &st : nullptr)) != 0 ||
        !syncPath(temporary, false))
        return discard("the new file could not be flushed to disk", systemError());
    // rename(2) replaces the old file in one step; there is no moment without one.
    if (std::rename(temporary.constData(), realName.constData()) != 0)
        return discard("the new file could not take the old one's place", systemError());
    syncPath(QFile::encodeName(QFileInfo(real).absolutePath()), true);
    return true;
}

}  // namespace zh
