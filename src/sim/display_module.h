#pragma once
// The plug-on display module: it measures the loop current with its ADC
// (1000 counts per mA, so 4 mA reads 4000), shows the measured value on
// four seven-segment digits in its unit and decimal point, drives two switch
// outputs from set/reset points or windows, keeps trailing pointers and an
// error log, and holds its configuration blocks in RAM, in EEPROM and as a
// factory set.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/block_layouts.h"
#include "sim/catalogue.h"
#include "sim/error_log.h"
#include "sim/memory_file.h"
#include "sim/simulator.h"

namespace hartsim {

// DispMode of block 89: what the read-out shows.
constexpr std::uint8_t kDispModeMeasuring = 0;
constexpr std::uint8_t kDispModeMenu = 1;
constexpr std::uint8_t kDispModeSwitchTest = 2;
constexpr std::uint8_t kDispModeInfo = 3;
constexpr std::uint8_t kDispModeFixedCurrent = 5;

// Below and above these counts the input is beyond what a working loop
// carries (the transmitter saturates at 3.8 and 20.5 mA).
constexpr int kInputLowCounts = 3700;
constexpr int kInputHighCounts = 20800;

// What the four digits show.
struct ReadOut {
    std::array<char, 4> text{};  // right-aligned digits without point or sign, or a word
    int decimals = 0;            // digits after the decimal point
    bool negative = false;
    bool numeric = true;
    std::string str() const { return std::string(text.begin(), text.end()); }
};

// The answer of the module to a block write or an action.
struct ModuleAnswer {
    std::uint8_t responseCode = 0;
    std::vector<std::uint8_t> data;
    int extraDelayMs = 0;  // an action that takes its time answers late
};

class DisplayModule {
  public:
    DisplayModule(const CatalogueRecord& record, const DeviceConfig& config);

    static bool hasBlock(int number);
    // Precondition: hasBlock(number).
    BlockImage read(int number) const;
    ModuleAnswer write(const std::vector<std::uint8_t>& request);
    ModuleAnswer act(std::uint8_t code, std::uint8_t filler);

    // The loop current when the device comes up (trailing pointers start there).
    void start(double loopCurrentMa, bool currentFixed);
    // One step of 250 ms with the loop current flowing now (as a meter in
    // the loop would read it) and whether the transmitter holds it fixed.
    void step(double loopCurrentMa, bool currentFixed);
    void recordError(std::uint8_t code);
    // On a transmitter the module keeps the range as converter counts over
    // the nominal range (4000 ... 20000): it takes the range ends given as
    // fractions of the nominal range, in RAM.
    void followRange(double lower, double upper);
    // Power switched off and on: RAM is loaded from EEPROM.
    void powerUp();

    int adc() const { return adc_; }
    ReadOut readOut() const;
    // Switch output n (1 or 2) conducting.
    bool switchClosed(int output) const;
    int lowTrail() const { return loTrail_; }
    int highTrail() const { return hiTrail_; }
    std::optional<std::uint8_t> lastVersCheck() const { return lastVersCheck_; }
    bool eepromHoldsRam() const;
    bool factoryMenuVisible() const;
    const ErrorLog& errorLog() const { return log_; }
    std::uint32_t powerOnCount() const { return powerOnCount_; }

    void save(Memory* memory) const;
    void load(const Memory& memory);

  private:
    enum class View { Measuring, ShowHigh, ShowLow, Menu, Info };
    struct Channel {
        bool active = false;  // the switching condition holds (before normally-closed inversion)
        int pendingSteps = 0;
    };
    using Blocks = std::map<int, BlockImage>;

    std::int64_t get(int block, const char* name) const;
    void set(int block, const char* name, std::int64_t value);
    double valueAt(double counts) const;  // in the live unit; NaN without a valid calibration
    ReadOut format(double value) const;
    ReadOut word(const char* text) const;
    std::vector<std::string> menuItems() const;
    bool inputError() const;
    void updateChannels(bool immediately);
    bool condition(int output, bool active) const;
    void resetViews();
    ModuleAnswer key(std::uint8_t code);
    ModuleAnswer teach(std::uint8_t code);
    BlockImage logBlock() const;
    BlockImage errorTableBlock(int number) const;
    BlockImage liveBlock() const;
    std::uint8_t dispMode() const;
    void logEvent(std::uint8_t code);
    void fillErrorLog(int newest);

    Blocks ram_, eeprom_, factory_;
    std::uint8_t interfaceVersion_;
    int teachDelayMs_;
    std::optional<std::uint8_t> lastVersCheck_;

    int adc_ = 0;
    bool currentFixed_ = false;
    int inputState_ = 0;  // -1 below, +1 above the input range, 0 inside
    int loTrail_ = 0;
    int hiTrail_ = 0;
    std::array<Channel, 2> channels_{};
    bool switchTest_ = false;
    std::array<bool, 2> forced_{};

    View view_ = View::Measuring;
    int viewSteps_ = 0;
    int menuItem_ = 0;
    std::uint8_t keys_ = 0;
    std::array<std::uint8_t, 3> touches_{};
    std::array<char, 4> customUnitRam_{{' ', ' ', ' ', ' '}};
    std::array<char, 4> customUnitEeprom_{{' ', ' ', ' ', ' '}};

    ErrorLog log_;
    std::uint64_t steps_ = 0;
    std::uint32_t powerOnCount_ = 0;
    std::uint32_t operatingSeconds_ = 0;
};

}  // namespace hartsim
