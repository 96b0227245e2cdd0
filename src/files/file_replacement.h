#pragma once
// Saving a file without ever leaving half of one: the new contents go into a
// temporary file in the same folder, which is flushed to disk and then
// renamed over the old file in one step. The temporary file gets a name of
// its own, made unique when it is created, and short enough for any folder
// whatever the length of the file's name; so no file of the person's (a
// "plant.cfp.tmp" of their own) is ever deleted or overwritten on the way.
// A symbolic link is followed: the file it leads to is replaced, the link
// stays as it is. The file keeps its permissions.

#include <QString>
#include <functional>

namespace zh {

// Why a replacement failed: an English text to look up (empty when the
// write routine failed and said so itself), and what the system said, for
// the debug log.
struct ReplaceFailure {
    QString why;
    QString system;
};

// The file a write of `path` reaches: `path` itself, or the end of the chain
// of symbolic links it starts (a dangling link leads to where its file is
// to be). Empty when the chain loops or is too long.
QString fileBehindLinks(const QString& path);

// Replaces `target` with what `write` puts into the temporary file whose
// path it is given (true when it wrote it all). False, with `failure`
// saying why, when the file could not be replaced; the old file is then as
// it was and the temporary file is gone.
bool replaceFile(const QString& target, const std::function<bool(const QString& temporary)>& write,
                 ReplaceFailure* failure);

}  // namespace zh
