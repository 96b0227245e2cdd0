#include "ui/dialogs/report_window.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

#include "app/dialogs.h"
#include "app/program.h"
#include "report/report_file.h"
#include "report/report_pdf.h"

namespace zh {
namespace {

// Found by its name: the class has no meta-object of its own.
const char* const kReportName = "reportWindow";

// A file name from a tag or device text: letters, digits, '-' and '_'.
QString fileNamePart(const QString& text) {
    QString part;
    for (const QChar c : text.trimmed())
        part += c.isLetterOrNumber() || c == QLatin1Char('-') ? c : QChar(QLatin1Char('_'));
    return part;
}

}  // namespace

ReportWindow::ReportWindow(QWidget* parent, Program& p) : QDialog(parent), p_(p) {
    const auto text = [&p](const char* english) { return reportText(p, english); };
    setObjectName(QLatin1String(kReportName));
    setWindowTitle(text("Service report"));
    // As tall as the report wants, within the screen it opens on.
    const QRect screen =
        parent && parent->screen() ? parent->screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    resize(qMin(760, screen.width()), qMin(820, screen.height() * 9 / 10));

    technician_ = new QLineEdit(this);
    technician_->setPlaceholderText(text("Your name"));
    technician_->setAccessibleName(text("Technician"));
    connect(technician_, &QLineEdit::editingFinished, this,
            [this] { setTechnician(technician_->text()); });
    auto* form = new QFormLayout;
    form->addRow(text("Technician") + QLatin1Char(':'), technician_);

    preview_ = new QTextBrowser(this);
    preview_->setAccessibleName(text("Service report"));
    preview_->setOpenLinks(false);

    notation_ = new QComboBox(this);
    notation_->addItem(text("CSV with decimal point"), int(CsvNotation::C));
    notation_->addItem(text("CSV in the desktop's notation"), int(CsvNotation::Desktop));
    notation_->setAccessibleName(text("CSV notation"));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* pdf = buttons->addButton(text("Save &PDF ..."), QDialogButtonBox::ActionRole);
    QPushButton* csv = buttons->addButton(text("&Export CSV ..."), QDialogButtonBox::ActionRole);
    QPushButton* printButton = buttons->addButton(text("P&rint ..."), QDialogButtonBox::ActionRole);
    buttons->addButton(QDialogButtonBox::Close);
    connect(pdf, &QPushButton::clicked, this, [this] { saveAs(false); });
    connect(csv, &QPushButton::clicked, this, [this] { saveAs(true); });
    connect(printButton, &QPushButton::clicked, this, [this] { print(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(notation_);
    bottom->addWidget(buttons, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(preview_, 1);
    layout->addLayout(bottom);
}

ReportWindow::~ReportWindow() {
    QObject::disconnect(technician_, nullptr, this, nullptr);
}

void ReportWindow::setRecord(ServiceRecord record, const QString& folder) {
    record_ = std::move(record);
    folder_ = folder;
    technician_->setText(record_.technician);
    refresh();
    preview_->verticalScrollBar()->setValue(0);
    if (record_.technician.isEmpty()) technician_->setFocus();
}

QString ReportWindow::previewText() const {
    return preview_->toPlainText();
}

void ReportWindow::refresh() {
    // A document of its own each time, laid out anew; the reader stays
    // where they were.
    QScrollBar* bar = preview_->verticalScrollBar();
    const int at = bar->value();
    // The browser deletes the document it made itself; ours go here.
    QTextDocument* old = preview_->document();
    const bool ours = old && old->parent() == preview_;
    auto* doc = new QTextDocument(preview_);
    buildReportDocument(p_, record_, doc);
    preview_->setDocument(doc);
    if (ours) delete old;
    bar->setValue(at);
}

void ReportWindow::setTechnician(const QString& name) {
    const QString trimmed = name.trimmed();
    if (trimmed == record_.technician) return;
    record_.technician = trimmed;
    p_.profile.writeData(QStringLiteral("Common"), QStringLiteral("Technician"), trimmed,
                         p_.state.ProfilePath);
    refresh();
}

QString ReportWindow::proposedName() const {
    QString device;
    for (const auto& [label, value] : record_.identity)
        if (label == reportText(p_, "Tag") || label == reportText(p_, "Device ID")) {
            device = value;
            break;
        }
    QString name = reportText(p_, "Service report");
    if (!device.isEmpty()) name += QLatin1Char(' ') + device;
    return fileNamePart(name + QLatin1Char(' ') +
                        record_.when.toString(QStringLiteral("yyyy-MM-dd hhmm")));
}

QString ReportWindow::save(const QString& path, CsvNotation notation) {
    return saveReportFile(p_, record_, path, notation);
}

void ReportWindow::saveAs(bool csv) {
    setTechnician(technician_->text());
    const QString title = reportText(p_, csv ? "Export CSV" : "Save PDF");
    const QString proposed = QDir(folder_).filePath(
        proposedName() + (csv ? QStringLiteral(".csv") : QStringLiteral(".pdf")));
    const QString path = p_.dialogs.saveFileRequester(
        title, proposed,
        csv ? QStringLiteral("CSV (*.csv)|*.csv") : QStringLiteral("PDF (*.pdf)|*.pdf"));
    if (path.isEmpty()) return;
    const QString error = save(path, CsvNotation(notation_->currentData().toInt()));
    if (!error.isEmpty())
        p_.messages.showMessageBox(title, error, mb::Ok | mb::IconError, MsgText::AsIs);
}

void ReportWindow::print() {
    setTechnician(technician_->text());
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(proposedName());
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(reportText(p_, "Print"));
    if (dialog.exec() != QDialog::Accepted) return;
    QTextDocument doc;
    buildReportDocument(p_, record_, &doc);
    doc.print(&printer);
}

ReportWindow* reportWindowOf(const QWidget* parent) {
    if (!parent) return nullptr;
    return dynamic_cast<ReportWindow*>(
        parent->findChild<QDialog*>(QLatin1String(kReportName), Qt::FindDirectChildrenOnly));
}

ReportWindow* showReportWindow(QWidget* parent, Program& p, ServiceRecord record,
                               const QString& folder) {
    ReportWindow* window = reportWindowOf(parent);
    if (!window) window = new ReportWindow(parent, p);
    window->setRecord(std::move(record), folder);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace zh
