#pragma once
// "Service report": the report of the visit shown as it will print, with
// the technician's name to fill in (kept in the profile for the next
// report), saved as PDF or CSV (C or desktop notation) or printed.

#include <QDialog>

#include "report/report_csv.h"
#include "report/service_record.h"

class QComboBox;
class QLineEdit;
class QTextBrowser;

namespace zh {

struct Program;

class ReportWindow : public QDialog {
  public:
    ReportWindow(QWidget* parent, Program& p);
    // The name field lets go of the window before its children go: it
    // finishes its edit as it loses the focus.
    ~ReportWindow() override;
    ReportWindow(const ReportWindow&) = delete;
    ReportWindow& operator=(const ReportWindow&) = delete;

    // Shows `record`; `folder` is where the save requesters start.
    void setRecord(ServiceRecord record, const QString& folder);
    const ServiceRecord& record() const { return record_; }
    // The preview as plain text.
    QString previewText() const;
    // Saves the report as PDF, or as CSV in `notation` when `path` ends in
    // ".csv"; "" when saved, else why not (nothing half written).
    QString save(const QString& path, CsvNotation notation);
    // The technician named in the report, and in the profile from now on.
    void setTechnician(const QString& name);

  private:
    void refresh();
    void saveAs(bool csv);
    void print();
    QString proposedName() const;

    Program& p_;
    ServiceRecord record_;
    QString folder_;
    QLineEdit* technician_ = nullptr;
    QTextBrowser* preview_ = nullptr;
    QComboBox* notation_ = nullptr;
};

// The report window of `parent`, made when there is none, showing `record`.
ReportWindow* showReportWindow(QWidget* parent, Program& p, ServiceRecord record,
                               const QString& folder);
// The report window of `parent`; nullptr before the first one.
ReportWindow* reportWindowOf(const QWidget* parent);

}  // namespace zh
