#pragma once
// Shows an error report in a process of its own. The process that faulted
// cannot trust its event loop any more, so it writes the report to a file
// and runs the program again as `<program> --show-report FILE`, which shows
// the box and ends when the person has closed it.

#include <QString>
#include <string>

namespace zh {

class ReportViewer {
  public:
    // The argument the program is run with to show a report file.
    static QString argument() { return QStringLiteral("--show-report"); }

    // `program`: the executable to run; `reportFile`: where the report is
    // put for it (removed again once the box is closed).
    ReportViewer(const QString& program, const QString& reportFile);

    // Writes the title (first line) and the text to the report file, runs
    // the viewer and waits for it. False when the file could not be written
    // or the viewer did not start or failed.
    bool show(const QString& title, const QString& text) const;

  private:
    // Kept as bytes from the start: in a faulted process the fewer
    // conversions the better.
    std::string program_;
    std::string reportFile_;
};

}  // namespace zh
