// The "Sim" port: the device simulator in-process, behind the same
// transport interface as a serial port.
//
// The line is modelled as the wire would carry it (sim/loop_traffic.h): a
// request takes its characters' time to send; an answer's first byte starts
// `delayMs` after the end of the request and each byte arrives one character
// time after the one before (9.167 ms at 1200 bit/s); burst frames and a
// second master's requests come when the loop-sharing rules let them.
// Unless the simulator is configured for real time, that time is virtual: it
// moves only while the master waits on us, so a late answer is late for the
// master's time-outs without anyone sleeping.

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "hartlink/timing.h"
#include "hartlink/transport.h"
#include "sim/line.h"
#include "sim/loop_traffic.h"

namespace hartlink {

namespace {

// The simulated lines of this process, one per option text. A device
// stays powered while the port is closed, as a real one on the loop does:
// what was written before a disconnect is read back after the next connect.
// Other options mean another line. Without `devices`: only a line that
// exists.
std::shared_ptr<hartsim::Line> lineFor(const std::string& options,
                                       const std::vector<hartsim::LineDevice>* devices) {
    static std::mutex mutex;
    static std::map<std::string, std::shared_ptr<hartsim::Line>> lines;
    std::lock_guard<std::mutex> lock(mutex);
    const auto found = lines.find(options);
    if (found != lines.end()) return found->second;
    if (devices == nullptr) return nullptr;
    return lines[options] = std::make_shared<hartsim::Line>(*devices);
}

class SimTransport final : public Transport {
  public:
    explicit SimTransport(std::string options) : options_(std::move(options)) {}

    IoStatus open() override {
        std::vector<hartsim::LineDevice> devices;
        std::string error;
        if (!hartsim::parseLineOptions(options_, &devices, &error)) {
            return IoStatus::failure("Invalid simulator options \"" + options_ + "\": " + error);
        }
        sim_ = lineFor(options_, &devices);
        realtime_ = devices.front().config.realtime;
        incoming_.clear();
        origin_ = now();
        traffic_ = std::make_unique<hartsim::LoopTraffic>(*sim_, hartsim::LoopTiming{});
        return {};
    }

    void close() override {
        traffic_.reset();
        sim_.reset();
        incoming_.clear();
    }

    IoStatus write(const std::uint8_t* data, std::size_t size, bool /*keyRts*/) override {
        if (!sim_) return IoStatus::failure("The simulator port is not open");
        const Clock::time_point start = now();
        takeFramesUntil(start);
        // Our requests go out whole, after a silence: nothing partial is
        // left in the device's receiver.
        traffic_->lineIdle();
        traffic_->programBytes(data, size, onLine(start));
        advanceTo(start + timing::characters(static_cast<std::int64_t>(size)));
        return {};
    }

    IoStatus read(std::uint8_t* buffer, std::size_t capacity, std::chrono::microseconds timeOut,
                  std::size_t* count) override {
        *count = 0;
        if (!sim_) return IoStatus::failure("The simulator port is not open");
        const Clock::time_point deadline = now() + timeOut;
        takeFramesUntil(deadline);
        if (incoming_.empty() || incoming_.front().arrival > deadline) {
            advanceTo(deadline);
            return {};
        }
        advanceTo(incoming_.front().arrival);
        const Clock::time_point t = now();
        while (*count < capacity && !incoming_.empty() && incoming_.front().arrival <= t) {
            buffer[(*count)++] = incoming_.front().byte;
            incoming_.pop_front();
        }
        return {};
    }

    void flushInput() override {
        const Clock::time_point t = now();
        while (!incoming_.empty() && incoming_.front().arrival <= t) incoming_.pop_front();
    }

    Clock::time_point now() override { return realtime_ ? Clock::now() : virtualNow_; }

    std::string describe() const override { return options_.empty() ? "Sim" : "Sim:" + options_; }

  private:
    struct Arriving {
        Clock::time_point arrival;
        std::uint8_t byte;
    };

    void queue(const std::vector<std::uint8_t>& bytes, Clock::time_point at) {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            incoming_.push_back(
                {at + timing::characters(static_cast<std::int64_t>(i) + 1), bytes[i]});
        }
    }

    hartsim::LineTime onLine(Clock::time_point t) const {
        return std::chrono::duration_cast<hartsim::LineTime>(t - origin_);
    }

    // The simulator's frames that start before `t` or before the next byte
    // already on its way arrives, whichever is first: the master cannot
    // send in between.
    void takeFramesUntil(Clock::time_point t) {
        for (;;) {
            Clock::time_point until = t;
            if (!incoming_.empty()) until = std::min(until, incoming_.front().arrival);
            const std::optional<hartsim::LineEvent> frame = traffic_->next(onLine(until));
            if (!frame) return;
            queue(frame->bytes, origin_ + frame->at);
        }
    }

    void advanceTo(Clock::time_point t) {
        if (realtime_) {
            for (auto left = t - Clock::now(); left.count() > 0; left = t - Clock::now()) {
                std::this_thread::sleep_for(
                    waitSlice(std::chrono::ceil<std::chrono::microseconds>(left)));
                waited();
            }
        } else if (t > virtualNow_) {
            virtualNow_ = t;
        }
    }

    std::string options_;
    std::shared_ptr<hartsim::Line> sim_;
    std::unique_ptr<hartsim::LoopTraffic> traffic_;
    Clock::time_point origin_{};
    bool realtime_ = false;
    Clock::time_point virtualNow_{};
    std::deque<Arriving> incoming_;
};

}  // namespace

std::unique_ptr<Transport> makeSimTransport(const std::string& options) {
    return std::make_unique<SimTransport>(options);
}

std::uint64_t simCollisions(const std::string& options) {
    const std::shared_ptr<hartsim::Line> line = lineFor(options, nullptr);
    return line ? line->collisions() : 0;
}

}  // namespace hartlink
