#pragma once
// "ZEL-HART scan <port> [--to N]": lists every device that answers on the
// loop, one line each (polling address, manufacturer, device type, device
// ID, HART revision, tag), then a summary line. Ends 0 when at least one
// device answered, 1 when none did, 2 for a wrong command line or a port
// that cannot be opened (its reason on the error output).

#include <QStringList>

namespace zh {

class LinkLibrary;
class Logger;

// `arguments` start with "scan".
int runScanCommand(LinkLibrary& link, Logger& log, const QStringList& arguments);

}  // namespace zh
