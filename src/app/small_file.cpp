#include "small_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

namespace zh {
namespace {

qint64 mebibytes(qint64 bytes) {
    return bytes / (qint64{1024} * 1024);
}

// "" when the file described by `st` may be read.
QString refusal(const struct stat& st, qint64 maxBytes = kMaxSmallFileBytes) {
    if (S_ISDIR(st.st_mode)) return QStringLiteral("it is a folder, not a file");
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("it is not a regular file (a pipe or a device)");
    if (st.st_size > maxBytes)
        return QStringLiteral("it is larger than %1 MiB, more than any such file can be")
            .arg(mebibytes(maxBytes));
    return QString();
}

}  // namespace

QString smallFileRefusal(const QString& path) {
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0) return QString();
    return refusal(st);
}

SmallFileRead readSmallFile(const QString& path, QByteArray* bytes, QString* why, qint64 maxBytes) {
    bytes->clear();
    if (path.isEmpty()) return SmallFileRead::Missing;
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) return SmallFileRead::Missing;
    if (const QString first = refusal(st, maxBytes); !first.isEmpty()) {
        *why = first;
        return SmallFileRead::Refused;
    }
    // Not blocking, and checked again on what was opened: the name may have
    // been given to something else in between.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return SmallFileRead::Missing;
    const QString r =
        ::fstat(fd, &st) == 0 ? refusal(st, maxBytes) : QStringLiteral("it cannot be examined");
    if (!r.isEmpty()) {
        ::close(fd);
        *why = r;
        return SmallFileRead::Refused;
    }
    QFile f;
    if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return SmallFileRead::Missing;
    }
    // A file that grows while it is read is cut at the limit and refused.
    *bytes = f.read(maxBytes + 1);
    if (bytes->size() > maxBytes) {
        bytes->clear();
        *why =
            QStringLiteral("it grew larger than %1 MiB while it was read").arg(mebibytes(maxBytes));
        return SmallFileRead::Refused;
    }
    return SmallFileRead::Read;
}

}  // namespace zh
