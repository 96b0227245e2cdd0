#pragma once
// The HART interface session: opening the link to the modem, finding out
// which devices answer (transmitter, display module or both), sending every
// request with its tries, and closing the link. Progress and errors show in
// the progress window.

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "answer_cache.h"
#include "app/presence.h"
#include "device_identity.h"
#include "progress_steps.h"
#include "request_sender.h"

namespace zh {

struct Program;
class LinkLibrary;
class ConnectionProbe;

// What connectDevice looks for: our transmitter and display module (a device
// that is not ours is named and refused), or any HART device, whose identity
// is learnt without the detection of our parts (the universal view, the
// address scan).
enum class ConnectScope { Ours, Universal };

// What the connected device lacks when none of the parts `asked` answers
// ("The connected device has no display module!"), as the language file
// keys it.
const char* missingPartMessage(Presence asked);

class HartSession : public RequestSender {
  public:
    // Serves the window while an exchange waits for its answer (see
    // LinkLibrary::setWaitHook); user input too while the live display runs.
    HartSession(Program& program, LinkLibrary& link, ConnectionProbe& probe);
    ~HartSession();
    HartSession(const HartSession&) = delete;
    HartSession& operator=(const HartSession&) = delete;

    // Opens and checks the link on `port` ("" for the current port);
    // `override` replaces the response time-out given to the library
    // (-1: none). Returns 1 when connected (the progress window stays open
    // for the caller), else 0 with the link closed.
    //
    // The device's identity comes first. One whose manufacturer and device
    // type the profile lists as ours ([Serial_IO] OwnDevices) is looked
    // into as always; any other gets only the reads that find our parts
    // and counts as ours only when it answers them as ours does. A device
    // that is not ours is named in a message and the connection fails with
    // ForeignDevice 1 (with ConnectScope::Universal it succeeds, and no
    // part of ours is looked for).
    int connectDevice(const QString& port = QString(), int override = -1,
                      ConnectScope scope = ConnectScope::Ours);
    void disconnectDevice();

    // Sends `command` with `request` (see RequestSender). A refusal (an
    // error response code) is not asked again; busy is asked again after a
    // pause up to `tries`, a delayed response until it ends or 10 s passed.
    // While ForeignDevice is set, a device-specific command other than the
    // reads that look for our parts is not sent (kResultWithheld).
    int sendRequest(std::uint8_t command, const QByteArray& request, int expectedLength,
                    QByteArray* response, int tries) override;

    ProgressSteps& progress() { return progress_; }

    // The modem went away while connected (unplugged; the far end of a
    // pseudo-terminal closed): the port is closed, the connection state is
    // 0, and every request fails with kResultDisconnected, unsent, until
    // the next connectDevice.
    bool modemLost() const { return modemLost_; }

    // The identity the device gave when connecting (valid after a
    // successful connectDevice).
    const DeviceIdentity& identity() const { return identity_; }
    // Answers this connection already holds (see AnswerCache); a sequence
    // switches serving them on while it runs.
    AnswerCache& answers() { return answers_; }

    // Connection state.
    int LinkOpen = 0;
    int ForeignDevice = 0;  // 1: the connected device is not one of ours
    int DisplayPresent = 0;
    int TransmitterPresent = 0;
    std::uint8_t ResCode1 = 0;  // response code of the last response
    std::uint8_t ResCode2 = 0;  // field device status of the last response
    std::uint8_t resCode1() const override { return ResCode1; }
    std::uint8_t resCode2() const override { return ResCode2; }
    RequestFate requestFate() const override { return fate_; }
    void forgetRequestFate() override { fate_ = RequestFate::NotSent; }

    // The field device status bits of every answer since the connection
    // was made or forgetDeviceStatus() was called: a bit the device set
    // once (malfunction, cold start) counts even when the last answer
    // lacks it.
    std::uint8_t deviceStatus() const { return deviceStatus_; }
    void forgetDeviceStatus() { deviceStatus_ = 0; }

  private:
    enum class TryOutcome { Done, Again, Busy, Delayed, Refused };
    TryOutcome judge(int result, std::uint8_t command, int expected, int received) const;
    bool pause(const QString& text, int ms);
    bool answerKept(std::uint8_t command, const QByteArray& request, int expected,
                    QByteArray* response);
    int refuse(std::uint8_t command);
    int modemGone();
    bool withheld(std::uint8_t command, const QByteArray& request) const;
    bool identityListedAsOurs();
    void lookForPartsAnew();
    void nameForeignDevice();

    enum class PartAnswer { Present, Absent, Failed, Cancelled };
    PartAnswer probePart(std::uint8_t command, const QByteArray& request, int expectedLength,
                         QByteArray* answer);
    bool detectDisplay();
    bool detectTransmitter();
    int fail(bool portOpened);

    // connectDevice walks its steps in order; each says how it goes on.
    enum class StepEnd { Next, Connected, Failed };
    struct ConnectCall {
        QString port;
        int override;
        ConnectScope scope;
    };
    struct ConnectStep;
    QString serialText(const char* text) const;
    StepEnd beginConnect(const ConnectCall& call);
    StepEnd configureInterface(const ConnectCall& call);
    StepEnd probeInterface(const ConnectCall& call);
    StepEnd openPort(const ConnectCall& call);
    StepEnd connectPort(const ConnectCall& call);
    StepEnd learnIdentity(const ConnectCall& call);
    StepEnd detectParts(const ConnectCall& call);
    StepEnd concludeParts(const ConnectCall& call);

    Program& p_;
    LinkLibrary& link_;
    ConnectionProbe& probe_;
    ProgressSteps progress_;
    DeviceIdentity identity_;
    // The device whose parts the open link found, and the profile's
    // Transmitter/Display choice it looked with.
    DeviceIdentity detected_;
    QString detectedChoice_;
    AnswerCache answers_;
    bool modemLost_ = false;
    RequestFate fate_ = RequestFate::NotSent;
    std::uint8_t deviceStatus_ = 0;
};

}  // namespace zh
