#pragma once
// The files the program reads whole -- profile, language files, data files
// -- are small text files. Under such a name there may be something else: a
// FIFO (whose open waits for a writer for ever), a device such as /dev/zero
// (endless), a folder, or a file far larger than any of them could be. Such
// a thing is refused before it is opened for reading.

#include <QByteArray>
#include <QString>

namespace zh {

// No profile, language file or data file comes near this size.
constexpr qint64 kMaxSmallFileBytes = qint64{4} * 1024 * 1024;

enum class SmallFileRead { Read, Missing, Refused };

// A debug log to be replayed may be longer: a day's work with the frame
// traces on.
constexpr qint64 kMaxLogFileBytes = qint64{64} * 1024 * 1024;

// Reads `path` whole into `bytes`. Missing: there is nothing under that name
// (or it cannot be opened). Refused: it is no regular file or larger than
// `maxBytes`; `why` then says so in words a person understands.
SmallFileRead readSmallFile(const QString& path, QByteArray* bytes, QString* why,
                            qint64 maxBytes = kMaxSmallFileBytes);

// Why `path` would be refused; "" when it is a small regular file or missing.
QString smallFileRefusal(const QString& path);

}  // namespace zh
