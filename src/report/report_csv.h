#pragma once
// The service report's table as CSV (RFC 4180: CRLF line ends, fields with
// the separator, a quote or a line break quoted, quotes doubled), one row
// per field: name, caption, unit, as found, as left, changed.

#include <QByteArray>
#include <QLocale>

namespace zh {

struct Program;
struct ServiceRecord;

// How numbers are written: C gives "1.5" with "," between fields; the
// desktop's notation its own decimal sign, with ";" between fields where
// that sign is ",".
enum class CsvNotation { C, Desktop };

// The table in UTF-8; `desktop` is the locale the Desktop notation follows
// (QLocale::system() in the program, fixed in tests).
QByteArray reportCsv(Program& p, const ServiceRecord& record, CsvNotation notation,
                     const QLocale& desktop = QLocale::system());

}  // namespace zh
