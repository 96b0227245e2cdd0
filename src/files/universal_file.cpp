#include "universal_file.h"

#include <QFile>
#include <QRegularExpression>
#include <cmath>

#include "app/ini_document.h"
#include "app/small_file.h"
#include "file_replacement.h"
#include "hart/packed_ascii.h"
#include "hart/response_codes.h"
#include "hart/unit_codes.h"
#include "hart/wire_values.h"

namespace zh {
namespace {

const QString kDevice = QStringLiteral("Device");
const QString kUniversal = QStringLiteral("Universal");
const QString kSensor = QStringLiteral("Sensor");
const QString kValues = QStringLiteral("Values");

QString hex(quint32 value, int digits) {
    return QStringLiteral("0x") +
           QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

// "7 (bar)": the code for the device, the name for the reader.
QString unitText(int code) {
    return QString::number(code) + QStringLiteral(" (") + unitCodeName(code) + QLatin1Char(')');
}

// "10.5 bar"
QString valueText(float value, int unit) {
    return floatFileText(value) + QLatin1Char(' ') + unitCodeName(unit);
}

void writeIdentity(IniDocument& doc, const DeviceIdentity& id) {
    if (!id.valid) return;
    const bool hart7 = id.universalRevision >= 7;
    doc.setValue(kDevice, QStringLiteral("Manufacturer"),
                 hex(quint32(id.manufacturer), hart7 ? 4 : 2));
    doc.setValue(kDevice, QStringLiteral("DeviceType"), hex(quint32(id.deviceType), hart7 ? 4 : 2));
    doc.setValue(kDevice, QStringLiteral("DeviceId"), hex(id.deviceId, 6));
    doc.setValue(kDevice, QStringLiteral("HartRevision"), QString::number(id.universalRevision));
    doc.setValue(kDevice, QStringLiteral("DeviceRevision"), QString::number(id.deviceRevision));
    doc.setValue(kDevice, QStringLiteral("SoftwareRevision"), QString::number(id.softwareRevision));
    doc.setValue(kDevice, QStringLiteral("HardwareRevision"), QString::number(id.hardwareRevision));
    doc.setValue(kDevice, QStringLiteral("RequestPreambles"), QString::number(id.requestPreambles));
    if (id.configChangeCounter >= 0)
        doc.setValue(kDevice, QStringLiteral("ConfigChangeCounter"),
                     QString::number(id.configChangeCounter));
}

void writeUniversal(IniDocument& doc, const UniversalData& d) {
    auto set = [&doc](const char* key, const QString& value) {
        doc.setValue(kUniversal, QLatin1String(key), value);
    };
    if (d.has(13)) {
        set("Tag", d.tag);
        set("Descriptor", d.descriptor);
        if (d.date.isValid()) set("Date", d.date.toString(Qt::ISODate));
    }
    if (d.has(20)) set("LongTag", d.longTag);
    if (d.has(12)) set("Message", d.message);
    if (d.has(16)) set("FinalAssemblyNumber", QString::number(d.finalAssemblyNumber));
    if (d.has(1) || d.has(3)) set("PVUnit", unitText(d.pvUnit));
    if (d.has(15)) {
        set("RangeUnit", unitText(d.rangeUnit));
        set("UpperRange", floatFileText(d.upperRange));
        set("LowerRange", floatFileText(d.lowerRange));
        set("Damping", floatFileText(d.damping));
        set("TransferFunction", QString::number(d.transferFunction) + QStringLiteral(" (") +
                                    transferFunctionName(d.transferFunction) + QLatin1Char(')'));
        set("AlarmSelection", QString::number(d.alarmSelection) + QStringLiteral(" (") +
                                  alarmSelectionName(d.alarmSelection) + QLatin1Char(')'));
        set("WriteProtect", QString::number(d.writeProtect) + QStringLiteral(" (") +
                                writeProtectName(d.writeProtect) + QLatin1Char(')'));
    }
}

void writeMeasured(IniDocument& doc, const UniversalData& d) {
    if (d.has(14)) {
        doc.setValue(kSensor, QStringLiteral("SerialNumber"), QString::number(d.sensorSerial));
        doc.setValue(kSensor, QStringLiteral("UpperLimit"),
                     valueText(d.sensorUpperLimit, d.sensorUnit));
        doc.setValue(kSensor, QStringLiteral("LowerLimit"),
                     valueText(d.sensorLowerLimit, d.sensorUnit));
        doc.setValue(kSensor, QStringLiteral("MinimumSpan"),
                     valueText(d.minimumSpan, d.sensorUnit));
    }
    if (d.has(1) || d.has(3))
        doc.setValue(kValues, QStringLiteral("PV"), valueText(d.pv, d.pvUnit));
    const std::pair<const char*, std::pair<float, int>> more[] = {
        {"SV", {d.sv, d.svUnit}}, {"TV", {d.tv, d.tvUnit}}, {"QV", {d.qv, d.qvUnit}}};
    for (int i = 1; i < d.dynamicCount; ++i)
        doc.setValue(kValues, QLatin1String(more[i - 1].first),
                     valueText(more[i - 1].second.first, more[i - 1].second.second));
    if (d.has(2) || d.has(3))
        doc.setValue(kValues, QStringLiteral("LoopCurrent"), valueText(d.loopCurrent, 39));
    if (d.has(2))
        doc.setValue(kValues, QStringLiteral("PercentOfRange"), floatFileText(d.percentOfRange));
    if (d.deviceStatus >= 0)
        doc.setValue(kValues, QStringLiteral("DeviceStatus"), deviceStatusRecord(d.deviceStatus));
    if (d.has(48)) {
        doc.setValue(kValues, QStringLiteral("AdditionalStatus"), hexText(d.additionalStatus));
        const QStringList words = additionalStatusWords(d.additionalStatus);
        if (!words.isEmpty())
            doc.setValue(kValues, QStringLiteral("AdditionalStatusText"),
                         words.join(QStringLiteral(", ")));
    }
}

// The checks of one file: every bad value becomes a line "Key=value: why".
class SettingsReader {
  public:
    explicit SettingsReader(const IniDocument& doc) : doc_(doc) {}

    std::optional<QString> text(const char* key) const {
        return doc_.value(kUniversal, QLatin1String(key));
    }
    // A number, unit or date left empty is left out, as a missing key.
    std::optional<QString> given(const char* key) const {
        const auto value = text(key);
        return value && !value->trimmed().isEmpty() ? value : std::nullopt;
    }

    std::optional<QString> packed(const char* key, int chars, QStringList* inCapitals) {
        const auto value = text(key);
        if (!value) return value;
        if (value->size() > chars || !isPackable(*value))
            problem(key, *value,
                    QStringLiteral("up to %1 of the characters A-Z, 0-9, blank and common signs")
                        .arg(chars));
        if (*value != value->toUpper()) *inCapitals << QString::fromLatin1(key).toLower();
        return value->toUpper();
    }

    std::optional<QString> latin1(const char* key, int chars) {
        const auto value = text(key);
        if (value && (value->size() > chars || QString::fromLatin1(value->toLatin1()) != *value))
            problem(key, *value, QStringLiteral("up to %1 Latin-1 characters").arg(chars));
        return value;
    }

    std::optional<QDate> date(const char* key) {
        const auto value = given(key);
        if (!value) return std::nullopt;
        const QDate date = QDate::fromString(value->trimmed(), Qt::ISODate);
        if (!date.isValid() || date.year() < 1900 || date.year() > 2155) {
            problem(key, *value, QStringLiteral("a date yyyy-MM-dd from 1900 to 2155"));
            return std::nullopt;
        }
        return date;
    }

    std::optional<float> number(const char* key) {
        const auto value = given(key);
        if (!value) return std::nullopt;
        const WireValue<float> parsed = parseFloat(*value);
        if (!parsed.ok()) {
            problem(key, *value, QStringLiteral("not a number"));
            return std::nullopt;
        }
        return parsed.value;
    }

    // "7", "7 (bar)", "bar": a code and, if given, its name must agree.
    std::optional<int> unit(const char* key) {
        const auto value = given(key);
        if (!value) return std::nullopt;
        static const QRegularExpression codeAndName(
            QStringLiteral("^\\s*(\\d+)\\s*\\((.*)\\)\\s*$"));
        const QRegularExpressionMatch m = codeAndName.match(*value);
        const int code = unitCodeOf(m.hasMatch() ? m.captured(1) : *value);
        if (code < 0) {
            problem(key, *value, QStringLiteral("no unit code or unit name known"));
            return std::nullopt;
        }
        if (m.hasMatch() && unitCodeOf(m.captured(2)) != code) {
            problem(key, *value, QStringLiteral("code %1 is %2").arg(code).arg(unitCodeName(code)));
            return std::nullopt;
        }
        return code;
    }

    // The range against the sensor the file describes, in the range's unit:
    // both ends within the sensor limits, at least the minimum span apart.
    // A device refuses any other range; a limit or unit the file does not
    // give, or cannot be converted, is left to the device.
    void rangeWithinSensor(const UniversalSettings& s) {
        if (!s.rangeUnit || (!s.lowerRange && !s.upperRange)) return;
        const auto limit = [&](const char* key) -> std::optional<double> {
            const auto value = doc_.value(kSensor, QLatin1String(key));
            if (!value) return std::nullopt;
            const QString t = value->trimmed();
            const int blank = t.indexOf(QLatin1Char(' '));
            const WireValue<float> number = parseFloat(blank < 0 ? t : t.left(blank));
            const int unit = blank < 0 ? -1 : unitCodeOf(t.mid(blank + 1));
            if (!number.ok() || unit < 0) return std::nullopt;
            if (QLatin1String(key) == QLatin1String("MinimumSpan")) {
                // A span converts without the offset of a temperature scale.
                const auto zero = convertUnitCode(0.0, unit, *s.rangeUnit);
                const auto span = convertUnitCode(double(number.value), unit, *s.rangeUnit);
                if (!zero || !span) return std::nullopt;
                return std::fabs(*span - *zero);
            }
            return convertUnitCode(double(number.value), unit, *s.rangeUnit);
        };
        const auto low = limit("LowerLimit");
        const auto high = limit("UpperLimit");
        const auto span = limit("MinimumSpan");
        const QString unit = QLatin1Char(' ') + unitCodeName(*s.rangeUnit);
        const auto text = [](double v) { return floatFileText(float(v)); };
        const double leeway = low && high ? 1e-4 * std::fabs(*high - *low) : 0.0;
        const std::pair<const char*, std::optional<float>> ends[] = {{"LowerRange", s.lowerRange},
                                                                     {"UpperRange", s.upperRange}};
        for (const auto& [key, value] : ends) {
            if (!value) continue;
            if (low && *value < *low - leeway)
                problem(key, text(*value),
                        QStringLiteral("below the sensor's lower limit ") + text(*low) + unit);
            else if (high && *value > *high + leeway)
                problem(key, text(*value),
                        QStringLiteral("beyond the sensor's upper limit ") + text(*high) + unit);
        }
        if (span && s.lowerRange && s.upperRange &&
            std::fabs(double(*s.upperRange) - double(*s.lowerRange)) < *span - leeway)
            problem("UpperRange", text(*s.upperRange),
                    QStringLiteral("less than the sensor's minimum span ") + text(*span) + unit +
                        QStringLiteral(" from LowerRange ") + text(*s.lowerRange));
    }

    QStringList problems;

  private:
    void problem(const char* key, const QString& value, const QString& why) {
        problems << QLatin1String(key) + QLatin1Char('=') + value + QStringLiteral(": ") + why;
    }
    const IniDocument& doc_;
};

}  // namespace

QString universalFileExtension() {
    return QStringLiteral("hrt");
}

QString floatFileText(float value) {
    if (!std::isfinite(value)) return QString::number(double(value));
    // The fewest digits that give back the same float.
    for (int digits = 6; digits < 9; ++digits) {
        const QString text = QString::number(double(value), 'g', digits);
        if (text.toFloat() == value) return text;
    }
    return QString::number(double(value), 'g', 9);
}

bool saveUniversalFile(const QString& path, const UniversalData& data, QString* error) {
    IniDocument doc;
    writeIdentity(doc, data.identity);
    writeUniversal(doc, data);
    writeMeasured(doc, data);
    const QByteArray header =
        "; Universal HART data. Only Tag, Descriptor, Date, Message, LongTag, PVUnit, "
        "RangeUnit,\r\n"
        "; UpperRange, LowerRange and Damping are written to a device; the rest is as read.\r\n";
    const QByteArray bytes = header + doc.serialize();
    ReplaceFailure failure;
    const bool written = replaceFile(
        path,
        [&bytes](const QString& temporary) {
            QFile file(temporary);
            return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() &&
                   file.flush();
        },
        &failure);
    if (!written && error) {
        const QString why =
            failure.why.isEmpty() ? QStringLiteral("it could not be written") : failure.why;
        *error =
            QStringLiteral("%1 could not be written: %2").arg(path, why) +
            (failure.system.isEmpty() ? QString()
                                      : QStringLiteral(" (") + failure.system + QLatin1Char(')'));
    }
    return written;
}

bool loadUniversalFile(const QString& path, UniversalSettings* settings, QString* error) {
    QByteArray bytes;
    QString why;
    const SmallFileRead read = readSmallFile(path, &bytes, &why);
    if (read == SmallFileRead::Missing) why = QStringLiteral("no such file");
    if (read == SmallFileRead::Read && bytes.contains('\0'))
        why = QStringLiteral("not a text file");
    if (!why.isEmpty()) {
        if (error) *error = path + QStringLiteral(": ") + why;
        return false;
    }
    const IniDocument doc = IniDocument::parse(bytes);
    if (!doc.sectionNames().contains(kUniversal, Qt::CaseInsensitive)) {
        if (error)
            *error = path + QStringLiteral(": no [Universal] section, not a universal data file");
        return false;
    }
    SettingsReader reader(doc);
    UniversalSettings loaded;
    loaded.tag = reader.packed("Tag", 8, &loaded.inCapitals);
    loaded.descriptor = reader.packed("Descriptor", 16, &loaded.inCapitals);
    loaded.message = reader.packed("Message", 32, &loaded.inCapitals);
    loaded.longTag = reader.latin1("LongTag", 32);
    loaded.date = reader.date("Date");
    loaded.pvUnit = reader.unit("PVUnit");
    loaded.rangeUnit = reader.unit("RangeUnit");
    loaded.upperRange = reader.number("UpperRange");
    loaded.lowerRange = reader.number("LowerRange");
    loaded.damping = reader.number("Damping");
    if (reader.problems.isEmpty()) reader.rangeWithinSensor(loaded);
    if (!reader.problems.isEmpty()) {
        if (error)
            *error = path + QStringLiteral(": ") + reader.problems.join(QStringLiteral("; "));
        return false;
    }
    *settings = loaded;
    return true;
}

}  // namespace zh
