#pragma once
// What every HART device answers, whoever made it: the universal and
// common-practice commands read into one plain record, and one write
// routine per item a technician may change. Nothing here is specific to our
// transmitter or display module, so it serves any device on the loop.
//
// Reads and writes go through RequestSender. The device's identity is not
// read again: the connection already asked command 0 and the caller hands
// its DeviceIdentity in.

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QSet>
#include <QString>
#include <cstdint>
#include <utility>
#include <vector>

#include "device_identity.h"
#include "request_sender.h"
#include "unit_codes.h"
#include "universal_codes.h"

namespace zh {

struct Program;

struct UniversalData {
    DeviceIdentity identity;  // from the connection's command 0

    // Command 1: primary variable.  Command 2: loop current and percent.
    int pvUnit = 0;
    float pv = 0.0f;
    float loopCurrent = 0.0f;     // mA
    float percentOfRange = 0.0f;  // %
    // Command 3: the dynamic variables that came (the PV again, SV, TV, QV).
    int dynamicCount = 0;  // 1 ... 4
    int svUnit = 0, tvUnit = 0, qvUnit = 0;
    float sv = 0.0f, tv = 0.0f, qv = 0.0f;

    // Command 12: message (32 characters).  Command 13: tag (8),
    // descriptor (16), date.  Command 20 (HART 6+): long tag (32, Latin-1).
    QString message;
    QString tag;
    QString descriptor;
    QDate date;
    QString longTag;

    // Command 14: sensor.
    quint32 sensorSerial = 0;
    int sensorUnit = 0;
    float sensorUpperLimit = 0.0f, sensorLowerLimit = 0.0f, minimumSpan = 0.0f;

    // Command 15: output settings.
    int alarmSelection = 0;
    int transferFunction = 0;
    int rangeUnit = 0;
    float upperRange = 0.0f, lowerRange = 0.0f;
    float damping = 0.0f;  // s
    int writeProtect = 0;  // 0 no, 1 yes, 250 not used, 251 none
    int privateLabel = 0;

    // Command 16: final assembly number.
    quint32 finalAssemblyNumber = 0;

    // Command 48: the additional status bytes as they came.
    QByteArray additionalStatus;
    // The field device status bits of every answer of the read (-1 before).
    int deviceStatus = -1;

    // The commands the device answered with data, and those it refused
    // (command -> response code; 64 "command not implemented" mostly).
    QSet<int> answered;
    QHash<int, int> refused;
    bool has(int command) const { return answered.contains(command); }
};

class UniversalDevice {
  public:
    UniversalDevice(Program& program, RequestSender& sender);

    // Reads commands 1, 2, 3, 12, 13, 14, 15, 16, 20 (HART 6 and later) and
    // 48 into `data` (its identity comes from the caller). A command the
    // device refuses is left out (refused), not an error. Returns 0, or the
    // first failure (a SendRequest result, kResultUnusableAnswer, or
    // kResultCancelled) with lastFailure() naming it; what was read before
    // it stays in `data`.
    int readAll(UniversalData* data);
    // Reads only `commands` of those, into what `data` already holds: the
    // read-back after a write asks for what the write may have changed.
    int readCommands(const std::vector<std::uint8_t>& commands, UniversalData* data);

    // Writes. Each returns 0 when the device took it (response code 0 or a
    // warning that says it was done), kResultNotSent when NoWrite is on,
    // kResultValueRefused for a value that does not fit (nothing sent),
    // kResultRefused when the device answered with an error code,
    // else the SendRequest result; lastFailure() says why in words.
    int writeMessage(const QString& message);  // 17
    int writeTagDescriptorDate(const QString& tag, const QString& descriptor,
                               const QDate& date);           // 18
    int writeLongTag(const QString& longTag);                // 22
    int writeDamping(float seconds);                         // 34
    int writeRange(int unitCode, float upper, float lower);  // 35
    int writePvUnit(int unitCode);                           // 44
    // 40: the loop current fixed at `milliamps`; 0 leaves fixed-current mode.
    int setLoopCurrent(float milliamps);
    // 45 / 46: trims the current output's zero / gain with the current
    // measured at the loop.
    int trimCurrentZero(float measuredMilliamps);
    int trimCurrentGain(float measuredMilliamps);

    // Why the last routine did not return 0 ("write protected (7)", "no
    // answer ...").  Empty after a success.
    const QString& lastFailure() const { return failure_; }
    // The warning a write was done with ("update failure (8)": the device
    // took the nearest value it can hold); empty for none.
    const QString& lastWarning() const { return warning_; }
    // The response code and device status byte of the last answer.
    int lastResponseCode() const { return responseCode_; }
    int lastDeviceStatus() const { return deviceStatus_; }
    // The last write failed, but its request went out and no usable answer
    // came back: the device may have carried it out.
    bool mayHaveReached() const { return reached_; }

    // The read commands that show what write command `command` changes
    // (command 13 after 18, 15 after 34; the PV unit changes the values,
    // the range and the sensor limits with it).
    static std::vector<std::uint8_t> readBackAfter(std::uint8_t command);
    // The read commands that show what the writes sent since the last call
    // changed, refused ones included (the device may have taken part of
    // them); readCommands with them reads the device back.
    std::vector<std::uint8_t> takeReadBack() { return std::exchange(readBack_, {}); }

    // Tries per request (the program's RequestTries).
    int tries = 3;

  private:
    enum class Outcome { Data, Refused, Failed };
    Outcome read(std::uint8_t command, int minimumLength, QByteArray* answer, int* result);
    int write(std::uint8_t command, const QByteArray& request, const QString& what);
    int writeFloat(std::uint8_t command, float value, const QString& what);
    int failWith(int result, const QString& reason);
    bool answered(int sent);

    Program& p_;
    RequestSender& sender_;
    QString failure_;
    QString warning_;
    int responseCode_ = 0;
    int deviceStatus_ = 0;
    bool reached_ = false;
    std::vector<std::uint8_t> readBack_;  // what the writes since takeReadBack changed
};

}  // namespace zh
