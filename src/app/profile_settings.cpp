#include "profile_settings.h"

#include <QFile>
#include <cstdlib>

#include "debug_file.h"
#include "dialogs.h"
#include "number_text.h"
#include "presence.h"
#include "program.h"
#include "program_folders.h"

namespace zh {
namespace {

// Retries of a request that got no usable answer: two, as HART masters
// commonly make, so three tries in all; at most ten.
constexpr int kDefaultRetries = 2;
constexpr int kMaxRetries = 10;

// A little reader bound to the current profile, so the table below reads as a table.
struct Reader {
    Program& p;
    QString text(const char* section, const char* key, const char* def) {
        return p.profile.readProfile(QLatin1String(section), QLatin1String(key),
                                     QString::fromUtf8(def), p.state.ProfilePath);
    }
    // A value that breaks the rule of its key is logged, and its default used.
    int integer(const char* section, const char* key, int def, int min, int max) {
        const QString raw = text(section, key, QByteArray::number(def).constData());
        const long long v = leadingInt(raw);
        if (v < min || v > max) {
            rejected(key, raw, QString::number(def));
            return def;
        }
        return static_cast<int>(v);
    }
    void rejected(const char* key, const QString& raw, const QString& used) {
        p.log.debugLog(QStringLiteral("ReadProfileFile: invalid ") + QLatin1String(key) +
                           QStringLiteral("='") + raw + QStringLiteral("', using ") + used,
                       1);
    }
};

// The configuration the profile asks for; a word the program does not know
// asks for "auto".
QString normaliseTransmitterDisplay(const QString& raw) {
    const Presence asked = parsePresence(raw.toLower());
    return presenceText(asked == Presence::Unknown ? Presence::Auto : asked);
}

void readMeasurands(Program& p, Reader& r) {
    p.state.MeasurandList.clear();
    const QStringList entries = p.state.Measurands.split(p.state.ListSeparator, Qt::SkipEmptyParts);
    for (const QString& entry : entries) {
        MeasurandSettings m;
        const int eq = entry.indexOf(QLatin1Char('='));
        m.Name = (eq < 0 ? entry : entry.left(eq)).trimmed();
        m.Index = eq < 0 ? 0 : static_cast<int>(leadingInt(entry.mid(eq + 1)));
        if (m.Name.isEmpty()) continue;
        m.BaseUnit = p.profile.readProfile(m.Name, QStringLiteral("BaseUnit"),
                                           QStringLiteral("[°C]"), p.state.ProfilePath);
        m.DeviceEquipment = p.profile.readProfile(m.Name, QStringLiteral("DeviceEquipment"),
                                                  QString(), p.state.ProfilePath);
        p.state.MeasurandList.push_back(m);
    }
}

// SelectConfig "ON": the person picks the profile file; false when cancelled.
bool chooseProfile(Program& p, Reader& r) {
    AppState& s = p.state;
    s.SelectConfig = r.text("Common", "SelectConfig", "OFF");
    if (s.SelectConfig != QLatin1String("ON")) return true;
    const QString chosen = p.dialogs.openFileRequester(
        QStringLiteral("ZELHart"), p.profile.resolve(s.ProfilePath),
        QStringLiteral("Konfiguration (*.ini)|*.ini;|Alle Dateien (*.*)|*.*"));
    if (chosen.isEmpty()) return false;
    s.ProfilePath = chosen;
    return true;
}

// The log: its level, the frame monitor and the file, which each run begins anew.
void readLogSettings(Program& p, Reader& r) {
    AppState& s = p.state;
    s.DebugLevel = r.integer("Common", "DebugLevel", 0, -127, 127);
    p.log.setThreshold(std::abs(s.DebugLevel));
    p.log.openView(s.DebugLevel);
    s.FrameMonitor =
        r.text("Common", "FrameMonitor", "OFF").compare(QLatin1String("ON"), Qt::CaseInsensitive) ==
        0;
    s.DebugFile = r.text("Common", "DebugFile", "");
    QString refused;
    if (s.DebugFile.isEmpty()) {
        p.log.setFile(QString());
    } else {
        QString path = resolveStateFile(s, s.DebugFile);
        refused = debugFileRefusal(p, path);
        if (!refused.isEmpty()) {
            // Never another file of the program: the log goes where it goes by default.
            refused = QStringLiteral("DebugFile ") + path + QStringLiteral(" is not used (") +
                      refused + QStringLiteral("), the log goes to ");
            s.DebugFile = AppState().DebugFile;
            path = resolveStateFile(s, s.DebugFile);
            refused += path;
            if (!debugFileRefusal(p, path).isEmpty()) path.clear();
        }
        if (!s.ProbeMode && !path.isEmpty()) QFile::remove(path);
        p.log.setFile(s.ProbeMode ? QString() : path);
    }
    if (!refused.isEmpty()) p.log.debugLog(refused, -1);
}

// The switches and the configuration asked for.
void readModes(Reader& r, AppState& s) {
    s.TestMode = r.text("Common", "TestMode", "OFF");
    s.GraphMode = r.text("Common", "GraphMode", "OFF");
    s.NoWrite = r.text("Common", "NoWrite", "OFF");
    s.TranmitterVerivy = r.text("Common", "TranmitterVerivy", "OFF");
    s.VerifyWrite =
        r.text("Common", "VerifyWrite", "ON").compare(QLatin1String("OFF"), Qt::CaseInsensitive) !=
        0;
    s.SaveRequestTargets = r.text("Common", "SaveRequest", "File;Module").toLower();

    QString td = r.text("Common", "Transmitter/Display", "");
    if (td.isEmpty()) td = r.text("Common", "Transmitter&Display", "");
    s.TransmitterDisplay = normaliseTransmitterDisplay(td);
    if (r.text("Common", "TransmitterOnly", "") == QLatin1String("ON"))
        s.TransmitterDisplay = presenceText(Presence::Transmitter);
}

// The times of the window and of the serial link.
void readTimes(Reader& r, AppState& s) {
    // A poll period of 0 or less would make the live display poll without pause.
    s.DynPollTime = r.integer("Common", "DynPollTime", 250, 1, 3600000);

    const QString mdt = r.text("Common", "MessageDisplayTime", "5");
    const float seconds = unitValue(mdt);
    if (seconds < 0.0f || seconds > 3600.0f) {
        r.rejected("MessageDisplayTime", mdt, QStringLiteral("5"));
        s.MessageDisplayTime = 5000;
    } else {
        // Never negative here, so adding a half rounds to the nearest ms.
        // NOLINTNEXTLINE(bugprone-incorrect-roundings)
        s.MessageDisplayTime = static_cast<int>(seconds * 1000.0f + 0.5f);
    }

    s.ConnectTimeout = r.integer("Serial_IO", "ConnectTimeout", 4000, 1, 600000);
    s.ConnectRetry = r.integer("Serial_IO", "ConnectRetry", 3, 0, 100);
    s.RequestTries = 1 + r.integer("Serial_IO", "Retries", kDefaultRetries, 0, kMaxRetries);
}

// The polling address is one of 0..63 (16..63 only HART 6/7 devices use)
// and nothing else: "abc" or 300 must not become an address by accident.
int readHartAddress(Reader& r) {
    const QString addr = r.text("Common", "HartAddress", "0").trimmed();
    if (isDigits(addr) && addr.size() <= 2 && addr.toInt() <= 63) return addr.toInt();
    r.rejected("HartAddress", addr, QStringLiteral("0"));
    return 0;
}

}  // namespace

bool readProfileFile(Program& p) {
    AppState& s = p.state;
    Reader r{p};
    if (!chooseProfile(p, r)) return false;
    readLogSettings(p, r);
    p.log.debugLog(QStringLiteral(">>> ReadProfileFile(") + s.ProfilePath + QLatin1Char(')'), 4);

    readModes(r, s);
    s.Measurands = r.text("Common", "Measurands", "Pressure=0;Temperature=1");
    s.FileExtensions =
        r.text("Common", "FileExtensions", "Pressure (*.cfp)|*.cfp|Temperature (*.cft)|*.cft");
    s.FileExtensions.replace(QLatin1Char('\\'), QLatin1Char('|'));
    s.UserMode = r.text("Common", "UserMode", "user").toLower();
    s.ComPort = r.text("Serial_IO", "ComPort", "Com4");
    s.DisplayInterfaceVersion = r.text("Common", "DisplayInterfaceVersion", "5");
    s.SetDisplayInterfaceVersion = r.text("Common", "SetDisplayInterfaceVersion", "5");
    readTimes(r, s);
    s.HartAddress = readHartAddress(r);
    s.Diagnostics = r.text("Common", "Diagnostics", "OFF");
    s.ErrorDisplay = r.text("Common", "ErrorDisplay", "OFF");
    s.ActualLanguage = r.text("Language", "ActualLanguage", "English");
    s.LogoFile = r.text("Common", "LogoFile", "");
    readMeasurands(p, r);

    s.MinHysteresis = unitValue(r.text("Config", "minhys", "0,5%"));
    return true;
}

}  // namespace zh
