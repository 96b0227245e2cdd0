#pragma once
// One-shot commands the user starts, and the display module's actions.
//
// runCommand runs a single command routine inside the progress window:
// it connects first when its mode asks for it, names the step, runs the
// routine, checks the response code and reports the outcome. The display
// module's actions travel with command 192 (an action code); commands 200
// and 201 make the transmitter generate or restore its EEPROM copy.
//
// Steps of runCommand (CommandStep):
//   Start      connect first; on success keep window and link open
//   Single     connect first; on success confirm, close, disconnect
//   Stop       no connect;    on success confirm, close, disconnect
//   NoConfirm  no connect;    on success close, disconnect (no confirmation)
//   Quiet      no connect;    on success nothing more; on failure return 0
//                             silently, window and link left as they are
//   Continue   no connect;    on success nothing more
// Every step but Quiet shows a failure in the progress window, closes it
// and disconnects. "Disconnect" closes the link only when it was not open
// when the last Start or Single command began, so a command run inside an
// open session never ends that session. A range or loop-current command
// answered with a warning code was carried out: it succeeds, and the
// confirmation names the warning.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

#include "request_sender.h"

namespace zh {

enum class CommandStep { Single, Start, Continue, Stop, NoConfirm, Quiet };
// "", "start", "continue", "stop", "noconfirm", "none": the words Debug.log
// shows.
QString toLogWord(CommandStep step);

struct Program;
class HartSession;
class LinkLibrary;
class DisplayBlocks;
class RawValues;

// Which routine a command is, for its step description.
enum class CommandId {
    None,  // no routine: runCommand only finishes (confirm, close, disconnect)
    Com0,
    Com1,
    Com35,
    Com36,
    Com37,
    Com40,
    Com45,
    Com46,
    Com142,
    Com192,
    Com200,
    Com201,
    ReadBlock0,
    ReadBlock1,
    WriteBlock1,
    ReadBlock12,
    ReadBlock12Logged,
    ReadBlock60,
    ReadBlock89,
    Other,
};

struct CommandRoutine {
    CommandId id = CommandId::None;
    std::function<int(int tries)> run;
    // Why a result of kResultValueRefused sent nothing (shown with the failure).
    std::function<QString()> refusal;
};

// Action codes of command 192 the program itself relies on.
namespace action {
constexpr int kReinitFromTransmitter = 13;
constexpr int kClearLowTrailing = 3;
constexpr int kClearHighTrailing = 4;
constexpr int kCopyToEeprom = 5;
constexpr int kFactorySetting = 6;
constexpr int kRestoreFactorySetting = 7;
constexpr int kReinitLimitSwitch1 = 20;
constexpr int kReinitLimitSwitch2 = 21;
constexpr int kReadVersion = 22;
constexpr int kTeach4mA = 0;
constexpr int kTeach20mA = 1;
constexpr int kTeachLowerRange = 2;
// The display needs a moment after the EEPROM copy, and the limit switches
// a little longer after their re-initialisation is announced (ms).
constexpr int kAfterCopyMs = 250;
constexpr int kBeforeReinitMs = 2000;
}  // namespace action

class DisplayActions {
  public:
    // `sender` carries the requests of commands 192, 200 and 201 (the
    // session itself, or a stand-in in tests); `link` serves the raw probe.
    DisplayActions(Program& program, HartSession& session, RequestSender& sender,
                   DisplayBlocks& blocks, RawValues& values, LinkLibrary& link);

    // Runs `routine` as described above. `stepText`, when not empty,
    // replaces the step description ({Action} is filled with the current
    // action text). Tries -1 means 3. `override` goes to connectDevice when
    // this call connects (the teach actions pass 6000). Returns 1 on
    // success, 0 on failure.
    int runCommand(const CommandRoutine& routine, CommandStep step,
                   const QString& stepText = QString(), int tries = -1, int override = -1);
    // Sends display action `code` as a single command.
    int runDisplayAction(int code, int tries = -1);

    // The command routines of this file: each returns the SendRequest
    // result, kResultNotSent with NoWrite ON, or kResultUnusableAnswer when the answer carries a
    // response code.
    int Com192(int tries);  // sends Aktion
    int Com200(int tries);  // generate the transmitter's EEPROM copy
    int Com201(int tries);  // restore it
    CommandRoutine com192();
    CommandRoutine com200();
    CommandRoutine com201();
    // The block routines under their command identities (block 1 read and
    // write, 0, 12, 12 logged, 60, 89; other blocks count as Other).
    CommandRoutine readBlock(int number);
    CommandRoutine readBlock12Logged();
    CommandRoutine writeBlock(int number);

    // The step description runCommand shows for `routine`.
    QString stepDescription(CommandId id, int override);
    // The untranslated text of action `code`; "(code)" for an unknown one.
    static QString actionText(int code);
    // Action `code` leaves another configuration in the module's blocks (a
    // teach, a rotation, the erase, EEPROM loaded into RAM).
    static bool changesConfiguration(int code);

    // A code picked from the command lists (CmbSelCmd, CmbSelCmdAdm), with
    // the list's text for `selected`: asks for confirmation and runs it for
    // the configuration in use (6 and 7 also on the transmitter, 14 and 114
    // set fs_CalibDone in block 1, 99 the raw probe, every other code as a
    // display action). Returns 1 when it succeeded, 0 when it failed or was
    // cancelled.
    int sendListCommand(int code, const QString& selected);

    // Stores (action 6, command 200) or restores (action 7, command 201)
    // the factory setting of the parts the configuration in use names:
    // "display", "transmitter", or both (the display's first, with the
    // window kept open for the transmitter's). A restore reads the device
    // again afterwards, whatever part of it went through. 1 on success.
    int factorySetting(int code);

    // A display teach action (0 4 mA, 1 20 mA, 2 lower range) as a single
    // command, with the longer answer time the module needs for it.
    int teach(int code);

    // Up to three direct library requests with command 81, no data; stops
    // at the first answer. Returns 0, kResultNotSent with NoWrite ON, or the
    // last failure (shown in the progress window).
    int rawProbe();

    // After display blocks were written: copies them to the display's EEPROM
    // (action 5) and re-initialises the limit switches whose block was
    // written (actions 20 and 21). A failure is shown ("Function failed!")
    // and returned as 0, so the caller does not count the blocks as stored;
    // 1 when everything succeeded. The actions carried out are added to
    // `done` when given (Aktion is the one that failed).
    int storeWrittenBlocks(bool block10Written, bool block11Written, QList<int>* done = nullptr);

    // Reads the device again after a restore (code 7); set by the owner of
    // the read sequence. Not set: nothing is read.
    std::function<int()> readDevice;

    // The warnings the device gave with commands it carried out since the
    // last "start" or "" command began ("Set lower lange: new lower range
    // value pushed the upper range value (14)"); the confirmation shows them.
    const QStringList& warnings() const { return warnings_; }

    std::uint8_t Aktion = 0;                       // the action code command 192 sends
    std::uint8_t reply() const { return reply_; }  // answer byte 0 of the last command 192
    const QByteArray& probeResponse() const { return probeResponse_; }

  private:
    int runAction(int code, CommandStep step, int tries = -1, int override = -1);
    int sendWrite(std::uint8_t command, const QByteArray& request, int expectedLength,
                  QByteArray* response, int tries);
    void disconnect();
    QString tr(const QString& text);
    QString currentActionText();

    Program& p_;
    HartSession& session_;
    RequestSender& sender_;
    DisplayBlocks& blocks_;
    RawValues& values_;
    LinkLibrary& link_;
    bool connectedBefore_ = true;  // the link was open when the last "start"/"" command began
    std::uint8_t reply_ = 0;
    QByteArray probeResponse_;
    QStringList warnings_;
};

}  // namespace zh
