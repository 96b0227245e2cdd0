#pragma once
// The simulated device as a whole: the process it measures, the transmitter
// on the loop and the display module plugged on it. One step is one answer
// of the device (a master polls every 250 ms): the process moves, the
// transmitter drives the loop current for it, the display measures that
// current.

#include <cstdint>
#include <optional>

#include "sim/catalogue.h"
#include "sim/display_module.h"
#include "sim/memory_file.h"
#include "sim/simulator.h"
#include "sim/transmitter.h"
#include "sim/universal_records.h"

namespace hartsim {

// A small deterministic generator (xorshift32) for the measured value's
// wander and for line noise.
class Random {
  public:
    explicit Random(std::uint32_t seed) : state_(seed != 0 ? seed : 0x2545F491u) {}
    std::uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }

  private:
    std::uint32_t state_;
};

class Device {
  public:
    explicit Device(const DeviceConfig& config);

    const CatalogueRecord& record() const { return record_; }
    Transmitter& transmitter() { return transmitter_; }
    const Transmitter& transmitter() const { return transmitter_; }
    DisplayModule& display() { return display_; }
    const DisplayModule& display() const { return display_; }

    // One step of the process: the measured value moves a little, the loop
    // current, switch outputs and trailing pointers follow it.
    void advance();
    // The process at `percent` of the catalogue record's measuring range
    // until released; it moves again from where its course stands then.
    void holdProcess(double percent);
    void releaseProcess();
    // In the record's unit.
    double processValue() const;

    UniversalRecords& records() { return records_; }
    const UniversalRecords& records() const { return records_; }
    // Second status byte of every answer: the transmitter's bits, bit 4
    // while there is additional status (command 48) not read yet, and the
    // bits the configuration sets for good.
    std::uint8_t fieldDeviceStatus() const {
        return static_cast<std::uint8_t>(transmitter_.status() | (moreStatus_ ? 0x10 : 0) |
                                         statusBits_);
    }
    // Command 48 read the additional status.
    void additionalStatusRead() { moreStatus_ = false; }
    bool additionalStatusPending() const { return moreStatus_; }
    // Counts the configuration changes (command 0 of a HART 7 device).
    void configurationChanged() { ++changes_; }
    std::uint16_t configurationChangeCounter() const { return changes_; }
    // The sensor's temperature, °C: a little warmer the higher the process.
    double sensorTemperature() const;
    void recordError(std::uint8_t code) { display_.recordError(code); }

    // Power off and on: both parts load their settings from EEPROM.
    void powerCycle();

    Memory memory() const;
    void restore(const Memory& memory);

  private:
    double courseFraction() const;

    CatalogueRecord record_;
    Transmitter transmitter_;
    DisplayModule display_;
    bool seeded_;
    Random random_;
    std::uint64_t steps_ = 0;
    double wander_ = 0;
    std::optional<double> heldPercent_;
    UniversalRecords records_;
    bool moreStatus_;
    std::uint8_t statusBits_;
    std::uint16_t changes_ = 0;
};

}  // namespace hartsim
