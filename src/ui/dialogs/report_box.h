#pragma once
// The window side of ReportViewer: `--show-report FILE` shows the report in
// the file (title on the first line) in a message box with an error icon.
// With ZH_REPORT_BOX_CLOSE_MS set (unattended runs, tests) the box closes
// by itself after that many ms and its title and text go to standard
// output.

#include <QString>

namespace zh {

// Needs a QApplication. Returns 0 once the box is closed, 1 when the file
// cannot be read.
int showReportBox(const QString& reportFile);

}  // namespace zh
