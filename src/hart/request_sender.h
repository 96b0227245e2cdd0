#pragma once
// The one operation the command routines need from the HART session:
// sending a request with its tries and reading the two status bytes of the
// answer. The routines talk only to this interface, so their request and
// response bytes can be checked against a stand-in without a modem.

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "results.h"

namespace zh {

// What became of the last request, for a caller that must say whether it
// may have changed the device.
enum class RequestFate {
    NotSent,     // nothing went out (refused before sending, withheld, no link)
    NotDone,     // the device answered that it did not carry it out (an error, busy)
    Done,        // the device answered that it carried it out (0 or a warning)
    Unanswered,  // it went out and no usable answer came back (lost, garbled, cut
                 // short, the wrong length, a delayed response still running): the
                 // device may have carried it out
};

class RequestSender {
  public:
    virtual ~RequestSender() = default;

    // Sends `command` with `request`; `expectedLength` response data bytes
    // (0: any length). Returns 0, a library result 1..10, kResultUnusableAnswer,
    // kResultRefused, kResultWithheld, or kResultCancelled (see results.h). On 0 `response` holds
    // the data (the expected number of bytes, all of them when 0 was expected; a universal command
    // may answer with more, the first are used), and resCode1() is 0 or a warning (the command was
    // done).
    virtual int sendRequest(std::uint8_t command, const QByteArray& request, int expectedLength,
                            QByteArray* response, int tries) = 0;

    // The status bytes of the last response: response code (0 = success;
    // 64 = command not implemented) and field device status.
    virtual std::uint8_t resCode1() const = 0;
    virtual std::uint8_t resCode2() const = 0;

    // What became of the last request sent (NotSent before the first, and
    // after forgetRequestFate()).
    virtual RequestFate requestFate() const { return RequestFate::NotSent; }
    virtual void forgetRequestFate() {}
};

// True when a step whose request ended with `result` may have changed the
// device although it failed: its request went out and came back without a
// usable answer, or the device said it was done but the answer could not be
// used (another block, a warning where none may be).
inline bool mayHaveReachedDevice(int result, RequestFate fate) {
    return result != 0 && (fate == RequestFate::Unanswered || fate == RequestFate::Done);
}

// Commands that change the device are built and logged but not sent while
// the profile's [Common] NoWrite is "ON" (a dry run on a live loop). Any
// letter case counts: a mistyped "On" must not let writes through.
inline bool writesSwitchedOff(const QString& noWrite) {
    return noWrite.trimmed().compare(QLatin1String("ON"), Qt::CaseInsensitive) == 0;
}

// Commands from here on are each maker's own (device-specific); those below
// are the universal and common-practice commands every device shares.
constexpr std::uint8_t kFirstDeviceSpecificCommand = 128;

}  // namespace zh
