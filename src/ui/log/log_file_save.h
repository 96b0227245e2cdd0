#pragma once
// A text saved as a log file the way the program saves its logs: a save
// requester titled with the edition's name, "Logfile saved!" when written,
// and a message when the file cannot be written.

#include <QString>

namespace zh {

struct Program;

// Proposes `proposedPath`; a relative answer lands beside it and a name
// without extension gets ".log". `caller` names the saving function in the
// log line of a failed write. Returns the path written; empty when the
// requester was cancelled or the write failed.
QString saveLogFile(Program& p, const QString& proposedPath, const QString& text,
                    const QString& caller);

}  // namespace zh
