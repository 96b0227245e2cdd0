#include "text_tables.h"

#include <iterator>

namespace zh::texts {
namespace {

// True when every entry of the table is set; an initializer list that is too
// short would leave null pointers at the end of the table.
template <std::size_t N>
constexpr bool allSet(const char* const (&table)[N]) {
    for (const char* text : table) {
        if (text == nullptr) return false;
    }
    return true;
}

}  // namespace

// Caption table of the main window, by gadget index. The English text is the
// language-file key, so the texts must not be reworded without updating the
// language files.
constexpr const char* kCaptions[kCaptionCount] = {
    // 0..11: Window title, status line and the transmitter's trailing pointers
    "ZEL Hart", "?", "", "Status file", "Status module", "Online", "Switch 1", "Switch 2", " ",
    "Base", "Unit", "High trailing pointer",
    // 12..21: Transmitter panel: measuring range, damping, HART address
    "Clear", "Low trailing pointer", "Upper measuring range", "Lower measuring range",
    "Teach lower range", "Set", "Set upper range", "Set lower range", "Damping", "HART address",
    // 22..46: Display panel: display settings and the two switch outputs
    "Display", "Add unit", "Time unit", "Time display", "Rotate", "Decimal point", "Switch point 1",
    "Output 1 function", "Set point 1", "Reset point 1", "Frame high 1", "Frame low 1",
    "Delay set 1", "Delay reset 1", "Test Switch 1", "On", "Switch point 2", "Output 2 function",
    "Set point 2", "Reset point 2", "Frame high 2", "Frame low 2", "Delay set 2", "Delay reset 2",
    "Test Switch 2",
    // 47..59: System panel: versions, factory setting, loop test, current adjustment
    "System", "Hardware version", "Software version", "Serial no", "TAG", "Factory setting",
    "Restore", "Loop test", "Adjustment", "Teach upper range", "4 mA", "Trim", "20 mA",
    // 60..84: Admin panel: nominal range, configuration, device identity, switch behaviour
    "Admin", "Upper nominal range", "Set Upper range", "Set Lower range", "Unit of URV / LRV",
    "Serial no ZEL", "Configuration", "Miscellaneous", "ADC Opmode", "Tara pulse length", "Device",
    "Manufacturer", "Device type", "Switch", "Switch with hall", "HART on at 20mA", "Hysteresis",
    "Switch delay", "Switch point", "Flash when error", "Flash when teaching",
    "Current for status on", "Current for status off", "[mA]", "Store",
    // 85..91: TMU panel: calculation method and polynomial coefficients
    "TMU", "Calculation method", "Polynom", "Coefficient A0", "Coefficient A1", "Coefficient A2",
    "Coefficient A3",
    // 92..110: Adjustment table with the calibrator controls
    "Adjustment table", "0 %", "10 %", "20 %", "30 %", "40 %", "50 %", "60 %", "70 %", "80 %",
    "90 %", "100 %", "Fill", "Lower nominal range", "Select equipment", "Control", "Send Command",
    "Teach 4 mA", "Teach 20 mA",
    // 111..155: ADC panel: configuration bytes, measuring and nominal range, ADC table
    "ADC Configuration", "Byte 0", "Byte 1", "Byte 2", "Byte 3", "Byte 4", "Byte 5", "Byte 6",
    "Byte 7", "Byte 8", "Byte 9", "Byte 10", "Byte 11", "Byte 12", "Byte 13", "Byte 14", "Byte 15",
    "Byte 16", "Byte 17", "Byte 18", "Byte 19", "Byte 20", "Byte 21", "MR high", "MR low",
    "Adjustment Table", "Value 0", "Value 1", "Value 2", "Value 3", "Value 4", "Value 5", "Value 6",
    "Value 7", "Value 8", "Value 9", "Value10", "Read Config", "Write Config", "Store Config",
    "Description", "NR high", "NR low", "Transmitter only", "Transmitter",
    // 156..162: Diagnostics panel
    "Diagnostics", "Read", "Save", "Current Value", "Test input", "Info", "Cancel",
    // 163..366: no caption (gadgets without text, reserve)
    "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
    "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
    "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
    "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
    "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
    "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
    "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
    "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
    "", "", "", "", "", "", "", "", "", "", "", "",
};
static_assert(allSet(kCaptions), "caption table must have exactly kCaptionCount entries");

namespace {

// Texts of the generic dialogs (file, search, login, edit and menu words), in
// the order the dialogs take them over: 83 texts, each one distinct.
constexpr const char* kCommon[] = {
    "Invalid working directory: ",
    "Save data",
    "No file available",
    "Data have been changed! Save?",
    "Data have been changed! Exit program without saving?",
    "Open file",
    "File not available! Create file?",
    "File<br><filename> <br>already exists! Overwrite?",
    "Overwrite existing file?",
    "Open file for write",
    "Save file",
    "No write-access to file!",
    "No write-access to file. Continue without saving?",
    "Delete data",
    "Really delete data?",
    "Data input",
    "Cannot open file!",
    "Record: ",
    "File: updated",
    "File: not updated",
    "Invalid input: ",
    "Value exceeds limit: ",
    "Value less than minimum: ",
    "Number of digits exceeds limit: ",
    "Search",
    "Search key",
    "Please enter search key",
    "Search next",
    "No such search key!",
    "Apply",
    "Quit",
    "Field must be filled: ",
    "0.0 not valid for: ",
    "0 not valid for : ",
    "Exit program",
    "Create",
    "Print",
    "Replace",
    "Cut",
    "Copy",
    "Insert",
    "Undo",
    "Redo",
    "Delete",
    "Properties",
    "Help",
    "Please restart application!",
    "Password",
    "User name",
    "Login",
    "neues Password",
    "Confirm",
    "Change password",
    "Invalid password",
    "Function not available!",
    "Current function",
    "Cancel",
    "Input/Output",
    "Select language",
    "Language",
    "Select",
    "Run program",
    "Program can't be executed: ",
    "Calculation error: ",
    "Calculation error: Division by zero",
    "File",
    "Open",
    "Save",
    "Save as",
    "Logging",
    "On",
    "Off",
    "Dynamic display",
    "Exit",
    "Process",
    "Add record",
    "Insert record",
    "Delete record",
    "Setup",
    "Information",
    "?",
    "Program version",
    "Range: ",
};

// --- First batch: translated before the HART link library is bound ---

// Status, error and confirmation messages of the main window.
constexpr const char* kApplication[] = {
    "Data have been changed!",
    " - File not updated!",
    " - Module not updated",
    "Continue without update?",
    "New",
    "Pressure",
    "Temperature",
    "?",
    "Set 4 mA;Set 20mA;Teach lower range;Clear low trailing pointer;Clear high trailing pointer;Copy to device;Current data as factory setting;Restore factory setting",
    "Restore factory setting",
    "Calibration parameters",
    "Failure",
    "Please confirm function! ",
    "Teach upper Range",
    "Store factory setting",
    "Teach lower Range",
    "Measuring range has been changed, function invalid!<br>Please update or re-read module!",
    "Program has been renamed!",
    "Function 'New' for temperature not available",
    "Key",
    "can't open file ",
    "No second interpolation point!",
    "Save data",
    "File open",
    "Resources needed",
    " created!",
    "can't read file ",
    "Invalid file extension: .",
    "Configuration update successful!",
    "Fill",
    "No initial value!",
    "Info",
    "Error",
    "Invalid data!",
    "On",
    "Off",
    "Invalid unit in configuration data: {ConfigData}",
    "Invalid device connected ({device})!",
    "Invalid Unit IDs: Device={device} Unit ID(s)={units}",
    "Value of {GadName}={ActVal} higher than limit={Limit}",
    "Value of {GadName}={ActVal} lower than limit={Limit}",
    "Value of {GadName}={ActVal} not in range {lowerLimit} ... {upperLimit}",
    "No such gadget: ",
    "Maximum number of comports (16) reached",
    "Warning",
    "Logofile should be specified in languagefile!",
    "Invalid Logofile specified!",
    "Serial IO",
    "Data input",
    "Value {GadContent} Not in valid range {NominalRangeLow}...{UpperRangeVal}",
    "Internal error",
    "Different versions: Module={Modvers}, Data={Datavers}. Continue?",
    "Received: Adr.=",
    "Value=",
    "Send: Adr.=",
    "Module: updated",
    "Module: not updated",
    "Module contains no data!",
    "Click OK to continue dynamic display!",
    "Data have been changed: Update module?<br>Yes: Transfer data to module<br>No: Read data from module",
    "Invalid result!",
    "Invalid data structure of selected file!",
    "Dynamic display",
    "Dynamic display stopped due to errors!",
    "Change of nominal Range requires update of module and new adjustment!\nUpdate now?",
    "Set calibrator to {RangeVal} and confirm action!",
    "ADC table needs to be adapted too!",
    "Attention: <br>Changes are not considered in Admin panel!",
    "Incompatible configurations Transmitter/Display: {td1} & {td2}!",
    "Calibration has been changed! Re-read module!",
    "Teach 4 mA",
    "Teach 20 mA",
};

constexpr const char* kCommonDevice[] = {
    "Device",
};

// Connection, transfer and device-action messages of the HART session.
constexpr const char* kSerialIO[] = {
    "Hart I/O",
    "Data transfer",
    "Connect module",
    "Disconnect module",
    "Read module",
    "Write module",
    "Write module changes only",
    "Reset module to default",
    "Please confirm reset with 'yes'",
    "Change serial com port",
    "No connection!",
    "Com1",
    "Com2",
    "Com3",
    "Com4",
    "Com5",
    "Com6",
    "Com7",
    "Com8",
    "Com9",
    "Com10",
    "Com11",
    "Com12",
    "Com13",
    "Com14",
    "Com15",
    "Com16",
    "Hart address",
    "Pausing ...",
    "No transmitter changes!",
    "No display changes!",
    "Invalid transmitter configuration!",
    "Invalid nominal range ({NomLow} - {NomHigh})",
    "No measurand data found for DeviceID={DevIndx}!",
    "Writing transmitter ...",
    "Writing display ...",
    "Testing transmitter ...",
    "Reading transmitter ...",
    "Testing display ...",
    "Reading display ...",
    "Reset display ...",
    "Data transfer ...",
    "Retrying ...",
    "Function failed!",
    "Opening serial port ...",
    "Connecting serial port ...",
    "Connected!!! Manufacturer ID:",
    "Set as factory setting?",
    "Data transmitted",
    "Data transfer interrupted",
    "Transfer of command '{command}' failed!",
    "Transfer of command '{command}' interrupted!",
    // Spelled like this in the language files, where the text is the key.
    "Transfer of command '{command}' successfull!",
    "HART",
    "Invalid Firmwareversion!",
    "Read Display configuration",
    "Read Unique Identifier",
    "Trim DAC gain",
    "Trim DAC zero",
    "Enter/Exit fixed current mode",
    "Write range values",
    "Set upper range",
    "Set lower lange",  // key spelling as well
    "Transfer production specific data",
    "Read display admin data",
    "Write display admin data",
    "Transfer ADC calibration & display scaling",
    "Read trailing pointer",
    "Read display data",
    "Function: {Action}",
    "Generate copy of EEPROM",
    "Restore copy of EEPROM",
    "Invalid Src/Dest: {src}/{dest}",
    "SyncGadgets",
    "Error",
    "Cannot Convert value for '{GadName}'={GadVal} from '{SrcUnit}' to '{DestUnit}'!",
    "Invalid Handle, Not Connected!!",
    "Resource Error, not Connected!!",
    "Communication Error, not Connected!!",
    "No Device Response, not Connected!!",
    "Unexpected Error, not Connected!!",
    "Invalid ComPort ",
    ": Unexpected Error # ",
    "User Interrupt!",
};

// --- Second batch: translated once the HART link library is bound ---

// Log window, replay window and their requesters.
constexpr const char* kLogAndReplay[] = {
    "Logging IO",
    "Hide",
    "Clear",
    "Save",
    "Replay",
    "Comment",
    "Ein-Ausgabe",
    "Step",
    "Continue",
    "Exit",
    "Stop",
    "Replay commands",
    "Logfile saved!",
    "Logging",
    "Kommentar:",
    "Schritt",
    "Delay[msec]:",
    "Failure",
    "Open Window failed",
};

}  // namespace

const TextList kCommonTexts = {"Common", kCommon, std::size(kCommon)};

const TextList kFirstBatch[] = {
    {"Application", kApplication, std::size(kApplication)},
    {"Common", kCommonDevice, std::size(kCommonDevice)},
    {"SerialIO", kSerialIO, std::size(kSerialIO)},
};
const std::size_t kFirstBatchCount = std::size(kFirstBatch);

const TextList kSecondBatch[] = {
    {"Application", kLogAndReplay, std::size(kLogAndReplay)},
};
const std::size_t kSecondBatchCount = std::size(kSecondBatch);

}  // namespace zh::texts
