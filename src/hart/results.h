#pragma once
// Every result a HART operation of this program returns, named once: the
// link library's results, the session's own, and those of the read and
// write sequences. 0 is success everywhere. Any layer from the session up
// includes this header; resultText() gives the one text per code that logs
// and messages use where no more particular reason is known.

#include <QString>

namespace zh {

// The link library's results (it returns 0..10; those it names).
constexpr int kResultOk = 0;
constexpr int kResultInvalidHandle = 1;    // port not open or device not connected
constexpr int kResultResource = 2;         // the interface is in use
constexpr int kResultCommunication = 3;    // a frame was garbled or cut short
constexpr int kResultNoResponse = 4;       // the device did not answer
constexpr int kResultInvalidArgument = 5;  // a value the library does not take
constexpr int kResultNotSupported = 6;     // the port cannot do what was asked
constexpr int kResultDisconnected = 7;     // the port went away while open: modem unplugged

// An answer the command cannot use: data of the wrong length, another
// block than asked for, or a response code where the command needs none.
// Reported as the library reports a garbled frame.
constexpr int kResultUnusableAnswer = kResultCommunication;

// The session's own results.
constexpr int kResultCancelled = 80;     // the user pressed Cancel
constexpr int kResultValueRefused = 81;  // a value was refused for the wire, nothing sent
// The device answered with a response code that means "not done" (an error,
// or busy or a delayed response still running after the session's
// patience); the session's resCode1() and resCode2() tell which.
constexpr int kResultRefused = 84;
// A device-specific command not sent because the device is not one of ours.
constexpr int kResultWithheld = 85;
// A write routine's result when writing is switched off (nothing sent).
constexpr int kResultNotSent = 86;

// The read and write sequences' results.
constexpr int kResultWrongInterfaceVersion = 90;  // the display module speaks another version
constexpr int kResultInvalidConfiguration = 91;   // the configuration key has no catalogue entry
constexpr int kResultStoreFailed = 92;   // the blocks were written but not stored (EEPROM copy)
constexpr int kResultNotConnected = 93;  // the link could not be opened
constexpr int kResultPartMissing = 94;   // the device lacks the transmitter or display asked for
constexpr int kResultOtherDevice = 95;   // the data are for another measurand or sensor
constexpr int kResultDryRun = 96;        // NoWrite is ON: every request built and logged, none sent
constexpr int kResultNoProfileUnits = 97;  // the profile gives no units for a measurand

// "no answer from the device", "cancelled", ...; a code without a name
// reads "HART interface error <code>".
QString resultText(int result);
// True when `result` has words of its own.
bool hasResultText(int result);
// The code with its words, for summaries and logs: "result 4: no answer
// from the device".
QString resultWithText(int result);

}  // namespace zh
