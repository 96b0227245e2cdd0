#pragma once
// The device simulator: the field-device side of a HART loop, written from
// the device's point of view. A transmitter and, optionally, a plug-on
// display module answer master frames exactly as a field device on the loop
// would: it checks the master's check byte, ignores frames for other
// addresses, keeps real state, and can be told to misbehave.
//
// Plain C++: it depends on nothing of the program, so the link library,
// the pseudo-terminal runner and the tests can all embed it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace hartsim {

enum class Presence { Both, TransmitterOnly, DisplayOnly };

// Who the device is: our transmitter (with its display module), or another
// maker's HART 5 or HART 7 transmitter that knows only the universal and
// common-practice commands.
enum class Identity { Ours, Hart5, Hart7 };
// How another maker's device answers a device-specific command (128 and
// above): command not implemented (64), a device-specific command error (6),
// or a success whose data has a layout that is not ours.
enum class ForeignAnswer { NotImplemented, DeviceError, OtherLayout };

struct DeviceConfig {
    Presence presence = Presence::Both;
    std::uint8_t pollingAddress = 0;     // 0..63
    int displayInterfaceVersion = 5;     // version the display module reports
    std::uint8_t manufacturerId = 0x94;  // (expanded) manufacturer / device type code
    std::uint8_t deviceType = 0x7E;
    std::uint32_t deviceId = 0x0012AB;  // 24 bits
    int preambles = 5;                  // preambles the device puts before its answers
    int turnaroundMs = 20;              // from the end of a request to the start of the answer
    bool realtime = false;              // when embedded: wait as the wire at 1200 bit/s would
    int configurationKey = 0x01;        // catalogue record the transmitter is built as
    std::uint32_t seed = 0;             // 0: the measured value follows a fixed course
    float fixedCurrentMa = 0;           // starts in fixed-current mode at this current (0: off)
    // The process held at this percent of the measuring range (empty: it
    // moves on its course).
    std::optional<double> holdPercent;
    int teachMs = 0;  // teach actions answer this much later than others
    // The display module set up to show another unit than the one it is
    // calibrated in: a name of the measurand's display unit list ("mbar",
    // "°F", "%"); its calibration and range stay in the record's unit.
    // Empty: the catalogue record's unit.
    std::string displayUnit;
    // The display module's calibration decimal point (block 12, 0..3): its
    // nominal range and, on a module on its own, its range values are stored
    // scaled by 10^N. -1: as the module sets it up by itself (on its own the
    // decimals that leave four digits for the range, on a transmitter 0).
    int calibrationDecimals = -1;
    // The text items of blocks 2 and 3 (tag, serial number texts) padded
    // with NUL bytes instead of blanks, as some modules leave the factory.
    bool nulPaddedTexts = false;
    // The display module's error log full, for demonstrations and tests:
    // twenty entries with distinct time stamps and power-on counts and
    // codes from the module's list, the newest at this table index (0..19). -1: the short past of
    // three events a new module has.
    int errorLogNewest = -1;
    // The device's memories (RAM, EEPROM, factory set, error log, counters)
    // kept in this file: loaded when the device starts, saved after every
    // request. Empty: they live as long as the simulator object.
    std::string statePath;
    bool powerCycle = false;   // start as after power off and on: RAM from EEPROM
    std::string frameLogPath;  // every frame and answer appended here (empty: none)

    Identity identity = Identity::Ours;
    ForeignAnswer foreignAnswer = ForeignAnswer::NotImplemented;
    // HART 7: the 16-bit manufacturer ID of command 0 bytes 17-18; the
    // expanded device type is manufacturerId (high byte) and deviceType.
    std::uint16_t manufacturer16 = 0;
    std::string tag;            // initial tag (8 characters); empty: the identity's own
    std::string longTag;        // initial long tag (32 characters); empty: the identity's own
    bool writeProtect = false;  // the configuration writes answer 7
    bool ignoreWrites = false;  // writes answer success, but nothing is stored
    bool moreStatus = false;    // starts with "more status available" until command 48
    // Field device status bits every answer carries besides the device's
    // own (0x80 malfunction, 0x01 primary variable out of limits, ...).
    std::uint8_t statusBits = 0;
    int burstMs = 0;  // burst frames of command 1 this often (0: none)
    // A second master on the line wants to send every this many ms on
    // average, at random moments (0: none). The line's, from its first device.
    int otherMasterMs = 0;
    int busyWrites = 0;  // the next N answers to write commands are busy (32)
    // Every write answers 33 (initiated), then 34 (running) to N-1 repeats,
    // then is carried out (0: writes are carried out at once).
    int delayedRepeats = 0;
    // HART command revision the device implements (5 or 7, from the identity).
    int universalRevision() const { return identity == Identity::Hart7 ? 7 : 5; }
};

// One way of misbehaving, for the next `count` answers (to command
// `command`, or to any command when it is -1).
struct Fault {
    enum class Kind {
        NoAnswer,      // stays silent, and carries nothing out
        LostAnswer,    // carries the request out, and its answer is lost on the line
        BadCheckByte,  // answers with a wrong check byte
        WrongLength,   // answers with one data byte missing (byte count consistent)
        Truncated,     // the answer breaks off half way (the byte count promises more)
        Busy,          // response code 32
        ErrorCode,     // response code `code` (e.g. 64 = command not implemented)
        CommError,     // first status byte with bit 7 set: `code` is the error bitmap
        Late,          // answers `delayMs` late
        Noise,         // puts `noiseBytes` random bytes on the line before the answer
    };
    Kind kind = Kind::NoAnswer;
    int count = 1;
    int command = -1;
    int code = 0;
    int delayMs = 0;
    int noiseBytes = 8;
};

// Parses a fault description for command lines and environment variables:
// "noanswer", "lost", "badcheck", "wronglength", "truncated", "busy",
// "error:64", "commerror:0x08", "late:400", "noise:12", each optionally
// followed by "x<count>" and
// "@<command>" ("busy x3 @141" as "busy*3@141"). Empty on a syntax error.
std::optional<Fault> parseFault(const std::string& text);

// What the device puts on the line in answer to one master frame.
struct Reply {
    std::vector<std::uint8_t> bytes;  // preambles and frame (and noise, if injected)
    int delayMs = 0;                  // from the end of the request to the first byte
    // Bytes of the request answered, preambles included: on a real line the
    // request takes that many character times to arrive.
    std::size_t requestBytes = 0;
};

// Whether a command changes the device (the writes, fixed current, trims,
// display-module block writes and actions, EEPROM copy and restore).
bool isWriteCommand(int command);

struct Statistics {
    std::uint64_t framesReceived = 0;  // complete frames addressed to anyone
    std::uint64_t framesForUs = 0;
    std::uint64_t badCheckBytes = 0;  // frames dropped for a wrong check byte
    std::uint64_t answers = 0;
    // Frames for us per command number (also those a fault left unanswered
    // or refused), and command 192 per action code.
    std::array<std::uint64_t, 256> requests{};
    std::array<std::uint64_t, 256> actions{};

    // Frames for us that carry a write command: 0 means nothing was sent
    // that could have changed the device.
    std::uint64_t writeRequests() const {
        std::uint64_t count = 0;
        for (int command = 0; command < 256; ++command) {
            if (isWriteCommand(command)) count += requests[static_cast<std::size_t>(command)];
        }
        return count;
    }
};

class Device;

class Simulator {
  public:
    explicit Simulator(const DeviceConfig& config = {});
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Bytes as they arrive from the line, in any pieces. Every complete
    // master frame addressed to this device yields one reply (none for a
    // frame that is not for us, has a bad check byte, or is silenced by a
    // fault); a partial frame waits for its remaining bytes.
    std::vector<Reply> receive(const std::uint8_t* data, std::size_t size);

    void injectFault(const Fault& fault);
    void clearFaults();
    // While held, the injected faults wait: requests are answered as if
    // there were none (a second master's, which the faults are not meant for).
    void holdFaults(bool held);

    const DeviceConfig& config() const;
    void setPresence(Presence presence);
    const Statistics& statistics() const;

    // The line has been quiet for longer than a character gap: a frame that
    // started cannot be completed any more and is dropped, as a device's
    // receiver does on a gap. The pty runner calls it after a silence.
    void lineIdle();
    // Part of a frame has arrived and waits for the rest.
    bool midFrame() const;
    // A burst frame (delimiter 0x81, burst bit set, command 1 with the
    // primary variable) when the device is in burst mode, else empty. It
    // carries the primary master's bit or, when `primaryMaster` is false,
    // the secondary master's.
    std::optional<Reply> burstFrame(bool primaryMaster = true);

    // What became of one complete frame seen on the line (for logs).
    enum class FrameFate { Answered, Silenced, NotForUs, BadCheckByte };
    // "answered", "no answer: fault", "not for us", "bad check byte".
    static const char* fateText(FrameFate fate);
    using FrameObserver =
        std::function<void(const std::vector<std::uint8_t>& frame, FrameFate fate)>;
    // Called for every complete frame with its preambles, before the reply
    // to it is returned by receive().
    void setFrameObserver(FrameObserver observer);
    // Where the device appends its frame log (empty: nowhere).
    void setFrameLogPath(const std::string& path);

    // Power off and on: transmitter and display module load their settings
    // from EEPROM; what was only in RAM is lost, fixed-current mode ends.
    void powerCycle();
    // Holds the process at `percent` of the measuring range, or lets it move.
    void holdProcess(double percent);
    void releaseProcess();
    // What a meter in the loop reads, mA.
    double loopCurrentMa() const;
    // The interface version byte of the last block write the display module
    // received (empty before the first).
    std::optional<std::uint8_t> lastWrittenVersCheck() const;
    // The device itself, for looking behind the frames.
    Device& device();
    const Device& device() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// Parses "presence=display,address=3,version=5,realtime,fault=busy*2@141"
// (comma-separated; unknown keys are errors) into a configuration and a
// list of faults. Used by the link library's "Sim" port (environment
// variable HARTSIM_OPTIONS) and by hartsim's command line.
// Nothing is changed when the text has an error (`error` says which item);
// otherwise the faults are added to `faults`. Also: manufacturer=, devicetype=,
// deviceid=, preambles=, turnaround=, config=<hexadecimal catalogue key>,
// seed=, fixedcurrent=<mA>, hold=<percent of the measuring range>,
// teachtime=<ms>, state=<file>, powercycle[=on|off], log=<file>,
// displayunit=<unit name>, caldecimals=<0..3>, textpad=blank|nul,
// errorlog=<0..19>|demo (a full error log, its newest entry at that table
// index; demo: at 7), identity=ours|hart5|hart7 (before the options it sets:
// manufacturer, device type, device id, presence), foreign=notimpl|error|
// layout, tag=, longtag=, writeprotect[=on|off], ignorewrites[=on|off],
// morestatus[=on|off], status=<field device status bits>,
// burst=<ms>, othermaster=<ms>, busy=<n>, delayed=<n>. The
// display unit and the calibration decimals are checked against the
// catalogue record the options choose, whatever their order.
bool parseOptions(const std::string& text, DeviceConfig* config, std::vector<Fault>* faults,
                  std::string* error);

}  // namespace hartsim
