#include "report/report_pdf.h"

#include <QIODevice>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>

#include "app/program.h"
#include "report/service_record.h"

namespace zh {
namespace {

const QString kLogo = QStringLiteral("report-logo");

QString esc(const QString& text) {
    return text.toHtmlEscaped();
}

QString cell(const QString& text, const char* tag = "td") {
    return QStringLiteral("<%1>%2</%1>").arg(QLatin1String(tag), esc(text));
}

QString pairsTable(const std::vector<std::pair<QString, QString>>& pairs) {
    QString html = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\">");
    for (const auto& [label, value] : pairs)
        html += QStringLiteral("<tr><td width=\"35%\"><b>") + esc(label) +
                QStringLiteral("</b></td>") + cell(value) + QStringLiteral("</tr>");
    return html + QStringLiteral("</table>");
}

QString heading(const QString& text) {
    return QStringLiteral("<h3>") + esc(text) + QStringLiteral("</h3>");
}

QString withUnit(const QString& value, const QString& unit) {
    return unit.isEmpty() || value.isEmpty() ? value : value + QLatin1Char(' ') + unit;
}

QString configurationTable(Program& p, const ServiceRecord& r) {
    QString html = QStringLiteral(
        "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"2\" "
        "style=\"border-collapse: collapse\"><thead><tr bgcolor=\"#dddddd\">");
    for (const char* head : {"Field", "As found", "As left", "Changed"})
        html += cell(reportText(p, head), "th");
    html += QStringLiteral("</tr></thead>");
    const QString mark = reportText(p, "yes");
    for (const ReportRow& row : r.rows) {
        const QString name = row.caption.isEmpty() || row.caption == row.name
                                 ? row.name
                                 : row.caption + QStringLiteral(" (") + row.name + ')';
        html += row.changed ? QStringLiteral("<tr bgcolor=\"#ffe8a0\">") : QStringLiteral("<tr>");
        html += cell(name) + cell(withUnit(row.asFound, row.unit)) +
                (row.changed ? QStringLiteral("<td><b>") + esc(withUnit(row.asLeft, row.unit)) +
                                   QStringLiteral("</b></td>")
                             : cell(withUnit(row.asLeft, row.unit))) +
                cell(row.changed ? mark : QString()) + QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

QString functionsPart(Program& p, const ServiceRecord& r) {
    QString html = heading(reportText(p, "Service functions"));
    if (r.functions.empty())
        return html + QStringLiteral("<p>") + esc(reportText(p, "none (read only)")) +
               QStringLiteral("</p>");
    for (const ServiceEntry& e : r.functions)
        html += QStringLiteral("<p><b>") + esc(e.name) + QStringLiteral("</b></p>") +
                pairsTable(e.values);
    return html;
}

}  // namespace

QString reportHtml(Program& p, const ServiceRecord& r) {
    QString html = QStringLiteral("<html><body>");
    html += QStringLiteral("<table width=\"100%\"><tr><td><h2>") +
            esc(reportText(p, "Service report")) + QStringLiteral("</h2><p>") + esc(r.company) +
            QStringLiteral("</p></td>");
    if (!r.logoFile.isEmpty())
        html +=
            QStringLiteral("<td align=\"right\"><img src=\"%1\" height=\"50\"></td>").arg(kLogo);
    html += QStringLiteral("</tr></table>");
    html +=
        pairsTable({{reportText(p, "Technician"), r.technician},
                    {reportText(p, "Date"), r.when.toString(QStringLiteral("yyyy-MM-dd hh:mm"))},
                    {reportText(p, "Source"), r.source}});
    html += heading(reportText(p, "Device")) + pairsTable(r.identity);
    html += heading(reportText(p, "Configuration"));
    html += QStringLiteral("<p>") + esc(reportText(p, "Changed values: %1").arg(r.changedCount())) +
            QStringLiteral("</p>") + configurationTable(p, r);
    html += functionsPart(p, r);
    html += heading(reportText(p, "Device status")) + QStringLiteral("<p>") + esc(r.status) +
            QStringLiteral("</p>");
    // One line, which no page break can part from its labels.
    const QString line = QStringLiteral(" ____________________&nbsp;&nbsp;&nbsp;&nbsp;");
    html += QStringLiteral("<p style=\"margin-top: 40px\">") + esc(reportText(p, "Date")) + line +
            esc(reportText(p, "Signature")) + line + QStringLiteral("</p>");
    return html + QStringLiteral("</body></html>");
}

void buildReportDocument(Program& p, const ServiceRecord& record, QTextDocument* doc) {
    if (!record.logoFile.isEmpty())
        doc->addResource(QTextDocument::ImageResource, QUrl(kLogo), QImage(record.logoFile));
    doc->setHtml(reportHtml(p, record));
}

bool printReportPdf(Program& p, const ServiceRecord& record, QIODevice* out) {
    QPdfWriter writer(out);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setTitle(reportText(p, "Service report"));
    writer.setCreator(p.state.EditionName);
    QTextDocument doc;
    buildReportDocument(p, record, &doc);
    // Left without a page size, the document is laid out on the writer's
    // pages and numbered at their foot.
    doc.print(&writer);
    return true;
}

}  // namespace zh
