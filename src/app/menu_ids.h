#pragma once
// The command identifiers of the menus, pop-up menus, tool bar and keyboard
// shortcuts, and their symbolic names. Event records, the user-mode rules
// and the debug log name commands by these, so the numbers are fixed.

#include <QString>
#include <QStringView>

namespace zh::menu {

// The menu bar and the two command pop-ups themselves.
constexpr int kMenuBar = 2024;
constexpr int kNewPopup = 2025;
constexpr int kWritePopup = 2026;

// Tool bar: the standard buttons (by their word) and the image buttons.
constexpr int kToolExit = 2001;
constexpr int kToolNew = 2002;
constexpr int kToolOpen = 2003;
constexpr int kToolAdd = 2004;
constexpr int kToolSave = 2005;
constexpr int kToolPrint = 2006;
constexpr int kToolFind = 2007;
constexpr int kToolReplace = 2008;
constexpr int kToolCut = 2009;
constexpr int kToolCopy = 2010;
constexpr int kToolPaste = 2011;
constexpr int kToolUndo = 2012;
constexpr int kToolRedo = 2013;
constexpr int kToolDelete = 2014;
constexpr int kToolProperties = 2015;
constexpr int kToolHelp = 2017;
constexpr int kToolConnect = 2089;
constexpr int kToolDisconnect = 2090;
constexpr int kToolRead = 2093;
constexpr int kToolWrite = 2094;

// Menu bar entries.
constexpr int kOpen = 2027;
constexpr int kSave = 2028;
constexpr int kSaveAs = 2029;
constexpr int kNew = 2030;
constexpr int kFirstNewMeasurand = 2031;  // 2030 + position of the measurand (1..10)
constexpr int kMaxMeasurands = 10;
constexpr int kStartLog = 2057;
constexpr int kStopLog = 2058;
constexpr int kConfigDisplay = 2062;
constexpr int kConfigTransmitter = 2063;
constexpr int kConfigAll = 2064;
constexpr int kConfigAuto = 2065;
constexpr int kExit = 2066;
constexpr int kConnect = 2067;
constexpr int kDisconnect = 2068;
constexpr int kReadAll = 2069;
constexpr int kWriteAll = 2070;
constexpr int kWriteChanges = 2071;
constexpr int kAbout = 2073;
constexpr int kHartAddress = 2074;
// Any HART device: the scan of the polling addresses and the universal view.
constexpr int kScanLoop = 2095;
constexpr int kHartDevice = 2096;
// The device against a data file.
constexpr int kCompare = 2097;
// A port typed in by path, at the end of the port list.
constexpr int kEnterPort = 2098;
// The manual (also F1).
constexpr int kManual = 2099;
// The service report of the device shown, and the readings kept of it.
constexpr int kServiceReport = 2100;
constexpr int kDeviceHistory = 2101;
// The scan of all 64 polling addresses (Scan loop stops at 15).
constexpr int kScanAll = 2102;
// One entry per language file, in name order.
constexpr int kFirstLanguage = 1204;
constexpr int kLastLanguage = 1213;
// One entry per serial port: 5000 + position in the port list.
constexpr int kFirstPort = 5000;
constexpr int kLastPort = 5999;
// The data files opened or saved last, newest first (File, "Recent files").
constexpr int kFirstRecentFile = 6100;
constexpr int kLastRecentFile = 6105;
// A data file named outside the menus (the command line, a drop on the
// window), opened as the next command.
constexpr int kOpenNamedFile = 6110;

// Pop-up entries.
constexpr int kPopupNew = 2075;
constexpr int kFirstPopupMeasurand = 2076;  // 2075 + position of the measurand
constexpr int kPopupWriteAll = 2086;
constexpr int kPopupWriteChanges = 2087;

// Keyboard shortcuts of the main window; they arrive as menu events.
constexpr int kKeyReturn = 17;
constexpr int kKeyEscape = 18;
constexpr int kKeyShowFieldEntry = 19;  // Ctrl+Q
constexpr int kKeyCtrlG = 20;
constexpr int kKeyCtrlK = 21;
constexpr int kKeyRaiseError = 22;        // Ctrl+Y
constexpr int kKeyNoDataSignal = 23;      // Ctrl+Shift+A
constexpr int kKeyDumpFocusedField = 24;  // Ctrl+Shift+P
constexpr int kKeyDumpFieldTable = 25;    // Ctrl+Shift+I
constexpr int kKeyCalibrationState = 26;  // Ctrl+Shift+C
constexpr int kKeyTab = 27;
constexpr int kKeyBacktab = 28;
constexpr int kKeyHelp = 29;  // F1

// "#MenuOpen", "#MenuNewSub1-2", "#PopMenuM1-1", ...; "" for an identifier
// without a symbolic name (ports, languages, shortcuts).
QString symbolOf(int id);
// The identifier of a symbolic name ("#" may be left out); -1 when unknown.
int idOfSymbol(QStringView symbol);

}  // namespace zh::menu
