#pragma once
// The generic file operation behind New, Open and Store: the save request
// for unsaved changes, the requesters, the check of the name chosen, the
// overwrite question, and the safe replacement of a file. A file is never
// written in place: the write routine fills a temporary file of its own,
// which is flushed to disk and then renamed over the target (see
// file_replacement.h), so a failed or interrupted save leaves the previous
// file as it was.

#include <QString>
#include <functional>
#include <optional>

#include "data_session.h"

namespace zh {

// Reads one file; 1 on success.
using DataRoutine = std::function<int(const QString& path)>;
// Writes one file into `path` (a temporary file) for the file `target`
// (the path it is saved under, which the temporary file replaces); 1 on
// success.
using WriteRoutine = std::function<int(const QString& path, const QString& target)>;

enum class FileAction { New, Open, Save, SaveAs };

// Why a file operation ended without a file. BadFileName: a name chosen
// that the program could not open back; it is refused, saying why.
enum class FileFailure {
    Cancelled,
    BadFileName,
    CannotWrite,
    NoWriteFunction,
    CannotOpen,
    CannotRead
};

// The absolute path chosen (none for New), or why there is none.
struct FileChoice {
    QString path;
    std::optional<FileFailure> failure;
    bool chosen() const { return !failure; }
};

// On success the path becomes the current file and its folder the current
// directory. A symbolic link chosen stays the current file; its file is
// written.
FileChoice fileOperation(DataSession& s, FileAction action, const QString& pattern,
                         const WriteRoutine& write, const DataRoutine& read);

// The absolute path of `path`: an absolute path stays as it is, a relative
// one is taken relative to the current directory with its own name kept (a
// backslash belongs to the name). An empty path means the current file.
QString resolveDataPath(DataSession& s, const QString& path);

// The current directory as an absolute path.
QString dataFolder(DataSession& s);

// The extension of the first "*.ext" entry of a requester pattern
// ("Pressure (*.cfp)|*.cfp" -> "cfp"); "" when there is none or it is "*".
QString patternExtension(const QString& pattern);

// "Data have been changed! Save?" with the pending targets. DT: 0 data not
// stored; MT: 0 module not written. Returns 1 when nothing is pending (no
// box shown). With `flags` -1 the box is Yes/No and the result 1 for Yes,
// 0 otherwise; other flags return the box's button code (6 Yes, 7 No).
int saveRequest(DataSession& s, int dt, int mt, const QString& title, const QString& text,
                int flags);
// What the save request would list as not yet stored (" - File not
// updated!" and " - Module not updated", each ending with a carriage
// return, by the profile's targets); "" when nothing is pending. The
// request is logged when something is.
QString unsavedLines(DataSession& s, int dt, int mt);

}  // namespace zh
