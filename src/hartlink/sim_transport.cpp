// The "Sim" port: the device simulator in-process, behind the same
// transport interface as a serial port.
//
// The line is modelled as the wire would carry it: a request takes its
// characters' time to send; an answer's first byte starts `delayMs` after
// the end of the request and each byte arrives one character time after the
// one before (9.167 ms at 1200 bit/s). Unless the simulator is configured
// for real time, that time is virtual: it moves only while the master waits
// on us, so a late answer is late for the master's time-outs without anyone
// sleeping.

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "hartlink/timing.h"
#include "hartlink/transport.h"
#include "sim/simulator.h"

namespace hartlink {

namespace {

// The simulated devices of this process, one per option text. A device
// stays powered while the port is closed, as a real one on the loop does:
// what was written before a disconnect is read back after the next connect.
// Other options mean another device.
std::shared_ptr<hartsim::Simulator> deviceFor(const std::string& options, const hartsim::DeviceConfig& config,
                                              const std::vector<hartsim::Fault>& faults) {
    static std::mutex mutex;
    static std::map<std::string, std::shared_ptr<hartsim::Simulator>> devices;
    std::lock_guard<std::mutex> lock(mutex);
    std::shared_ptr<hartsim::Simulator>& device = devices[options];
    if (!device) {
        device = std::make_shared<hartsim::Simulator>(config);
        for (const hartsim::Fault& fault : faults) device->injectFault(fault);
    }
    return device;
}

class SimTransport final : public Transport {
  public:
    explicit SimTransport(std::string options) : options_(std::move(options)) {}

    IoStatus open() override {
        hartsim::DeviceConfig config;
        std::vector<hartsim::Fault> faults;
        std::string error;
        if (!hartsim::parseOptions(options_, &config, &faults, &error)) {
            return IoStatus::failure("Invalid simulator options \"" + options_ + "\": " + error);
        }
        sim_ = deviceFor(options_, config, faults);
        realtime_ = config.realtime;
        incoming_.clear();
        return {};
    }

    void close() override {
        sim_.reset();
        incoming_.clear();
    }

    IoStatus write(const std::uint8_t* data, std::size_t size, bool /*keyRts*/) override {
        if (!sim_) return IoStatus::failure("The simulator port is not open");
        const Clock::time_point end = now() + timing::characters(static_cast<std::int64_t>(size));
        advanceTo(end);
        // Our requests go out whole, after a silence: nothing partial is
        // left in the device's receiver.
        sim_->lineIdle();
        for (const hartsim::Reply& reply : sim_->receive(data, size)) {
            Clock::time_point at = end + std::chrono::milliseconds(std::max(reply.delayMs, 0));
            // One line: an answer cannot overtake bytes still arriving.
            if (!incoming_.empty()) at = std::max(at, incoming_.back().arrival);
            for (std::size_t i = 0; i < reply.bytes.size(); ++i) {
                incoming_.push_back(
                    {at + timing::characters(static_cast<std::int64_t>(i) + 1), reply.bytes[i]});
            }
        }
        return {};
    }

    IoStatus read(std::uint8_t* buffer, std::size_t capacity, std::chrono::microseconds timeOut,
                  std::size_t* count) override {
        *count = 0;
        if (!sim_) return IoStatus::failure("The simulator port is not open");
        const Clock::time_point deadline = now() + timeOut;
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

    void advanceTo(Clock::time_point t) {
        if (realtime_) {
            for (auto left = t - Clock::now(); left.count() > 0; left = t - Clock::now()) {
                std::this_thread::sleep_for(waitSlice(std::chrono::ceil<std::chrono::microseconds>(left)));
                waited();
            }
        } else if (t > virtualNow_) {
            virtualNow_ = t;
        }
    }

    std::string options_;
    std::shared_ptr<hartsim::Simulator> sim_;
    bool realtime_ = false;
    Clock::time_point virtualNow_{};
    std::deque<Arriving> incoming_;
};

}  // namespace

std::unique_ptr<Transport> makeSimTransport(const std::string& options) {
    return std::make_unique<SimTransport>(options);
}

}  // namespace hartlink
