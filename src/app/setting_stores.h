#pragma once
// The small settings the program's own dialogs change, each stored at once
// in the profile: language, HART polling address, serial port and which
// devices are expected (transmitter, display or both).

#include <QString>
#include <QStringList>

namespace zh {

struct AppState;
struct Program;

// Language names offered: the "*.ini" files in the program's Language
// folder, without ".ini", sorted, at most ten (one menu entry each).
QStringList availableLanguages(const QString& programDir);
constexpr int kMaxLanguages = 10;

// A language name is a plain file name; anything that could reach outside
// the Language folder is refused.
bool isValidLanguageName(const QString& name);

// The language stored in the profile of the program directory.
QString queryLanguage(Program& p, const QString& def);
// The language file of the current language (AppState::ActualLanguage).
QString languageFilePath(const AppState& s);
// Stores `language` and makes it the current one: its file is used from now
// on and the program's fixed texts are translated anew; the next build of
// the window shows it. False when the name is not valid or the profile
// could not be written.
bool selectLanguage(Program& p, const QString& language);

// Takes the text of the HART address requester. Only 0..15 written as
// digits is accepted; a new address is stored and written. Returns true when
// the address changed.
bool applyHartAddressInput(Program& p, const QString& input);
// Stores a polling address 0..63 (HART 6/7 devices use 16..63 as well, so
// an address chosen from the scan of the loop may be one of them). Returns
// true when the address changed.
bool storeHartAddress(Program& p, int address);
// The requester itself ("Hart Parameters").
void HartAddressDialog(Program& p);

// Stores the serial port ("Com5", a device path, "Sim" or "Auto"). "Auto"
// also resets the connection state.
bool selectComPort(Program& p, const QString& port);

// Stores "auto", "transmitter", "display" or "all".
bool selectTransmitterDisplay(Program& p, const QString& mode);

}  // namespace zh
