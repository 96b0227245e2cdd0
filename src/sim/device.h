#pragma once
// The state of the simulated device: the transmitter's configuration (built
// from a catalogue record), the display module's parameter blocks, the live
// measured value with the read-out the display shows for it, the loop
// current mode and the display's error log.

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "sim/catalogue.h"
#include "sim/simulator.h"

namespace hartsim {

// Every display-module block is a 24-byte image: block number, ten 16-bit
// slots (least significant byte first), change flags, interface version.
using BlockImage = std::array<std::uint8_t, 24>;
constexpr int kBlockSlotCount = 10;
constexpr int kBlockFlagsOffset = 21;
constexpr int kBlockVersionOffset = 23;

constexpr int kBlockMeasurand = 12;
constexpr int kBlockLogData = 60;
constexpr int kBlockLive = 89;
constexpr std::uint8_t kDispModeMeasuring = 0;
constexpr std::uint8_t kDispModeFixedCurrent = 5;

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

// What the display's four seven-segment digits show.
struct ReadOut {
    std::array<char, 4> text{};  // right-aligned digits without point or sign
    int decimals = 0;            // digits after the decimal point
    bool negative = false;
};

class Device {
  public:
    explicit Device(const DeviceConfig& config);

    // Transmitter: the 22 configuration bytes, the nominal range (in the
    // record's unit, whole numbers) and the ADC adjustment table.
    const std::array<std::uint8_t, 22>& configurationBytes() const { return configurationBytes_; }
    std::int16_t nominalHigh() const { return nominalHigh_; }
    std::int16_t nominalLow() const { return nominalLow_; }
    const std::array<std::int16_t, 11>& agwTable() const { return agw_; }

    // Display module blocks: 0, 1, 2, 3, 10, 11, 12, 13 and 20 are stored and
    // writable; 60 (log data) and 89 (live state) are built when read.
    static bool isBlock(int number);
    static bool isWritableBlock(int number);
    BlockImage readBlock(int number) const;
    // Stores the slots whose change flag is set and returns the block as it
    // reads back afterwards.
    BlockImage writeBlock(const BlockImage& image);

    // Loop current: 0 leaves fixed-current mode.
    void setFixedCurrent(float milliamps);
    bool fixedCurrent() const { return fixedCurrentMa_ != 0.0f; }
    float fixedCurrentMa() const { return fixedCurrentMa_; }
    // Second status byte of every answer (bit 3: loop current fixed).
    std::uint8_t fieldDeviceStatus() const;

    // One step of the process: the measured value moves a little, the
    // switch outputs and trailing pointers follow it.
    void advance();
    int adcCounts() const { return adc_; }
    ReadOut readOut() const;
    bool switchOn(int output) const { return output == 1 ? switch1_ : switch2_; }

    void recordError(std::uint8_t code);

  private:
    void follow();              // the measured value at the current step
    double rangeValue() const;  // measured value in calibration units x 10^decimals
    void updateSwitches();
    BlockImage liveBlock() const;
    BlockImage logBlock() const;
    int slot(int block, int index) const;

    std::array<std::uint8_t, 22> configurationBytes_{};
    std::int16_t nominalHigh_ = 0;
    std::int16_t nominalLow_ = 0;
    std::array<std::int16_t, 11> agw_{};

    std::map<int, BlockImage> blocks_;
    std::uint8_t interfaceVersion_ = 0;

    bool seeded_ = false;
    Random random_;
    std::uint64_t steps_ = 0;
    double wander_ = 0;
    int adc_ = 0;
    int loTrail_ = 0x7FFF;
    int hiTrail_ = -0x8000;
    bool switch1_ = false;
    bool switch2_ = false;
    float fixedCurrentMa_ = 0;

    std::vector<std::uint8_t> errorLog_;
    std::uint32_t powerOnCount_ = 0;
    std::uint32_t operatingSeconds_ = 0;
};

}  // namespace hartsim
