#pragma once
// The service report saved as a file: PDF, or CSV when the name ends in
// ".csv" (any case).

#include <QString>

#include "report/report_csv.h"

namespace zh {

struct Program;
struct ServiceRecord;

// Writes the report whole or not at all: a temporary file renamed at the
// end, so a full disk or a failed write leaves no half file behind and an
// older file of that name as it was. "" when written, else why not.
QString saveReportFile(Program& p, const ServiceRecord& record, const QString& out,
                       CsvNotation notation);

}  // namespace zh
