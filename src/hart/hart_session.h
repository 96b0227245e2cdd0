#pragma once
// The HART interface session: opening the link to the modem, finding out
// which devices answer (transmitter, display module or both), sending every
// request with its tries, and closing the link. Progress and errors show in
// the progress window.

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "device_identity.h"
#include "progress_steps.h"
#include "request_sender.h"

namespace zh {

struct Program;
class LinkLibrary;
class ConnectionProbe;

// What HartConnect looks for: our transmitter and display module (a device
// that is not ours is named and refused), or any HART device, whose identity
// is learnt without the detection of our parts (the universal view, the
// address scan).
enum class ConnectScope { Ours, Universal };

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
    int HartConnect(const QString& port = QString(), int override = -1, ConnectScope scope = ConnectScope::Ours);
    void HartDisConnect();

    // Sends `command` with `request`; `expectedLength` response data bytes
    // (0: any length). Returns 0, a library result 1..10, 3 for a response of
    // the wrong length, or 80 when Cancel was pressed. On 0 `response` holds
    // the data (the expected number of bytes).
    int SendRequest(std::uint8_t command, const QByteArray& request, int expectedLength, QByteArray* response,
                    int tries) override;

    ProgressSteps& progress() { return progress_; }

    // The identity the device gave when connecting (valid after a
    // successful HartConnect).
    const DeviceIdentity& identity() const { return identity_; }

    // Connection state.
    int LinkOpen = 0;
    int ForeignDevice = 0;  // 1: the connected device is not one of ours
    int DisplayPresent = 0;
    int TransmitterPresent = 0;
    std::uint8_t ResCode1 = 0;  // response code of the last response
    std::uint8_t ResCode2 = 0;  // field device status of the last response
    std::uint8_t resCode1() const override { return ResCode1; }
    std::uint8_t resCode2() const override { return ResCode2; }

private:
    enum class PartAnswer { Present, Absent, Failed, Cancelled };
    PartAnswer probePart(std::uint8_t command, const QByteArray& request, int expectedLength, QByteArray* answer);
    bool detectDisplay();
    bool detectTransmitter();
    int fail(bool portOpened);

    Program& p_;
    LinkLibrary& link_;
    ConnectionProbe& probe_;
    ProgressSteps progress_;
    DeviceIdentity identity_;
};

}  // namespace zh
