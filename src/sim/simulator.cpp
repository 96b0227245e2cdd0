#include "simulator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "sim/catalogue.h"
#include "sim/commands.h"
#include "sim/device.h"
#include "sim/faults.h"
#include "sim/line.h"
#include "sim/memory_file.h"
#include "sim/slave_framing.h"

namespace hartsim {

namespace {

DeviceConfig checked(DeviceConfig config) {
    config.pollingAddress &= 0x3F;
    config.deviceId &= 0xFFFFFF;
    config.preambles = std::clamp(config.preambles, kMinimumPreambles, 20);
    config.turnaroundMs = std::max(config.turnaroundMs, 0);
    if (!findConfiguration(config.configurationKey)) config.configurationKey = 0x01;
    const float mA = config.fixedCurrentMa;
    if (mA != 0.0f && !(mA >= kMinimumLoopCurrent && mA <= kMaximumLoopCurrent)) {
        config.fixedCurrentMa = 0.0f;
    }
    if (config.holdPercent && !std::isfinite(*config.holdPercent)) config.holdPercent.reset();
    config.teachMs = std::max(config.teachMs, 0);
    return config;
}

void appendHex(std::FILE* file, const std::vector<std::uint8_t>& bytes) {
    for (std::uint8_t b : bytes) std::fprintf(file, " %02X", b);
}

}  // namespace

void appendFrameLog(const std::string& path, int command, Simulator::FrameFate fate,
                    const std::vector<std::uint8_t>& frame,
                    const std::vector<std::uint8_t>* answer) {
    // One line per frame and one per answer, with the command number first,
    // so that a test can look for the commands that arrived.
    std::FILE* file = std::fopen(path.c_str(), "a");
    if (file == nullptr) return;
    std::fprintf(file, "RX command=%d (%s):", command, Simulator::fateText(fate));
    appendHex(file, frame);
    std::fputc('\n', file);
    if (answer != nullptr) {
        std::fprintf(file, "TX command=%d:", command);
        appendHex(file, *answer);
        std::fputc('\n', file);
    }
    std::fclose(file);
}

const char* Simulator::fateText(FrameFate fate) {
    switch (fate) {
        case Simulator::FrameFate::Answered:
            return "answered";
        case Simulator::FrameFate::Silenced:
            return "no answer: fault";
        case Simulator::FrameFate::NotForUs:
            return "not for us";
        case Simulator::FrameFate::BadCheckByte:
            return "bad check byte";
    }
    return "";
}

struct Simulator::State {
    explicit State(const DeviceConfig& c)
        : config(checked(c)),
          device(config),
          busyLeft(config.busyWrites),
          noise(c.seed ^ 0x9E3779B9u) {
        if (!config.statePath.empty()) {
            Memory memory;
            if (loadMemoryFile(config.statePath, &memory)) device.restore(memory);
        }
        if (config.powerCycle) device.powerCycle();
        // The option holds over what a state file remembers.
        if (config.writeProtect) device.transmitter().protectWrites();
        keep();
    }

    bool addressedToUs(const MasterFrame& frame) const;
    std::optional<Reply> handle(const MasterFrame& frame);
    void tell(const MasterFrame& frame, FrameFate fate,
              const std::vector<std::uint8_t>* answer) const;
    // With a state file, the memories go there after every change.
    void keep() const {
        if (!config.statePath.empty()) saveMemoryFile(config.statePath, device.memory());
    }

    // Busy and delayed answers of the options busy= and delayed=; true
    // when the write is to be carried out now.
    bool writeGoesAhead(const MasterFrame& frame, std::uint8_t* responseCode);

    struct DelayedWrite {
        std::uint8_t command;
        std::vector<std::uint8_t> data;
        int repeatsLeft;
    };

    DeviceConfig config;
    Device device;
    int busyLeft = 0;
    std::optional<DelayedWrite> delayed;
    MasterFrameParser parser;
    FaultQueue faults;
    bool faultsHeld = false;
    Statistics statistics;
    Random noise;
    FrameObserver observer;
};

bool Simulator::State::writeGoesAhead(const MasterFrame& frame, std::uint8_t* responseCode) {
    if (!isWriteCommand(frame.command)) return true;
    if (busyLeft > 0) {
        --busyLeft;
        *responseCode = kResponseBusy;
        return false;
    }
    if (config.delayedRepeats <= 0) return true;
    // The same request again asks how the write started before is getting
    // on; any other write starts anew.
    if (!delayed || delayed->command != frame.command || delayed->data != frame.data) {
        delayed = DelayedWrite{frame.command, frame.data, config.delayedRepeats - 1};
        *responseCode = kResponseDelayedInitiated;
        return false;
    }
    if (delayed->repeatsLeft > 0) {
        --delayed->repeatsLeft;
        *responseCode = kResponseDelayedRunning;
        return false;
    }
    delayed.reset();
    return true;
}

bool Simulator::State::addressedToUs(const MasterFrame& frame) const {
    if (!frame.longAddress) {
        // Only command 0 identifies a device by its polling address; every
        // other command needs the unique (long) address.
        return frame.command == 0 && (frame.address[0] & 0x3F) == config.pollingAddress;
    }
    const std::uint32_t id = config.deviceId;
    return (frame.address[0] & 0x3F) == (config.manufacturerId & 0x3F) &&
           frame.address[1] == config.deviceType && frame.address[2] == ((id >> 16) & 0xFF) &&
           frame.address[3] == ((id >> 8) & 0xFF) && frame.address[4] == (id & 0xFF);
}

void Simulator::State::tell(const MasterFrame& frame, FrameFate fate,
                            const std::vector<std::uint8_t>* answer) const {
    if (!observer && config.frameLogPath.empty()) return;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(frame.preambles), 0xFF);
    bytes.insert(bytes.end(), frame.bytes.begin(), frame.bytes.end());
    if (!config.frameLogPath.empty())
        appendFrameLog(config.frameLogPath, frame.command, fate, bytes, answer);
    if (observer) observer(bytes, fate);
}

std::optional<Reply> Simulator::State::handle(const MasterFrame& frame) {
    ++statistics.framesReceived;
    if (!frame.checkByteOk) {
        ++statistics.badCheckBytes;
        device.recordError(kErrorCheckByte);
        keep();
        tell(frame, FrameFate::BadCheckByte, nullptr);
        return std::nullopt;
    }
    if (!frame.isRequest() || !addressedToUs(frame)) {
        tell(frame, FrameFate::NotForUs, nullptr);
        return std::nullopt;
    }
    ++statistics.framesForUs;
    ++statistics.requests[frame.command];
    if (frame.command == 192 && !frame.data.empty()) ++statistics.actions[frame.data[0]];

    const std::optional<Fault> fault =
        faultsHeld ? std::optional<Fault>() : faults.take(frame.command);
    const Fault::Kind kind = fault ? fault->kind : Fault::Kind::NoAnswer;
    if (fault && kind == Fault::Kind::NoAnswer) {
        tell(frame, FrameFate::Silenced, nullptr);
        return std::nullopt;
    }

    // Busy, error and communication-error answers stand for requests the
    // device did not carry out; the other faults spoil a real answer (a
    // lost one included: the request was carried out).
    std::uint8_t status1 = 0;
    std::uint8_t status2 = device.fieldDeviceStatus();
    std::vector<std::uint8_t> data;
    int extraDelayMs = 0;
    if (fault && kind == Fault::Kind::Busy) {
        status1 = kResponseBusy;
    } else if (fault && kind == Fault::Kind::ErrorCode) {
        status1 = static_cast<std::uint8_t>(fault->code);
    } else if (fault && kind == Fault::Kind::CommError) {
        // A communication error reports the bitmap and no device status.
        status1 = static_cast<std::uint8_t>(0x80 | fault->code);
        status2 = 0;
    } else if (!writeGoesAhead(frame, &status1)) {
        // Busy or still running: nothing carried out, no data.
    } else {
        // A device that loses its writes answers them as carried out.
        const bool forget =
            config.ignoreWrites && isWriteCommand(frame.command) && frame.command != 40;
        const Memory before = forget ? device.memory() : Memory();
        CommandResult result = executeCommand(device, config, frame.command, frame.data);
        if (forget) device.restore(before);
        // Every write carried out counts as a change of the configuration,
        // except the loop test's fixed current.
        if (isWriteCommand(frame.command) && frame.command != 40 &&
            result.responseCode == kResponseSuccess) {
            device.configurationChanged();
        }
        status1 = result.responseCode;
        status2 = device.fieldDeviceStatus();
        data = std::move(result.data);
        extraDelayMs = result.extraDelayMs;
        if (fault && kind == Fault::Kind::WrongLength && !data.empty()) data.pop_back();
    }

    Reply reply;
    reply.delayMs = config.turnaroundMs + extraDelayMs;
    reply.requestBytes = static_cast<std::size_t>(frame.preambles) + frame.bytes.size();
    if (fault && kind == Fault::Kind::Late) reply.delayMs += fault->delayMs;
    if (fault && kind == Fault::Kind::Noise) {
        // Noise never holds 0xFF, so it cannot pass for preambles.
        for (int i = 0; i < fault->noiseBytes; ++i) {
            reply.bytes.push_back(static_cast<std::uint8_t>(noise.next() % 0xFF));
        }
    }
    std::vector<std::uint8_t> frameBytes =
        encodeResponse(frame, config.preambles, status1, status2, data);
    if (fault && kind == Fault::Kind::BadCheckByte) frameBytes.back() ^= 0xFF;
    if (fault && kind == Fault::Kind::Truncated) frameBytes.resize(frameBytes.size() / 2);
    reply.bytes.insert(reply.bytes.end(), frameBytes.begin(), frameBytes.end());

    device.advance();
    keep();
    if (fault && kind == Fault::Kind::LostAnswer) {
        tell(frame, FrameFate::Silenced, nullptr);
        return std::nullopt;
    }
    ++statistics.answers;
    tell(frame, FrameFate::Answered, &reply.bytes);
    return reply;
}

Simulator::Simulator(const DeviceConfig& config) : state_(std::make_unique<State>(config)) {}

Simulator::~Simulator() = default;

std::vector<Reply> Simulator::receive(const std::uint8_t* data, std::size_t size) {
    std::vector<Reply> replies;
    if (data == nullptr || size == 0) return replies;
    std::vector<MasterFrame> frames;
    state_->parser.feed(data, size, &frames);
    for (const MasterFrame& frame : frames) {
        std::optional<Reply> reply = state_->handle(frame);
        if (reply) replies.push_back(std::move(*reply));
    }
    return replies;
}

void Simulator::injectFault(const Fault& fault) {
    state_->faults.add(fault);
}

void Simulator::clearFaults() {
    state_->faults.clear();
}

void Simulator::holdFaults(bool held) {
    state_->faultsHeld = held;
}

const DeviceConfig& Simulator::config() const {
    return state_->config;
}

void Simulator::setPresence(Presence presence) {
    state_->config.presence = presence;
}

const Statistics& Simulator::statistics() const {
    return state_->statistics;
}

void Simulator::lineIdle() {
    state_->parser.reset();
}

std::optional<Reply> Simulator::burstFrame(bool primaryMaster) {
    const DeviceConfig& c = state_->config;
    if (c.burstMs <= 0) return std::nullopt;
    CommandResult pv = executeCommand(state_->device, c, 1, {});
    if (pv.responseCode != kResponseSuccess) return std::nullopt;
    // A burst frame carries the device's unique address with the burst bit
    // and the bit of the master whose turn follows it.
    MasterFrame from;
    from.longAddress = true;
    from.command = 1;
    const std::uint8_t master = primaryMaster ? kAddressMasterBit : 0;
    from.address = {
        static_cast<std::uint8_t>(master | kAddressBurstBit | (c.manufacturerId & 0x3F)),
        c.deviceType, static_cast<std::uint8_t>(c.deviceId >> 16),
        static_cast<std::uint8_t>(c.deviceId >> 8), static_cast<std::uint8_t>(c.deviceId)};
    Reply reply;
    reply.bytes = encodeFrame(kDelimiterLongAddress | kFrameTypeBurst, from, c.preambles, 0,
                              state_->device.fieldDeviceStatus(), pv.data);
    return reply;
}

bool Simulator::midFrame() const {
    return state_->parser.inFrame();
}

void Simulator::setFrameObserver(FrameObserver observer) {
    state_->observer = std::move(observer);
}

void Simulator::setFrameLogPath(const std::string& path) {
    state_->config.frameLogPath = path;
}

void Simulator::powerCycle() {
    state_->device.powerCycle();
    state_->keep();
}

void Simulator::holdProcess(double percent) {
    if (std::isfinite(percent)) state_->device.holdProcess(percent);
}

void Simulator::releaseProcess() {
    state_->device.releaseProcess();
}

double Simulator::loopCurrentMa() const {
    return state_->device.transmitter().outputCurrentMa();
}

std::optional<std::uint8_t> Simulator::lastWrittenVersCheck() const {
    return state_->device.display().lastVersCheck();
}

Device& Simulator::device() {
    return state_->device;
}

const Device& Simulator::device() const {
    return state_->device;
}

}  // namespace hartsim
