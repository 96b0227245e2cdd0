#pragma once
// The transmitter's universal and common-practice HART commands (identity,
// ranges, live values, damping, range, loop current and trim) and the
// machinery every command routine shares: fill the request from its layout,
// send it with the caller's tries, decode the response into the fields.
//
// Every routine returns the SendRequest result (0 = sent and answered), 1
// when it changes the device and NoWrite is "ON" (built and logged, not
// sent), or kResultValueRefused when a value does not fit its wire item
// (nothing sent; lastRefusal() names the field). A result of 0 says the
// device answered; its response code is the sender's resCode1(), which the
// caller tests. A read stores into fields and its response buffer only when
// the result is 0 and the response code is 0 (success): a failed read leaves
// both as they were.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <map>
#include <vector>

#include "wire_values.h"

namespace zh {

struct Program;
class RawValues;
class RequestSender;

// A command's fixed description: its log line, the request it sends and the
// response it expects (0: any length).
struct CommandLayout {
    std::uint8_t command;
    QString logLine;
    int requestLength;
    int expectedLength;
    std::vector<WireItem> items;  // request items of a write, response items of a read
};

// A command's own buffers: the last request built and the last response
// taken (floats decoded in place for the universal commands).
struct CommandBuffers {
    QByteArray request;
    QByteArray response;
};

class CommandRoutines {
  public:
    CommandRoutines(Program& program, RequestSender& sender, RawValues& values);
    virtual ~CommandRoutines() = default;

    // Empty buffers for a command not run yet.
    const CommandBuffers& buffers(std::uint8_t command) const;
    CommandBuffers& buffers(std::uint8_t command) { return buffers_[command]; }

    // Why the last write returning kResultValueRefused sent nothing.
    const WireStatus& lastRefusal() const { return refusal_; }

    // While set, a write only encodes its request: 0 when every value fits,
    // kResultValueRefused as above; nothing is logged, kept or sent.
    bool encodeOnly = false;

  protected:
    int runRead(const CommandLayout& layout, int tries);
    int runWrite(const CommandLayout& layout, int tries);

    Program& p_;
    RequestSender& sender_;
    RawValues& values_;

  private:
    std::map<std::uint8_t, CommandBuffers> buffers_;
    WireStatus refusal_;
};

// Values the program sets before the commands that send them.
struct CommandInputs {
    float fixedCurrent = 0.0f;        // command 40, mA; 0 leaves fixed-current mode
    float measuredCurrent = 0.0f;     // commands 45 and 46, mA measured at the loop
    std::uint8_t rangeUnitsCode = 0;  // command 35, HART unit code of the range values
};

class UniversalCommands : public CommandRoutines {
  public:
    using CommandRoutines::CommandRoutines;

    // Reads. Command 0 stores CmbManufact and DevType, command 15 the range
    // values and damping (TMeasRangeHigh, TMeasRangeLow, Damping); commands
    // 1, 2 and 151 only log and keep their response (1: unit code and PV,
    // 2: loop current mA and percent of range, as native floats).
    int Com0(int tries);
    int Com1(int tries);
    int Com2(int tries);
    int Com15(int tries);
    int Com151(int tries);

    // Writes: 34 damping from Damping; 35 range units code and the range
    // values from TMeasRangeHigh / TMeasRangeLow; 36 and 37 set the upper /
    // lower range value to the applied input; 40 the fixed loop current;
    // 45 and 46 trim the loop current zero / gain with the measured current.
    int Com34(int tries);
    int Com35(int tries);
    int Com36(int tries);
    int Com37(int tries);
    int Com40(int tries);
    int Com45(int tries);
    int Com46(int tries);

    CommandInputs inputs;
};

}  // namespace zh
