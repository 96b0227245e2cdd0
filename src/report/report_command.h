#pragma once
// The batch command for the service report:
//   ZEL-HART report <port|file> <out.pdf|out.csv> [--address N] [--csv-locale c|desktop]
// From a port it reads the device as `ZEL-HART read` does and reports it as
// found (as left the same, nothing marked); a device of another maker with
// its universal data. From a data file (or a *.hrt file) it reports the
// file. Prints one summary line; exit status 0 success, 1 failure, 2 usage.
// Needs a QGuiApplication for the PDF.

#include <QStringList>

namespace zh {

struct DeviceCore;

bool isReportCommand(const QStringList& arguments);
int runReportCommand(DeviceCore& core, const QStringList& arguments);

}  // namespace zh
