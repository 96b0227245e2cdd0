#pragma once
// The diagnostics report: the display module's identity, log header and
// error table read from the module into the report view of the
// Diagnostics tab, and the report saved as a text file.

#include <QDateTime>
#include <QString>
#include <functional>

#include "ui/log/diagnostic_log.h"

namespace zh {

struct Program;
class HartSession;
class DisplayBlocks;

// What the readout shows outside the controls.
struct DiagnosticsWindow {
    std::function<QString()> statusText;  // field 3 of the status line
    std::function<void(const QString&)> setStatusText;
    std::function<void()> activate;  // the main window in front again
};

class DiagnosticsReport {
  public:
    // `view` is the report view's control number.
    DiagnosticsReport(Program& program, HartSession& session, DisplayBlocks& blocks, int view);

    // Reads blocks 1, 60 and 61 to 69 (two tries each) and appends the
    // report: the identity and log header as they arrive, the error table
    // once all of it is there. Connects when the link is closed and closes
    // it again afterwards; an open link (the live display) stays open. A
    // block that cannot be read is reported and ends the readout; what was
    // appended stays. True when the whole log was read.
    bool read();
    // The log as last read.
    const DiagnosticLog& log() const { return log_; }

    // The file name proposed for a report saved at `now`.
    static QString proposedName(const QDateTime& now);
    // Saves the report view's text through a save requester that proposes
    // `proposedPath`; tells whether it was saved. Nothing happens on Cancel;
    // an empty report is not saved (the person is told). Returns the path
    // written, or an empty text.
    QString save(const QString& proposedPath);

    DiagnosticsWindow window;

  private:
    bool readBlock(int number, int progress);
    void append(const QStringList& lines);
    void setProgress(int percent);
    QString tr(const QString& text, const QString& section);
    void tell(const QString& text, int icon);

    Program& p_;
    HartSession& session_;
    DisplayBlocks& blocks_;
    int view_;
    DiagnosticLog log_;
};

}  // namespace zh
