#pragma once
// The service report as a printed document: the header with logo, company,
// technician and date, the device's identity, the configuration table (as
// found, as left, changed values marked; its heading repeated on every
// page), the service functions, the device status and a signature line.
// A4, numbered pages. Needs a QGuiApplication (fonts).

#include <QString>

class QIODevice;
class QTextDocument;

namespace zh {

struct Program;
struct ServiceRecord;

// The document as HTML (QTextDocument's subset); the logo is referred to
// as "report-logo" and added by the callers that draw it.
QString reportHtml(Program& p, const ServiceRecord& record);

// The document with its logo, for a preview or a printer.
void buildReportDocument(Program& p, const ServiceRecord& record, QTextDocument* doc);

// Prints the document as PDF into `out`; false when the device took not all of it.
bool printReportPdf(Program& p, const ServiceRecord& record, QIODevice* out);

}  // namespace zh
