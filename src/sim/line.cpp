#include "line.h"

#include <algorithm>

namespace hartsim {

namespace {

bool sameUniqueAddress(const DeviceConfig& a, const DeviceConfig& b) {
    return (a.manufacturerId & 0x3F) == (b.manufacturerId & 0x3F) && a.deviceType == b.deviceType &&
           a.deviceId == b.deviceId;
}

}  // namespace

bool parseLineOptions(const std::string& text, std::vector<LineDevice>* devices,
                      std::string* error) {
    std::vector<LineDevice> parsed;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(';', start);
        if (end == std::string::npos) end = text.size();
        LineDevice device;
        std::string problem;
        if (!parseOptions(text.substr(start, end - start), &device.config, &device.faults,
                          &problem)) {
            if (error != nullptr)
                *error = parsed.empty() && end == text.size()
                             ? problem
                             : "device " + std::to_string(parsed.size() + 1) + ": " + problem;
            return false;
        }
        parsed.push_back(std::move(device));
        start = end + 1;
    }
    const DeviceConfig& first = parsed.front().config;
    for (std::size_t i = 1; i < parsed.size(); ++i) {
        DeviceConfig& c = parsed[i].config;
        auto before = parsed.begin();
        const auto end = parsed.begin() + static_cast<std::ptrdiff_t>(i);
        for (; before != end; ++before) {
            if (before->config.pollingAddress != c.pollingAddress) continue;
            if (error != nullptr)
                *error = "devices " + std::to_string(before - parsed.begin() + 1) + " and " +
                         std::to_string(i + 1) + " at the same polling address " +
                         std::to_string(c.pollingAddress);
            return false;
        }
        // The next free device ID, so that a long frame reaches one device only.
        auto taken = [&] {
            return std::any_of(parsed.begin(), end, [&c](const LineDevice& d) {
                return sameUniqueAddress(d.config, c);
            });
        };
        while (taken()) c.deviceId = (c.deviceId + 1) & 0xFFFFFF;
        c.realtime = first.realtime;
        if (c.statePath == first.statePath) c.statePath.clear();
    }
    *devices = std::move(parsed);
    return true;
}

Line::Line(const std::vector<LineDevice>& devices) {
    if (!devices.empty()) logPath_ = devices.front().config.frameLogPath;
    for (const LineDevice& d : devices) {
        DeviceConfig config = d.config;
        // The line keeps one log of every frame, whoever it was for.
        if (devices.size() > 1) config.frameLogPath.clear();
        devices_.push_back(std::make_unique<Simulator>(config));
        for (const Fault& fault : d.faults) devices_.back()->injectFault(fault);
    }
    if (devices_.empty()) devices_.push_back(std::make_unique<Simulator>());
}

std::vector<Reply> Line::receive(const std::uint8_t* data, std::size_t size) {
    if (devices_.size() == 1) {
        Simulator& only = *devices_.front();
        const std::uint64_t before = only.statistics().framesReceived;
        std::vector<Reply> replies = only.receive(data, size);
        frames_ += only.statistics().framesReceived - before;
        return replies;
    }
    std::vector<Reply> replies;
    if (data == nullptr || size == 0) return replies;
    std::vector<MasterFrame> frames;
    parser_.feed(data, size, &frames);
    for (const MasterFrame& frame : frames) {
        ++frames_;
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(frame.preambles), 0xFF);
        bytes.insert(bytes.end(), frame.bytes.begin(), frame.bytes.end());
        Simulator::FrameFate fate = Simulator::FrameFate::BadCheckByte;
        std::size_t answered = static_cast<std::size_t>(-1);
        if (frame.checkByteOk) {
            fate = Simulator::FrameFate::NotForUs;
            for (const std::unique_ptr<Simulator>& device : devices_) {
                const std::uint64_t before = device->statistics().framesForUs;
                std::vector<Reply> got = device->receive(bytes.data(), bytes.size());
                if (device->statistics().framesForUs == before) continue;
                fate =
                    got.empty() ? Simulator::FrameFate::Silenced : Simulator::FrameFate::Answered;
                for (Reply& reply : got) replies.push_back(std::move(reply));
                if (!got.empty()) answered = replies.size() - 1;
            }
        }
        if (logHere_ && !logPath_.empty()) {
            appendFrameLog(logPath_, frame.command, fate, bytes,
                           answered < replies.size() ? &replies[answered].bytes : nullptr);
        }
        if (observer_) observer_(bytes, fate);
    }
    return replies;
}

std::vector<Reply> Line::receiveFromOtherMaster(const std::vector<std::uint8_t>& frame) {
    for (const std::unique_ptr<Simulator>& device : devices_) device->holdFaults(true);
    std::vector<Reply> replies = receive(frame.data(), frame.size());
    for (const std::unique_ptr<Simulator>& device : devices_) device->holdFaults(false);
    return replies;
}

void Line::lineIdle() {
    parser_.reset();
    for (const std::unique_ptr<Simulator>& device : devices_) device->lineIdle();
}

bool Line::midFrame() const {
    return devices_.size() == 1 ? devices_.front()->midFrame() : parser_.inFrame();
}

std::uint64_t Line::framesReceived() const {
    return frames_;
}

int Line::burstMs() const {
    int shortest = 0;
    for (const std::unique_ptr<Simulator>& device : devices_) {
        const int ms = device->config().burstMs;
        if (ms > 0 && (shortest == 0 || ms < shortest)) shortest = ms;
    }
    return shortest;
}

std::vector<Reply> Line::burstFrames(bool primaryMaster) {
    std::vector<Reply> frames;
    for (const std::unique_ptr<Simulator>& device : devices_) {
        if (std::optional<Reply> burst = device->burstFrame(primaryMaster))
            frames.push_back(std::move(*burst));
    }
    return frames;
}

std::string Line::handOverFrameLog() {
    logHere_ = false;
    if (devices_.size() == 1) devices_.front()->setFrameLogPath(std::string());
    return logPath_;
}

void Line::setFrameObserver(Simulator::FrameObserver observer) {
    if (devices_.size() == 1) {
        devices_.front()->setFrameObserver(std::move(observer));
    } else {
        observer_ = std::move(observer);
    }
}

}  // namespace hartsim
