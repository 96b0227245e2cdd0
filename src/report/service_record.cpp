#include "report/service_record.h"

#include <QFileInfo>
#include <algorithm>

#include "app/ini_document.h"
#include "app/program.h"
#include "app/program_folders.h"
#include "app/small_file.h"
#include "files/device_comparison.h"
#include "files/device_core.h"
#include "hart/response_codes.h"
#include "model/device_model.h"

namespace zh {
namespace {

// The fields that tell which device it is, beside what command 0 gave,
// with the label the report gives them.
constexpr std::pair<const char*, const char*> kIdentityFields[] = {
    {"CmbManufact", "Manufacturer name"},
    {"DevType", "Sensor"},
    {"TagID", "Tag"},
    {"HWVersion1", "Hardware version, transmitter"},
    {"SWVersion1", "Software version, transmitter"},
    {"HWVersion2", "Hardware version, display module"},
    {"SWVersion2", "Software version, display module"},
    {"SerialNo1", "Serial number, transmitter"},
    {"SerialNo2", "Serial number, display module"},
    {"SerialNoZEL", "Serial number, device"}};

// The identity keys of a universal data file with the label the report
// gives them; the others keep their key.
constexpr std::pair<const char*, const char*> kUniversalIdentity[] = {
    {"Manufacturer", "Manufacturer"},
    {"DeviceType", "Device type"},
    {"DeviceId", "Device ID"},
    {"HartRevision", "HART revision"},
    {"DeviceRevision", "Device revision"},
    {"SoftwareRevision", "Software revision"},
    {"HardwareRevision", "Hardware revision"}};

QString hexText(quint32 value, int digits) {
    return QStringLiteral("0x") +
           QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

// The program's own logo for the edition and language, as the window shows it.
QString builtInLogoName(const AppState& s) {
    if (s.EditionName == QLatin1String("ZEL-HART")) return QStringLiteral("maker_logo.png");
    return s.ActualLanguage == QLatin1String("Deutsch") ? QStringLiteral("logo.png")
                                                        : QStringLiteral("logo_en.png");
}

QString existingFile(const AppState& s, const QString& name) {
    if (name.trimmed().isEmpty()) return QString();
    const QFileInfo file(resolveReadOnlyFile(s, name.trimmed()));
    return file.isFile() ? file.absoluteFilePath() : QString();
}

void addIdentity(ServiceRecord* r, const QString& label, const QString& value) {
    if (!value.trimmed().isEmpty()) r->identity.emplace_back(label, value.trimmed());
}

QString statusInWords(Program& p, int status) {
    if (status < 0) return reportText(p, "not read");
    const QString words = deviceStatusText(status);
    return words.isEmpty() ? reportText(p, "ok") : words;
}

}  // namespace

int ServiceRecord::changedCount() const {
    return int(
        std::count_if(rows.begin(), rows.end(), [](const ReportRow& r) { return r.changed; }));
}

QString reportText(Program& p, const char* english) {
    return p.messages.lookupMessage(QString::fromUtf8(english), QStringLiteral("Common"));
}

void fillReportHeader(Program& p, ServiceRecord* record, const QDateTime& when) {
    const AppState& s = p.state;
    auto profileText = [&p](const char* key) {
        return p.profile
            .readProfile(QStringLiteral("Common"), QLatin1String(key), QString(),
                         p.state.ProfilePath)
            .trimmed();
    };
    record->company = profileText("Company");
    if (record->company.isEmpty()) record->company = s.EditionName;
    record->technician = profileText("Technician");
    record->logoFile = existingFile(s, profileText("LogoFile"));
    if (record->logoFile.isEmpty())
        record->logoFile = existingFile(s, QStringLiteral(".\\Images\\") + builtInLogoName(s));
    record->when = when;
}

ServiceRecord recordOfDevice(DeviceCore& core, const DeviceModel& asFound) {
    return recordOfDevice(core, &asFound, core.model);
}

ServiceRecord recordOfDevice(DeviceCore& core, const DeviceModel* asFound, DeviceModel& asLeft) {
    Program& p = core.program;
    ServiceRecord r;
    const DeviceIdentity& id = core.session.identity();
    if (id.valid) {
        const int digits = id.universalRevision >= 7 ? 4 : 2;
        addIdentity(&r, reportText(p, "Manufacturer"), hexText(quint32(id.manufacturer), digits));
        addIdentity(&r, reportText(p, "Device type"), hexText(quint32(id.deviceType), digits));
        addIdentity(&r, reportText(p, "Device ID"), hexText(id.deviceId, 6));
        addIdentity(&r, reportText(p, "HART revision"), QString::number(id.universalRevision));
    }
    const DeviceModel& m = asLeft;
    for (const auto& [name, label] : kIdentityFields) {
        const int at = m.fields.find(QLatin1String(name));
        if (at >= 0)
            addIdentity(&r, reportText(p, label),
                        shownValue(m.fields.at(at), m.fields.at(at).Content));
    }
    for (const FieldDifference& f : fieldValues(asFound ? *asFound : asLeft, asLeft))
        r.rows.push_back({f.name, f.caption, f.unit, asFound ? f.fileValue : QString(),
                          f.deviceValue, asFound && f.differs});
    r.status = statusInWords(p, id.valid ? int(core.session.deviceStatus()) : -1);
    return r;
}

namespace {

// A universal data file parsed; false with `error` saying why.
bool universalDocument(Program& p, const QString& path, IniDocument* doc, QString* error) {
    QByteArray bytes;
    QString why;
    const SmallFileRead read = readSmallFile(path, &bytes, &why);
    if (read != SmallFileRead::Read) {
        *error = path + QStringLiteral(": ") +
                 (why.isEmpty() ? reportText(p, "the file could not be opened") : why);
        return false;
    }
    *doc = IniDocument::parse(bytes);
    if (doc->keyNames(QStringLiteral("Device")).isEmpty()) {
        *error = path + QStringLiteral(": ") + reportText(p, "no universal HART data");
        return false;
    }
    return true;
}

}  // namespace

bool recordOfUniversalFile(Program& p, const QString& path, ServiceRecord* record, QString* error) {
    return recordOfUniversalFiles(p, path, path, record, error);
}

bool recordOfUniversalFiles(Program& p, const QString& foundPath, const QString& leftPath,
                            ServiceRecord* record, QString* error) {
    IniDocument found, left;
    if (!universalDocument(p, leftPath, &left, error) ||
        !universalDocument(p, foundPath, &found, error))
        return false;
    const QString device = QStringLiteral("Device");
    ServiceRecord& r = *record;
    for (const QString& key : left.keyNames(device)) {
        const auto known =
            std::find_if(std::begin(kUniversalIdentity), std::end(kUniversalIdentity),
                         [&key](const auto& k) { return key == QLatin1String(k.first); });
        addIdentity(&r, known == std::end(kUniversalIdentity) ? key : reportText(p, known->second),
                    left.value(device, key).value_or(QString()));
    }
    if (const auto tag = left.value(QStringLiteral("Universal"), QStringLiteral("Tag")))
        addIdentity(&r, reportText(p, "Tag"), *tag);
    // The measured values change from reading to reading: only the
    // settings count as changed.
    const QString measured = QStringLiteral("Values");
    for (const QString& section : left.sectionNames()) {
        if (section == device) continue;
        for (const QString& key : left.keyNames(section)) {
            const QString now = left.value(section, key).value_or(QString());
            const QString was = found.value(section, key).value_or(QString());
            r.rows.push_back({key, key, QString(), was, now, section != measured && was != now});
        }
    }
    const auto status = left.value(measured, QStringLiteral("DeviceStatus"));
    r.status = statusInWords(p, status ? deviceStatusOfRecord(*status) : -1);
    return true;
}

}  // namespace zh
