#pragma once
// The program-wide application state. One instance lives in the Program
// context for the whole run; every default below is the value in force before
// the profile file is read.

#include <QString>
#include <QStringList>
#include <vector>

namespace zh {

// What the profile says about one measurand (its own section in the profile).
struct MeasurandSettings {
    QString Name;             // "Pressure"
    int Index = 0;            // the number after "=" in the Measurands list
    QString BaseUnit;         // "[bar]"
    QString DeviceEquipment;  // "name=identifier;..." entries for the new-data pop-up
};

struct AppState {
    // Identity
    QString EditionName;  // "ZEL-HART", "KALVERO_S" or "invalid"
    QString Version = QStringLiteral("V 0.9.129");
    QString BuildDate = QStringLiteral("2014-11-03");
    QString AboutText;
    QString WindowTitle;
    QString ExecutableName;  // file name the program was started under

    // Paths (".\" and "\" mean the program directory, see PathResolver)
    QString InitialProfilePath;
    QString ProfilePath;
    QString ProgramDir = QStringLiteral(".\\");
    QString DefaultsDir;  // the shipped read-only files; empty: ProgramDir
    QString StateDir;     // the debug log's folder; empty: ProgramDir
    QString DataDir;      // the first folder of data files; empty: ProgramDir
    QString LanguageFile = QStringLiteral(".\\Language\\English.ini");
    QString ActualLanguage = QStringLiteral("English");
    QString DebugFile = QStringLiteral(".\\Debug.log");
    QString DefaultFilePattern = QStringLiteral("*.cfp");
    QString FileExtensions;

    // Modes and switches (profile words: "ON"/"OFF" in capitals)
    QString UserMode = QStringLiteral("user");
    QString SelectConfig = QStringLiteral("OFF");
    QString TestMode = QStringLiteral("OFF");
    QString GraphMode = QStringLiteral("OFF");
    QString NoWrite = QStringLiteral("OFF");
    QString TranmitterVerivy = QStringLiteral("OFF");  // key name as stored profiles spell it
    // A write from the window is read back and compared (what it sent, in
    // the read form of each step); on unless the profile says "OFF".
    bool VerifyWrite = true;
    QString Diagnostics = QStringLiteral("OFF");
    QString ErrorDisplay = QStringLiteral("OFF");
    QString TransmitterDisplay = QStringLiteral("auto");  // "transmitter", "display", "all", "auto"
    // The configuration in use, as the last connection found it: "all",
    // "display" or "transmitter". Until a device answered, everything is offered.
    QString TransmDisplay = QStringLiteral("all");
    QString SaveRequestTargets = QStringLiteral("File;Module");
    QString Measurands = QStringLiteral("Pressure=0;Temperature=1");
    std::vector<MeasurandSettings> MeasurandList;
    QString LogoFile;

    // Serial link
    QString ComPort = QStringLiteral("Com4");
    int HartAddress = 0;        // polling address 0..63 (above 15: HART 6/7 devices only)
    int ConnectTimeout = 4000;  // ms
    int ConnectRetry = 3;       // probe runs that may time out (a modem hanging in its driver)
    // Tries of one request or connect: 1 + [Serial_IO] Retries. The one
    // retry count of the program: the library makes one try per call.
    int RequestTries = 3;
    int ConnectionState = 0;

    // Logging
    int DebugLevel = 2;
    // The log view shows every HART frame decoded (profile key FrameMonitor,
    // the log window's "Frames" switch).
    bool FrameMonitor = false;

    // Texts and numbers
    QString ListSeparator = QStringLiteral(";");
    QString DecimalPoint = QStringLiteral(".");
    QString CR = QStringLiteral("\r");
    QString LF = QStringLiteral("\n");
    QString DisplayInterfaceVersion = QStringLiteral("5");
    QString SetDisplayInterfaceVersion = QStringLiteral("5");
    int DynPollTime = 500;          // ms
    int MessageDisplayTime = 5000;  // ms
    float MinHysteresis = 0.5f;     // percent of the measuring range ([Config] minhys)

    // Data and run state
    int DataTrigger = -1;  // index of the loaded data set, -1 = none
    bool DataChanged = false;
    int MainWindowOpen = -1;
    bool DynamicDisplayOn = false;
    QString ReplayState;
    int ReplayLine = 0;
    bool QuitRequested = false;
    int LastMenuId = -1;
    int LastGadgetId = -1;
    int ErrorSoundLoaded = -1;
    bool ProbeMode = false;  // started as "Connect <port>": writes no file at all

    // The message section lookups use when the caller names none.
    QString CurrentMessageSection = QStringLiteral("Application");
};

}  // namespace zh
