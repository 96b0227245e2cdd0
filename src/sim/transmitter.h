#pragma once
// The transmitter: its sensor converter reads the process value, the ADC
// adjustment table (AGW) and nominal range turn the counts into the
// measured value, damping smooths it, the range values map it onto the
// 4-20 mA loop (or, for the switch variants, the switch point switches the
// loop between two currents), and a trimmed DAC drives the current.
//
// Its settings live in RAM; commands 200 and 201 copy them to and from the
// EEPROM copy, from which they are also loaded at power-up.

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "sim/catalogue.h"
#include "sim/memory_file.h"
#include "sim/simulator.h"
#include "sim/units.h"

namespace hartsim {

// HART response codes the transmitter gives (first status byte).
constexpr std::uint8_t kResponseSuccess = 0;
constexpr std::uint8_t kResponseInvalidSelection = 2;
constexpr std::uint8_t kResponseDeviceSpecificError = 6;
constexpr std::uint8_t kResponseParameterTooLarge = 3;
constexpr std::uint8_t kResponseParameterTooSmall = 4;
constexpr std::uint8_t kResponseTooFewDataBytes = 5;
constexpr std::uint8_t kResponseWriteProtected = 7;
constexpr std::uint8_t kResponseLowerTooHigh = 9;  // also: wrong loop current mode, input too high
constexpr std::uint8_t kResponseLowerTooLow = 10;  // also: input too low
constexpr std::uint8_t kResponseUpperTooHigh = 11;
constexpr std::uint8_t kResponseUpperTooLow = 12;
constexpr std::uint8_t kResponseBothOutOfLimits = 13;
constexpr std::uint8_t kResponseSpanTooSmall = 14;  // a warning: the value is set (37: pushed)
constexpr std::uint8_t kResponseInvalidSpan = 29;
constexpr std::uint8_t kResponseBusy = 32;
constexpr std::uint8_t kResponseDelayedInitiated = 33;
constexpr std::uint8_t kResponseDelayedRunning = 34;
constexpr std::uint8_t kResponseNotImplemented = 64;
constexpr std::uint8_t kResponseWrongLoopCurrentMode = 9;
constexpr std::uint8_t kResponseAppliedProcessTooHigh = 9;
constexpr std::uint8_t kResponseAppliedProcessTooLow = 10;

// The loop current a fixed-current request may ask for: from the low
// failure current to beyond the high one (3.6 ... 21.6 mA).
constexpr float kMinimumLoopCurrent = 3.6f;
constexpr float kMaximumLoopCurrent = 21.6f;
// The measured loop current follows the range between these (NAMUR NE 43).
constexpr double kSaturationLowMa = 3.8;
constexpr double kSaturationHighMa = 20.5;
// Damping the device accepts, seconds.
constexpr float kMaximumDamping = 99.9f;

struct TransmitterSettings {
    std::array<std::uint8_t, 22> configurationBytes{};
    std::int16_t nominalHigh = 0;  // in the catalogue record's unit
    std::int16_t nominalLow = 0;
    std::array<std::int16_t, 11> agw{};
    std::uint8_t rangeUnit = 0;  // HART unit code of the range values and PV
    float upperRange = 0;
    float lowerRange = 0;
    float damping = 0;     // seconds
    float trimZeroMa = 0;  // DAC trim: added at 4 mA
    float trimGain = 1;    // DAC trim: factor on the span above 4 mA

    std::vector<std::uint8_t> pack() const;
    bool unpack(const std::vector<std::uint8_t>& bytes);
    bool operator==(const TransmitterSettings& other) const { return pack() == other.pack(); }
};

class Transmitter {
  public:
    Transmitter(const CatalogueRecord& record, const DeviceConfig& config);

    const TransmitterSettings& settings() const { return ram_; }
    const TransmitterSettings& eepromCopy() const { return eeprom_; }
    void writeConfiguration(const std::array<std::uint8_t, 22>& bytes, std::int16_t nominalHigh,
                            std::int16_t nominalLow);
    // Refused (invalid selection) for a table that does not rise, unless
    // the device is a switch.
    std::uint8_t writeAgwTable(const std::array<std::int16_t, 11>& agw);
    std::uint8_t writeDamping(float seconds);
    std::uint8_t writeRange(std::uint8_t unitCode, float upper, float lower);
    // The primary variable's unit: range values converted into it.
    std::uint8_t writeUnit(std::uint8_t unitCode);
    // The sensor's nominal range ends and its minimum span, in the range unit.
    double sensorUpperLimit() const { return fromRecordUnit(ram_.nominalHigh, ram_.rangeUnit); }
    double sensorLowerLimit() const { return fromRecordUnit(ram_.nominalLow, ram_.rangeUnit); }
    double minimumSpan() const;
    // The range ends as fractions of the nominal range (0 at its lower end,
    // 1 at its upper one).
    std::pair<double, double> rangeOfNominal() const;
    std::uint8_t setUpperRangeToPv();
    std::uint8_t setLowerRangeToPv();
    std::uint8_t setFixedCurrent(float milliamps);
    std::uint8_t trimZero(float measuredMa);
    std::uint8_t trimGain(float measuredMa);
    // The write-protection switch set, in RAM and EEPROM (the device's
    // jumper: it stays whatever was stored before).
    void protectWrites();
    void copyToEeprom() { eeprom_ = ram_; }
    void restoreFromEeprom();
    // Power switched off and on: settings from the EEPROM copy, no fixed current.
    void powerUp();

    // The process value in the catalogue record's unit, once when the device
    // comes up, then every 250 ms.
    void start(double process);
    void step(double process);

    bool writeProtected() const;
    bool isSwitch() const;
    std::uint8_t alarmSelectCode() const;
    std::uint8_t manufacturer() const { return ram_.configurationBytes[19]; }
    double primaryValue() const;  // in the range unit
    double percentOfRange() const;
    float loopCurrentMa() const;     // the current the device drives
    double outputCurrentMa() const;  // what flows: the DAC with its error and trim
    std::int16_t converterCounts() const { return counts_; }
    bool currentFixed() const { return fixedMa_ != 0.0f; }
    float fixedCurrentMa() const { return fixedMa_; }
    // Second status byte: bit 3 loop current fixed, bit 2 loop current
    // saturated, bit 0 primary variable beyond the sensor limits.
    std::uint8_t status() const;

    void save(Memory* memory) const;
    void load(const Memory& memory);

  private:
    double toRecordUnit(double value, std::uint8_t unitCode) const;
    double fromRecordUnit(double value, std::uint8_t unitCode) const;
    std::int16_t sensorCounts(double process) const;
    double measuredFromCounts(std::int16_t counts) const;
    double tolerance() const;
    void follow(double process, bool settle);

    CatalogueRecord record_;
    const HartUnit* recordUnit_;
    TransmitterSettings ram_;
    TransmitterSettings eeprom_;
    float fixedMa_ = 0;
    std::int16_t counts_ = 0;
    double measured_ = 0;  // damped, in the record's unit
    bool switchOn_ = false;
    int switchPending_ = 0;
    double loopMa_ = 4.0;
    bool saturated_ = false;
};

}  // namespace hartsim
