#include "display_module.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>

#include "byte_order.h"
#include "sim/units.h"

namespace hartsim {

namespace {

// The blocks of our configuration, in the order of their numbers. The
// factory set holds the settings a user may change (switch points, units
// and ranges, calibration and presentation, hardware settings), not the
// identity and production data of blocks 0 to 3.
const int kConfigurationBlocks[] = {0, 1, 2, 3, 10, 11, 12, 13, 20};
const int kFactoryBlocks[] = {10, 11, 12, 13, 20};

// The items of one switch output, as its block names them.
struct ChannelItems {
    int block;
    const char* setPoint;
    const char* resetPoint;
    const char* frameHigh;
    const char* frameLow;
    const char* setDelay;
    const char* resetDelay;
    const char* function;
};
const ChannelItems kChannels[2] = {
    {10, "mp_SP_1", "mp_rP_1", "mp_FH_1", "mp_FL_1", "mp_dS_1", "mp_dr_1", "mp_out1"},
    {11, "mp_SP_2", "mp_rP_2", "mp_FH_2", "mp_FL_2", "mp_dS_2", "mp_dr_2", "mp_out2"},
};
// Output functions: hysteresis or window, normally open or normally closed.
constexpr int kFunctionHysteresisOpen = 0;
constexpr int kFunctionHysteresisClosed = 1;
constexpr int kFunctionWindowClosed = 3;

// teach windows: the input must be within 1 mA of the point taught.
constexpr int kTeachWindowCounts = 1000;
constexpr int k4mACounts = 4000;
constexpr int k20mACounts = 20000;

// How long the read-out shows something else than the measured value, in
// steps of 250 ms: a trailing pointer 2 s, each info value 1 s, the menu
// until a minute without a key.
constexpr int kShowTrailSteps = 8;
constexpr int kInfoPhaseSteps = 4;
constexpr int kInfoSteps = 3 * kInfoPhaseSteps;
constexpr int kMenuSteps = 240;

// Keys byte of block 89: the buttons of the last simulated press, bit 7
// for a long press.
constexpr std::uint8_t kKey1 = 0x01;
constexpr std::uint8_t kKey2 = 0x02;
constexpr std::uint8_t kKey3 = 0x04;
constexpr std::uint8_t kKeyLong = 0x80;

// Response codes of refused requests.
constexpr std::uint8_t kInvalidSelection = 2;
constexpr std::uint8_t kTooLarge = 3;
constexpr std::uint8_t kTooSmall = 4;
constexpr std::uint8_t kTooFewDataBytes = 5;
constexpr std::uint8_t kInputTooHigh = 9;
constexpr std::uint8_t kInputTooLow = 10;

// Decimals that leave four digits for the larger range end, as the module
// scales its calibration values: 16 -> 2, 250 -> 1, 1000 -> 0.
int fourDigitDecimals(double lower, double upper) {
    const long largest = std::lround(std::max(std::fabs(lower), std::fabs(upper)));
    int digits = 1;
    for (long v = largest; v >= 10; v /= 10) ++digits;
    return 4 - std::min(digits, 4);
}

int scaled(double value, int decimals) {
    return static_cast<int>(std::lround(value * std::pow(10.0, decimals)));
}

int clampCounts(long counts) {
    return static_cast<int>(std::clamp(counts, -32768L, 32767L));
}

ModuleAnswer done(std::uint8_t first = 0, std::uint8_t second = 0) {
    return {0, {first, second}, 0};
}

ModuleAnswer refused(std::uint8_t code) {
    return {code, {}, 0};
}

// The read-out's decimals for a unit other than the calibration unit: those
// that leave four digits for the range shown in it (0 ... 16 bar is 0 ...
// 16000 mbar: none; -50 ... 250 °C is -58 ... 482 °F: one).
int liveUnitDecimals(const CatalogueRecord& record, int measurand, int calibrationUnit,
                     int liveUnit) {
    const DisplayUnit& from = *displayUnit(measurand, calibrationUnit);
    const DisplayUnit& to = *displayUnit(measurand, liveUnit);
    const auto shown = [&](double value, double fraction) {
        if (to.kind == UnitKind::Percent) return 100.0 * fraction;
        if (to.kind == UnitKind::Milliamp) return 4.0 + 16.0 * fraction;
        return fromBase(toBase(value, from.factor, from.offset), to.factor, to.offset);
    };
    return fourDigitDecimals(shown(record.lowerRange, 0.0), shown(record.upperRange, 1.0));
}

std::string blockKey(const char* memory, int block) {
    return std::string("display.") + memory + "." + std::to_string(block);
}

// What a new module is set up with, from its catalogue record and options.
struct ModuleSetup {
    int measurand = kMeasurandPressure;
    int unit = 0;
    bool serial = false;  // plugged onto a transmitter
    int calDecimals = 0;
    int liveUnit = 0;
    int liveDecimals = 0;
    int lowerRange = 0, upperRange = 0;      // as the module stores them
    int lowerNominal = 0, upperNominal = 0;  // scaled by the calibration decimals
    std::uint32_t id = 0;
};

ModuleSetup moduleSetup(const CatalogueRecord& record, const DeviceConfig& config) {
    ModuleSetup s;
    findDisplayUnit(record.unit, &s.measurand, &s.unit);
    const int decimals = fourDigitDecimals(record.lowerRange, record.upperRange);
    // Plugged onto a transmitter, the module takes the converter counts over
    // its serial interface: its range ends are counts over the nominal range
    // (4000 and 20000 at the nominal ends), the nominal range whole numbers
    // unless a calibration decimal point was set up. On its own it measures
    // the loop current and keeps range and nominal range scaled by its
    // calibration decimals.
    s.serial = config.presence == Presence::Both;
    s.calDecimals = config.calibrationDecimals >= 0 && config.calibrationDecimals <= 3
                        ? config.calibrationDecimals
                    : s.serial ? 0
                               : decimals;
    // The read-out in the unit it was set up in, or in the calibration unit.
    const int wantedUnit = displayUnitIndex(s.measurand, config.displayUnit);
    s.liveUnit = wantedUnit >= 0 ? wantedUnit : s.unit;
    s.liveDecimals =
        s.liveUnit == s.unit ? decimals : liveUnitDecimals(record, s.measurand, s.unit, s.liveUnit);
    const auto counts = [&](double value) {
        const double span = record.upperNominal - record.lowerNominal;
        if (span == 0) return k4mACounts;
        return static_cast<int>(
            std::lround(4000.0 + 16000.0 * (value - record.lowerNominal) / span));
    };
    const auto range = [&](double value) {
        return s.serial ? counts(value) : scaled(value, s.calDecimals);
    };
    s.lowerRange = range(record.lowerRange);
    s.upperRange = range(record.upperRange);
    s.lowerNominal = scaled(record.lowerNominal, s.calDecimals);
    s.upperNominal = scaled(record.upperNominal, s.calDecimals);
    s.id = config.deviceId & 0xFFFFFF;
    return s;
}

struct InitialItem {
    int block;
    const char* name;
    std::int64_t value;
};

// The items of a new module that are not 0.
std::vector<InitialItem> initialItems(const ModuleSetup& s) {
    // Switch points are converter counts: 1000 per mA of the loop current.
    auto at = [](double fraction) {
        return static_cast<int>(std::lround(4000.0 + 16000.0 * fraction));
    };
    const std::uint32_t id = s.id;
    // Versions read as "01.05" (high byte, low byte); the firmware was built
    // on 14 March 2023 at 11:27. Switch 1 sets at 60 % and resets at 55 % of
    // the range, switch 2 at 80 % and 75 %; both hysteresis, normally open.
    return {
        {0, "SizeOf_prd", 60},
        {0, "bIntSerIO", s.serial ? 1 : 0},
        {0, "mp_SW1", 0x0105},
        {0, "mp_SW2", 0x0203},
        {0, "mp_HW1", 0x0100},
        {0, "mp_HW2", 0x0102},
        {0, "FW_YYYY", 2023},
        {0, "FW_DDMM", 1403},
        {0, "FW_HHMM", 1127},
        {1, "fs_CalibDone", 1},
        {1, "mp_SN1_TRM", 23},
        {1, "mp_SN2_TRM", id % 30000},
        {1, "pc_SN3_DISP", 24},
        {1, "pc_SN4_DISP", (id * 7) % 30000},
        {1, "pc_ui32_GUID", 0x5A000000u | id},
        {1, "pc_ui32ProdAutoID", 100000u + id % 100000u},
        {10, "SizeOf_cal", 44},
        {10, "pc_SPrPspace100th", 50},
        {10, "mp_SP_1", at(0.60)},
        {10, "mp_rP_1", at(0.55)},
        {10, "mp_FH_1", at(0.60)},
        {10, "mp_FL_1", at(0.55)},
        {10, "mp_out1", kFunctionHysteresisOpen},
        {10, "mp_LED1", 1},
        {11, "SP_Feature_cfg", 3},
        {11, "LEDmodeVisible", 1},
        {11, "mp_SP_2", at(0.80)},
        {11, "mp_rP_2", at(0.75)},
        {11, "mp_FH_2", at(0.80)},
        {11, "mp_FL_2", at(0.75)},
        {11, "mp_out2", kFunctionHysteresisOpen},
        {11, "mp_LED2", 1},
        {12, "fs_Measurand", s.measurand},
        {12, "fs_CalibUnit", s.unit},
        {12, "fs_CalibDecP", s.calDecimals},
        {12, "mp_LiveUnit", s.liveUnit},
        {12, "mp_LiveDecP", s.liveDecimals},
        {12, "mp_AD_SLr", s.lowerRange},
        {12, "mp_AD_Sur", s.upperRange},
        {12, "pc_NominalRangeLow", s.lowerNominal},
        {12, "pc_NominalRangeHigh", s.upperNominal},
        {12, "pc_SlrSurSpace100th", 100},
        // The range ends sit at 4000 and 20000 converter counts (4 and 20 mA).
        {13, "fs_AD_cal_Low", k4mACounts},
        {13, "fs_AD_cal_High", k20mACounts},
        {13, "mp_td", 10},
        {13, "mp_tu", 10},
        {20, "SizeOf_hw", 20},
        {20, "pc_SegmentAdaptiveBrightMode", 1},
        {20, "pc_CurrentAdaptiveBrightMode", 1},
        {20, "pc_NonMuxLEDsAdaptActiveDiv", 4},
        {20, "pc_en_RxD1_Pullup", 1},
        {20, "pc_startup_delay_LS_TP", 500},
        {20, "pc_tara_pulse_len", 100},
    };
}

}  // namespace

DisplayModule::DisplayModule(const CatalogueRecord& record, const DeviceConfig& config)
    : interfaceVersion_(static_cast<std::uint8_t>(config.displayInterfaceVersion)),
      teachDelayMs_(config.teachMs) {
    const ModuleSetup setup = moduleSetup(record, config);
    for (int block : kConfigurationBlocks) {
        ram_[block] = BlockImage{};
        ram_[block][0] = static_cast<std::uint8_t>(block);
    }
    for (const InitialItem& i : initialItems(setup)) set(i.block, i.name, i.value);
    char idText[8];
    std::snprintf(idText, sizeof idText, "%06X", static_cast<unsigned>(setup.id));
    const char pad = config.nulPaddedTexts ? '\0' : ' ';
    setItemText(ram_[2], blockItem(2, "pc_ASCII_TagID"),
                std::string(setup.measurand == kMeasurandTemperature ? "TT-" : "PT-") + idText,
                pad);
    setItemText(ram_[2], blockItem(2, "pc_ASCII_SN_ZEL1"), "2311", pad);
    setItemText(ram_[3], blockItem(3, "pc_ASCII_SN_ZEL2"), std::string("ZH") + idText + "-23", pad);
    eeprom_ = ram_;
    factory_ = ram_;

    // A past with a few events: power failures and a sensor warning.
    log_.record(kErrorPowerFailure, 1200, 3);
    log_.record(kErrorSensorWarning, 4017600, 64);
    log_.record(kErrorPowerFailure, 8121000, 131);
    powerOnCount_ = 137;
    operatingSeconds_ = 8640000;  // 100 days
    if (config.errorLogNewest >= 0) fillErrorLog(config.errorLogNewest);
}

// A long past: the ring has gone round once and a bit, so that its newest
// entry lands at table index `newest`. Every entry differs from the others
// in time stamp and power-on count; the codes go round the module's list.
void DisplayModule::fillErrorLog(int newest) {
    log_ = ErrorLog{};
    const std::vector<ErrorCode>& codes = errorCodes();
    const int events = kErrorTableSize + newest + 1;
    std::uint32_t time = 0;
    std::uint32_t powerOn = 0;
    for (int k = 0; k < events; ++k) {
        time =
            3600u + static_cast<std::uint32_t>(k) * 86400u + static_cast<std::uint32_t>(k * k) * 7u;
        powerOn = 2u + static_cast<std::uint32_t>(k) * 3u;
        log_.record(codes[static_cast<std::size_t>(k) % codes.size()].code, time, powerOn);
    }
    powerOnCount_ = powerOn + 1;
    operatingSeconds_ = time + 3600;
}

bool DisplayModule::hasBlock(int number) {
    return findBlockLayout(number) != nullptr;
}

std::int64_t DisplayModule::get(int block, const char* name) const {
    return itemValue(ram_.at(block), blockItem(block, name));
}

void DisplayModule::set(int block, const char* name, std::int64_t value) {
    setItemValue(ram_.at(block), blockItem(block, name), value);
}

void DisplayModule::logEvent(std::uint8_t code) {
    log_.record(code, operatingSeconds_, powerOnCount_);
}

void DisplayModule::followRange(double lower, double upper) {
    if (get(0, "bIntSerIO") != 1) return;
    const auto counts = [](double fraction) {
        return std::clamp<std::int64_t>(std::llround(4000.0 + 16000.0 * fraction), -32768, 32767);
    };
    set(12, "mp_AD_SLr", counts(lower));
    set(12, "mp_AD_Sur", counts(upper));
}

void DisplayModule::recordError(std::uint8_t code) {
    logEvent(code);
}

BlockImage DisplayModule::read(int number) const {
    const BlockLayout& layout = *findBlockLayout(number);
    BlockImage image;
    switch (layout.kind) {
        case BlockKind::Configuration:
            image = ram_.at(number);
            break;
        case BlockKind::Log:
            image = number == 60 ? logBlock() : errorTableBlock(number);
            break;
        case BlockKind::Live:
            image = liveBlock();
            break;
    }
    image[0] = static_cast<std::uint8_t>(number);
    // Change flags only travel towards the module.
    image[kBlockFlagsOffset] = 0;
    image[kBlockFlagsOffset + 1] = 0;
    image[kBlockVersionOffset] = interfaceVersion_;
    return image;
}

ModuleAnswer DisplayModule::write(const std::vector<std::uint8_t>& request) {
    if (request.size() < static_cast<std::size_t>(kBlockSize)) return refused(kTooFewDataBytes);
    const int number = request[0];
    lastVersCheck_ = request[kBlockVersionOffset];
    const BlockLayout* layout = findBlockLayout(number);
    if (layout == nullptr || layout->kind != BlockKind::Configuration) {
        logEvent(kErrorBlockRefused);
        return refused(kInvalidSelection);
    }
    if (request[kBlockVersionOffset] != interfaceVersion_) logEvent(kErrorVersionMismatch);

    // Only flagged slots are taken, and of them only what the master may
    // decide; bits 10 to 15 belong to no data slot.
    const unsigned flags = request[kBlockFlagsOffset] | (request[kBlockFlagsOffset + 1] << 8);
    auto flagged = [flags](int slot) { return (flags & (1u << slot)) != 0; };
    BlockImage candidate = ram_.at(number);
    for (const BlockItem& item : layout->items) {
        if (item.keeper == Keeper::Module) continue;
        for (int at = item.offset; at < item.offset + item.width; ++at) {
            if (flagged((at - 1) / 2))
                candidate[static_cast<std::size_t>(at)] = request[static_cast<std::size_t>(at)];
        }
    }
    const int measurand =
        number == 12 ? static_cast<int>(itemValue(candidate, blockItem(12, "fs_Measurand")))
                     : static_cast<int>(get(12, "fs_Measurand"));
    for (const BlockItem& item : layout->items) {
        if (item.keeper == Keeper::Module || item.limit == Limit::Any) continue;
        bool touched = false;
        for (int slot = item.firstSlot(); slot <= item.lastSlot(); ++slot) touched |= flagged(slot);
        if (!touched) continue;
        int minimum = item.minimum;
        int maximum = item.maximum;
        if (item.limit == Limit::DisplayUnit) {
            minimum = 0;
            maximum = static_cast<int>(displayUnits(measurand).size()) - 1;
        } else if (item.limit == Limit::CalibrationUnit) {
            minimum = 0;
            maximum = calibrationUnitCount(measurand) - 1;
        }
        const std::int64_t value = itemValue(candidate, item);
        if (value < minimum || value > maximum) {
            logEvent(kErrorValueRefused);
            return refused(value > maximum ? kTooLarge : kTooSmall);
        }
    }
    ram_[number] = candidate;
    const BlockImage back = read(number);
    return {0, std::vector<std::uint8_t>(back.begin(), back.end()), 0};
}

// ---------------------------------------------------------------- measuring

double DisplayModule::valueAt(double counts) const {
    const double calLow = static_cast<double>(get(13, "fs_AD_cal_Low"));
    const double calHigh = static_cast<double>(get(13, "fs_AD_cal_High"));
    if (calHigh == calLow) return std::numeric_limits<double>::quiet_NaN();
    const double scale = std::pow(10.0, std::clamp<std::int64_t>(get(12, "fs_CalibDecP"), 0, 3));
    double lower = static_cast<double>(get(12, "mp_AD_SLr")) / scale;
    double upper = static_cast<double>(get(12, "mp_AD_Sur")) / scale;
    if (get(0, "bIntSerIO") == 1) {
        // Range ends in counts over the nominal range.
        const double nomLow = static_cast<double>(get(12, "pc_NominalRangeLow")) / scale;
        const double nomHigh = static_cast<double>(get(12, "pc_NominalRangeHigh")) / scale;
        lower = nomLow +
                (static_cast<double>(get(12, "mp_AD_SLr")) - 4000.0) * (nomHigh - nomLow) / 16000.0;
        upper = nomLow +
                (static_cast<double>(get(12, "mp_AD_Sur")) - 4000.0) * (nomHigh - nomLow) / 16000.0;
    }
    const double value = lower + (counts - calLow) * (upper - lower) / (calHigh - calLow);

    const int measurand = static_cast<int>(get(12, "fs_Measurand"));
    const DisplayUnit* live = displayUnit(measurand, static_cast<int>(get(12, "mp_LiveUnit")));
    const DisplayUnit* calibration =
        displayUnit(measurand, static_cast<int>(get(12, "fs_CalibUnit")));
    if (live == nullptr) return value;
    if (live->kind != UnitKind::Absolute) {
        if (upper == lower) return std::numeric_limits<double>::quiet_NaN();
        const double fraction = (value - lower) / (upper - lower);
        return live->kind == UnitKind::Percent ? 100.0 * fraction : 4.0 + 16.0 * fraction;
    }
    if (calibration != nullptr && calibration != live && calibration->kind == UnitKind::Absolute) {
        return fromBase(toBase(value, calibration->factor, calibration->offset), live->factor,
                        live->offset);
    }
    return value;
}

ReadOut DisplayModule::word(const char* text) const {
    ReadOut out;
    out.numeric = false;
    for (std::size_t i = 0; i < out.text.size(); ++i) out.text[i] = text[i];
    return out;
}

ReadOut DisplayModule::format(double value) const {
    if (std::isnan(value)) return word("----");
    // The unit's decimal point when the value fits four digits with it,
    // otherwise (and for "automatic", -1) as many decimals as fit.
    const std::int64_t wanted = get(12, "mp_LiveDecP");
    int decimals = wanted >= 0 && wanted <= 3 ? static_cast<int>(wanted) : 3;
    auto digitsOf = [&] { return std::llround(std::fabs(value) * std::pow(10.0, decimals)); };
    long long digits = digitsOf();
    while (digits > 9999 && decimals > 0) {
        --decimals;
        digits = digitsOf();
    }
    if (digits > 9999) return word("OvEr");
    ReadOut out;
    char text[8];
    std::snprintf(text, sizeof text, "%4.*lld", decimals + 1, digits);
    std::memcpy(out.text.data(), text, 4);
    out.decimals = decimals;
    out.negative = value < 0 && digits != 0;
    return out;
}

std::vector<std::string> DisplayModule::menuItems() const {
    std::vector<std::string> items = {"SP 1", "rP 1", "SP 2", "rP 2", "Unit", "dP  ", "rot "};
    if (factoryMenuVisible()) items.push_back("FAct");
    items.push_back("End ");
    return items;
}

bool DisplayModule::factoryMenuVisible() const {
    return get(1, "fs_CalibDone") == 0;
}

bool DisplayModule::inputError() const {
    return inputState_ != 0;
}

ReadOut DisplayModule::readOut() const {
    if (inputState_ < 0) return word("Er L");
    if (inputState_ > 0) return word("Er H");
    switch (view_) {
        case View::Menu: {
            const std::vector<std::string> items = menuItems();
            return word(items[static_cast<std::size_t>(menuItem_) % items.size()].c_str());
        }
        case View::Info: {
            static const char* const kInfo[] = {"FW_YYYY", "FW_DDMM", "FW_HHMM"};
            const int phase = std::clamp((kInfoSteps - viewSteps_) / kInfoPhaseSteps, 0, 2);
            ReadOut out;
            char text[8];
            std::snprintf(text, sizeof text, "%04d",
                          static_cast<int>(get(0, kInfo[phase]) % 10000));
            std::memcpy(out.text.data(), text, 4);
            return out;
        }
        case View::ShowHigh:
            return format(valueAt(hiTrail_));
        case View::ShowLow:
            return format(valueAt(loTrail_));
        case View::Measuring:
            break;
    }
    // With the additional unit on, the read-out shows the value for mp_td
    // and the unit for mp_tu tenths of a second, in turn.
    const std::int64_t valueTenths = get(13, "mp_td");
    const std::int64_t unitTenths = get(13, "mp_tu");
    if (get(13, "mp_AddUnit") == 1 && unitTenths > 0) {
        const std::int64_t tenths =
            static_cast<std::int64_t>(steps_ * 5 / 2) % (valueTenths + unitTenths);
        if (tenths >= valueTenths) {
            const DisplayUnit* unit = displayUnit(static_cast<int>(get(12, "fs_Measurand")),
                                                  static_cast<int>(get(12, "mp_LiveUnit")));
            return word(unit != nullptr ? unit->word : "    ");
        }
    }
    return format(valueAt(adc_));
}

bool DisplayModule::condition(int output, bool active) const {
    const ChannelItems& c = kChannels[output - 1];
    const std::int64_t function = get(c.block, c.function);
    if (function == kFunctionHysteresisOpen || function == kFunctionHysteresisClosed) {
        const std::int64_t setPoint = get(c.block, c.setPoint);
        const std::int64_t resetPoint = get(c.block, c.resetPoint);
        // A set point below its reset point switches on falling values.
        const bool rising = setPoint >= resetPoint;
        if (rising ? adc_ >= setPoint : adc_ <= setPoint) return true;
        if (rising ? adc_ <= resetPoint : adc_ >= resetPoint) return false;
        return active;  // inside the hysteresis the output keeps its state
    }
    const std::int64_t high = get(c.block, c.frameHigh);
    const std::int64_t low = get(c.block, c.frameLow);
    return adc_ >= std::min(low, high) && adc_ <= std::max(low, high);
}

void DisplayModule::updateChannels(bool immediately) {
    for (int output = 1; output <= 2; ++output) {
        Channel& channel = channels_[static_cast<std::size_t>(output - 1)];
        const ChannelItems& c = kChannels[output - 1];
        const bool target = condition(output, immediately ? false : channel.active);
        if (target == channel.active || immediately) {
            channel.active = target;
            channel.pendingSteps = 0;
            continue;
        }
        // The condition must hold for the delay (tenths of a second) before
        // the output follows: steps of 2.5 tenths, rounded up.
        const std::int64_t tenths = get(c.block, target ? c.setDelay : c.resetDelay);
        const std::int64_t steps = (tenths * 2 + 4) / 5;
        if (++channel.pendingSteps > steps) {
            channel.active = target;
            channel.pendingSteps = 0;
        }
    }
}

bool DisplayModule::switchClosed(int output) const {
    if (output != 1 && output != 2) return false;
    const std::size_t index = static_cast<std::size_t>(output - 1);
    if (switchTest_) return forced_[index];
    if ((get(11, "SP_Feature_cfg") & (1 << index)) == 0) return false;
    const std::int64_t function = get(kChannels[index].block, kChannels[index].function);
    const bool normallyClosed =
        function == kFunctionHysteresisClosed || function == kFunctionWindowClosed;
    return channels_[index].active != normallyClosed;
}

void DisplayModule::start(double loopCurrentMa, bool currentFixed) {
    adc_ = clampCounts(std::lround(loopCurrentMa * 1000.0));
    currentFixed_ = currentFixed;
    inputState_ = adc_ < kInputLowCounts ? -1 : adc_ > kInputHighCounts ? 1 : 0;
    loTrail_ = hiTrail_ = adc_;
    updateChannels(true);
}

void DisplayModule::step(double loopCurrentMa, bool currentFixed) {
    ++steps_;
    if (steps_ % 4 == 0) ++operatingSeconds_;
    adc_ = clampCounts(std::lround(loopCurrentMa * 1000.0));
    currentFixed_ = currentFixed;
    const int state = adc_ < kInputLowCounts ? -1 : adc_ > kInputHighCounts ? 1 : 0;
    if (state != 0 && state != inputState_) logEvent(state < 0 ? kErrorInputLow : kErrorInputHigh);
    inputState_ = state;
    // Trailing pointers keep to real readings, not to the error words.
    if (state == 0) {
        loTrail_ = std::min(loTrail_, adc_);
        hiTrail_ = std::max(hiTrail_, adc_);
    }
    updateChannels(false);
    if (viewSteps_ > 0 && --viewSteps_ == 0) view_ = View::Measuring;
}

void DisplayModule::resetViews() {
    view_ = View::Measuring;
    viewSteps_ = 0;
    menuItem_ = 0;
    switchTest_ = false;
    forced_ = {};
}

void DisplayModule::powerUp() {
    for (int block : kConfigurationBlocks) ram_[block] = eeprom_.at(block);
    ++powerOnCount_;
    resetViews();
    keys_ = 0;
    updateChannels(true);
}

bool DisplayModule::eepromHoldsRam() const {
    return ram_ == eeprom_;
}

// ------------------------------------------------------------------ actions

ModuleAnswer DisplayModule::teach(std::uint8_t code) {
    if (inputError()) {
        logEvent(kErrorTeachRefused);
        return refused(inputState_ < 0 ? kInputTooLow : kInputTooHigh);
    }
    const std::int64_t calLow = get(13, "fs_AD_cal_Low");
    const std::int64_t calHigh = get(13, "fs_AD_cal_High");
    std::int64_t newLow = calLow;
    std::int64_t newHigh = calHigh;
    if (code == 0 || code == 1) {
        // The loop carries 4 (20) mA now: this reading becomes that point.
        const int point = code == 0 ? k4mACounts : k20mACounts;
        if (std::abs(adc_ - point) > kTeachWindowCounts) {
            logEvent(kErrorTeachRefused);
            return refused(adc_ > point ? kInputTooHigh : kInputTooLow);
        }
        (code == 0 ? newLow : newHigh) = adc_;
    } else {
        // Lower range: the present input reads as the lower range value from
        // now on; both points move together, the span stays.
        newLow = adc_;
        newHigh = calHigh + (adc_ - calLow);
        if (newHigh > 32767 || newHigh < -32768) {
            logEvent(kErrorTeachRefused);
            return refused(newHigh > 32767 ? kInputTooHigh : kInputTooLow);
        }
    }
    // A taught point is kept for good, as the module keeps it at power-off:
    // in RAM and in the EEPROM copy, and nothing else of the block with it.
    for (Blocks* memory : {&ram_, &eeprom_}) {
        setItemValue(memory->at(13), blockItem(13, "fs_AD_cal_Low"), newLow);
        setItemValue(memory->at(13), blockItem(13, "fs_AD_cal_High"), newHigh);
    }
    ModuleAnswer answer = done();
    answer.extraDelayMs = teachDelayMs_;
    return answer;
}

ModuleAnswer DisplayModule::key(std::uint8_t code) {
    const bool inMenu = view_ == View::Menu;
    switch (code) {
        case 201:  // button 1: shows the high trailing pointer
            keys_ = kKey1;
            ++touches_[0];
            if (!inMenu) {
                view_ = View::ShowHigh;
                viewSteps_ = kShowTrailSteps;
            }
            break;
        case 202:  // button 2: in the menu, the next item
            keys_ = kKey2;
            ++touches_[1];
            if (inMenu) menuItem_ = (menuItem_ + 1) % static_cast<int>(menuItems().size());
            break;
        case 203:  // button 3: shows the low trailing pointer
            keys_ = kKey3;
            ++touches_[2];
            if (!inMenu) {
                view_ = View::ShowLow;
                viewSteps_ = kShowTrailSteps;
            }
            break;
        case 204:  // buttons 1 and 3 together: clear both trailing pointers
            keys_ = kKey1 | kKey3;
            ++touches_[0];
            ++touches_[2];
            if (!inMenu && !inputError()) loTrail_ = hiTrail_ = adc_;
            break;
        case 205:  // buttons 1 and 3 held for one to two seconds: the menu
            keys_ = kKey1 | kKey3 | kKeyLong;
            ++touches_[0];
            ++touches_[2];
            if (!inMenu) {
                view_ = View::Menu;
                menuItem_ = 0;
            }
            break;
        default:  // 206, button 2 held: leaves the menu
            keys_ = kKey2 | kKeyLong;
            ++touches_[1];
            if (inMenu) {
                view_ = View::Measuring;
                viewSteps_ = 0;
            }
            break;
    }
    if (view_ == View::Menu) viewSteps_ = kMenuSteps;
    return done();
}

ModuleAnswer DisplayModule::act(std::uint8_t code, std::uint8_t filler) {
    switch (code) {
        case 0:  // teach 4 mA
        case 1:  // teach 20 mA
        case 2:  // teach lower range
            return teach(code);
        case 3:  // clear the low trailing pointer
            loTrail_ = adc_;
            return done();
        case 4:  // clear the high trailing pointer
            hiTrail_ = adc_;
            return done();
        case 5:  // copy the configuration to EEPROM
            eeprom_ = ram_;
            return done();
        case 6:  // the present configuration becomes the factory setting
            for (int block : kFactoryBlocks) factory_[block] = ram_.at(block);
            return done();
        case 7:  // restore the factory setting, for good
            for (int block : kFactoryBlocks) ram_[block] = eeprom_[block] = factory_.at(block);
            return done();
        case 8:   // rotate by 180°
        case 9:   // rotate back to 0°
        case 10:  // toggle the rotation
            set(13, "mp_rot", code == 8 ? 1 : code == 9 ? 0 : 1 - (get(13, "mp_rot") & 1));
            return done();
        case 11:  // show the firmware build date and time
            view_ = View::Info;
            viewSteps_ = kInfoSteps;
            return done();
        case 12:  // erase all: factory setting, cleared pointers, restart
            for (int block : kFactoryBlocks) ram_[block] = eeprom_[block] = factory_.at(block);
            loTrail_ = hiTrail_ = adc_;
            ++powerOnCount_;
            resetViews();
            keys_ = 0;
            updateChannels(true);
            return done();
        case 13:  // re-init from the configuration
            resetViews();
            updateChannels(true);
            return done();
        case 14:   // set up done: the factory menu is hidden
        case 114:  // and shown again
            set(1, "fs_CalibDone", code == 14 ? 1 : 0);
            if (view_ == View::Menu) menuItem_ = 0;
            return done();
        case 20:  // re-init switch output 1 (2): delays and hysteresis start afresh
        case 21: {
            Channel& channel = channels_[static_cast<std::size_t>(code - 20)];
            channel.active = condition(code - 19, false);
            channel.pendingSteps = 0;
            return done();
        }
        case 22:  // our interface version
            return done(interfaceVersion_);
        case 23: {  // configuration word `filler`: ten per block, in block order
            const std::size_t block = filler / kBlockSlotCount;
            if (block >= std::size(kConfigurationBlocks)) return refused(kInvalidSelection);
            const BlockImage& image = ram_.at(kConfigurationBlocks[block]);
            const std::size_t at = static_cast<std::size_t>(1 + 2 * (filler % kBlockSlotCount));
            return done(image[at], image[at + 1]);
        }
        case 24: {  // firmware version: major, minor
            const std::int64_t version = get(0, "mp_SW1");
            return done(static_cast<std::uint8_t>(version >> 8),
                        static_cast<std::uint8_t>(version));
        }
        case 25:  // custom unit from EEPROM into the RAM buffer
            customUnitRam_ = customUnitEeprom_;
            return done();
        case 26:  // and back
            customUnitEeprom_ = customUnitRam_;
            return done();
        case 30:  // switch test: both off
        case 31:  // output 1 on
        case 32:  // output 2 on
            switchTest_ = true;
            if (code == 30) forced_ = {};
            if (code == 31) forced_[0] = true;
            if (code == 32) forced_[1] = true;
            return done();
        case 34:  // end of the switch test: the outputs follow the input again
            switchTest_ = false;
            forced_ = {};
            return done();
        case 201:
        case 202:
        case 203:
        case 204:
        case 205:
        case 206:
            return key(code);
        case 255:  // EEPROM back into RAM
            for (int block : kConfigurationBlocks) ram_[block] = eeprom_.at(block);
            return done();
        default:
            logEvent(kErrorUnknownAction);
            return refused(kInvalidSelection);
    }
}

// ------------------------------------------------------------- built blocks

std::uint8_t DisplayModule::dispMode() const {
    if (currentFixed_) return kDispModeFixedCurrent;
    if (switchTest_) return kDispModeSwitchTest;
    if (view_ == View::Menu) return kDispModeMenu;
    if (view_ == View::Info) return kDispModeInfo;
    return kDispModeMeasuring;
}

BlockImage DisplayModule::liveBlock() const {
    const ReadOut shown = readOut();
    BlockImage image{};
    auto put = [&image](const char* name, std::int64_t value) {
        setItemValue(image, blockItem(89, name), value);
    };
    setItemText(image, blockItem(89, "gaASCII_disp"), shown.str());
    setItemText(image, blockItem(89, "gaASCII_disp6"), "  ");
    // Dot pattern: bit n lights the point after digit n (0 = leftmost); bit
    // 6 is the minus sign. The raw pattern is what the segment driver gets:
    // turned by 180° the point moves to the mirrored digit.
    const int decimals = shown.numeric ? shown.decimals : 0;
    std::uint8_t dots = decimals > 0 ? static_cast<std::uint8_t>(1 << (3 - decimals)) : 0;
    std::uint8_t raw = dots;
    if (decimals > 0 && get(13, "mp_rot") == 1)
        raw = static_cast<std::uint8_t>(1 << (decimals - 1));
    if (shown.negative) {
        dots |= 0x40;
        raw |= 0x40;
    }
    put("gaASCII_dotpos", decimals);
    put("gaASCII_dotpatt", dots);
    put("gaASCII_rawdots", raw);
    put("LEDstate", (switchClosed(1) ? 0x01 : 0) | (switchClosed(2) ? 0x04 : 0));
    put("ADactRaw", adc_);
    put("DispMode", dispMode());
    put("Keys", keys_);
    put("QTouchKey0", touches_[0]);
    put("QTouchKey1", touches_[1]);
    put("QTouchKey2", touches_[2]);
    return image;
}

BlockImage DisplayModule::logBlock() const {
    BlockImage image{};
    auto put = [&image](const char* name, std::int64_t value) {
        setItemValue(image, blockItem(60, name), value);
    };
    put("SizeOf_logdata", 20);
    put("mp_AD_Lo_TrailPtr", loTrail_);
    put("mp_AD_Hi_TrailPtr", hiTrail_);
    // 1: the EEPROM copy holds what RAM holds; 2: changes wait for action 5.
    put("bLogDataStoreFailureCount", eepromHoldsRam() ? 1 : 2);
    put("pc_ui32PowerOnCount", powerOnCount_);
    put("pc_ui32OPseconds", operatingSeconds_);
    put("pc_ui16TotalEcCount", log_.total());
    put("pc_ui8LastEC", log_.lastCode());
    put("pc_ui8LastEC_index", log_.lastIndex());
    return image;
}

BlockImage DisplayModule::errorTableBlock(int number) const {
    const BlockLayout& layout = *findBlockLayout(number);
    BlockImage image{};
    const auto& table = log_.table();
    for (std::size_t i = 0; i < layout.items.size(); ++i) {
        std::int64_t value;
        if (number == 69) {
            value = table[i].code;
        } else {
            const std::size_t entry = static_cast<std::size_t>((number - 61) % 4) * 5 + i;
            value = number <= 64 ? table[entry].time : table[entry].powerOn;
        }
        setItemValue(image, layout.items[i], value);
    }
    return image;
}

// ------------------------------------------------------------------- memory

void DisplayModule::save(Memory* memory) const {
    for (int block : kConfigurationBlocks) {
        (*memory)[blockKey("ram", block)].assign(ram_.at(block).begin(), ram_.at(block).end());
        (*memory)[blockKey("eeprom", block)].assign(eeprom_.at(block).begin(),
                                                    eeprom_.at(block).end());
        (*memory)[blockKey("factory", block)].assign(factory_.at(block).begin(),
                                                     factory_.at(block).end());
    }
    (*memory)[kErrorLogMemory] = log_.pack();
    std::vector<std::uint8_t> counters;
    put32(counters, powerOnCount_);
    put32(counters, operatingSeconds_);
    put32(counters, static_cast<std::uint32_t>(loTrail_));
    put32(counters, static_cast<std::uint32_t>(hiTrail_));
    (*memory)[kCountersMemory] = counters;
    std::vector<std::uint8_t> custom(customUnitRam_.begin(), customUnitRam_.end());
    custom.insert(custom.end(), customUnitEeprom_.begin(), customUnitEeprom_.end());
    (*memory)["display.customunit"] = custom;
}

void DisplayModule::load(const Memory& memory) {
    auto loadBlocks = [&memory](const char* name, Blocks& blocks) {
        for (int block : kConfigurationBlocks) {
            const auto found = memory.find(blockKey(name, block));
            if (found == memory.end() ||
                found->second.size() != static_cast<std::size_t>(kBlockSize) ||
                found->second[0] != block) {
                continue;
            }
            std::copy(found->second.begin(), found->second.end(), blocks[block].begin());
        }
    };
    loadBlocks("ram", ram_);
    loadBlocks("eeprom", eeprom_);
    loadBlocks("factory", factory_);
    if (const auto found = memory.find(kErrorLogMemory); found != memory.end())
        log_.unpack(found->second);
    if (const auto found = memory.find(kCountersMemory);
        found != memory.end() && found->second.size() == 16) {
        powerOnCount_ = get32(found->second, 0);
        operatingSeconds_ = get32(found->second, 4);
        loTrail_ = static_cast<std::int32_t>(get32(found->second, 8));
        hiTrail_ = static_cast<std::int32_t>(get32(found->second, 12));
    }
    // Both copies by their own size, so no stored entry can write past them.
    if (const auto found = memory.find("display.customunit");
        found != memory.end() &&
        found->second.size() == customUnitRam_.size() + customUnitEeprom_.size()) {
        std::copy_n(found->second.begin(), customUnitRam_.size(), customUnitRam_.begin());
        std::copy_n(found->second.begin() + customUnitRam_.size(), customUnitEeprom_.size(),
                    customUnitEeprom_.begin());
    }
    updateChannels(true);
}

}  // namespace hartsim
