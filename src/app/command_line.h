#pragma once
// The window program's command line: the options that change how the
// window runs, and a data file to open in it. The batch commands, the
// connection probe and the report viewer take their own arguments; these
// are the forms left when none of them is asked for.

#include <QString>
#include <QStringList>

namespace zh {

struct WindowArguments {
    QString screenshot;       // --screenshot FILE: read, take the picture, end
    QString replay;           // --replay FILE: play a debug log's event records
    int stepDelayMs = 0;      // --step-delay MS between replayed steps
    int checkStart = -1;      // --check-start N: rebuild the window N times, end
    bool raiseError = false;  // --raise-error once the window is up
    QString file;             // a data file to open (*.cfp, *.cft, *.hrt), absolute
    // Why the command line is refused ("unknown option --foo"); "" when it
    // is not.
    QString error;
};

// Reads the arguments after the program's name. Qt's own window options
// (-platform NAME, -style NAME, ...) pass for QApplication to take. A
// relative file name is taken from `workingDir`.
WindowArguments parseWindowArguments(const QStringList& arguments, const QString& workingDir);

}  // namespace zh
