#pragma once
// Whether a line of a replay list can be played as it was recorded. A record
// carries a name and numbers; the numbers are what the dispatch acts on, the
// name is what the person reads in the list and in the replay's report. A
// record whose name and numbers disagree (an edited or damaged log), one cut
// short, or one of a control or command this program does not have would
// play something else than it says, or nothing while it is counted as
// played; such a line is refused before anything of the replay is played.

#include <QString>
#include <functional>

namespace zh {

class Messages;

// Why `line` cannot be played (translated, naming what is wrong), or "" when
// it can. `isCommand` says whether a menu identifier starts a command of
// this program.
QString unplayableReason(Messages& messages, const QString& line,
                         const std::function<bool(int menu)>& isCommand);

}  // namespace zh
