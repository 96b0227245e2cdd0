#pragma once
// A service report's content, free of any layout: who serviced which
// device when, the configuration as found and as left side by side, the
// service functions carried out with their results, and the device status.
// The PDF and CSV renderers (report_pdf.h, report_csv.h) and the window's
// preview all draw from one ServiceRecord; every text in it is already in
// the language the program runs in.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace zh {

struct DeviceCore;
struct DeviceModel;
struct Program;

// One configuration field (or universal item), as found and as left.
struct ReportRow {
    QString name;     // field name ("SetPoint1"), the key of a universal item
    QString caption;  // the label the window shows, or the name
    QString unit;     // "bar", "" for none
    QString asFound;
    QString asLeft;
    bool changed = false;
};

// One service function carried out: "Loop test" with ("4 mA", "ok")...
struct ServiceEntry {
    QString name;
    std::vector<std::pair<QString, QString>> values;  // what -> result
};

struct ServiceRecord {
    // Header.
    QString company;     // profile [Common] Company, else the edition's name
    QString logoFile;    // an existing picture file, or ""
    QString technician;  // profile [Common] Technician, may be empty
    QDateTime when;
    // The device: label -> value, in the order shown.
    std::vector<std::pair<QString, QString>> identity;
    std::vector<ReportRow> rows;
    std::vector<ServiceEntry> functions;  // empty for a plain read
    QString status;                       // the device status in words
    // Where the data came from ("Sim", "a.cfp").
    QString source;

    int changedCount() const;
};

// The header the profile gives (company, logo, technician) and `when`.
void fillReportHeader(Program& p, ServiceRecord* record, const QDateTime& when);

// The device the program holds now, `asFound` being the configuration it
// held before the service (the same model for a plain read or a file):
// identity from the last connection (when it had one) and the identity
// fields, every field a write would send as a row.
ServiceRecord recordOfDevice(DeviceCore& core, const DeviceModel& asFound);
// The same with `asLeft` in place of the program's model; without
// `asFound` (a device written before it was read) that column stays empty.
ServiceRecord recordOfDevice(DeviceCore& core, const DeviceModel* asFound, DeviceModel& asLeft);

// A universal data file (*.hrt): its identity and every item it holds, as
// found and as left alike.
bool recordOfUniversalFile(Program& p, const QString& path, ServiceRecord* record, QString* error);
// Two of them, of one device: as found and as left, the settings that
// differ marked.
bool recordOfUniversalFiles(Program& p, const QString& foundPath, const QString& leftPath,
                            ServiceRecord* record, QString* error);

// A report text in the program's language ("As found" -> "Wie vorgefunden").
QString reportText(Program& p, const char* english);

}  // namespace zh
