#include "device.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace hartsim {

namespace {

constexpr double kPi = 3.14159265358979323846;

// The display's unit tables, indexed as the program's unit lists number
// them (Pressure "bar=0;mbar=1;PSI=2;kPa=3;MPa=4;%=5;mA=6", Temperature
// "°C=0;°F=1;K=2;%=3;mA=4"); a value in a unit = base value x factor + offset.
enum class UnitKind { Absolute, Percent, Milliamp };
struct DisplayUnit {
    const char* name;
    double factor;
    double offset;
    UnitKind kind;
};
const std::vector<DisplayUnit> kPressureUnits = {
    {"bar", 1.0, 0.0, UnitKind::Absolute},     {"mbar", 1000.0, 0.0, UnitKind::Absolute},
    {"PSI", 14.5038, 0.0, UnitKind::Absolute}, {"kPa", 100.0, 0.0, UnitKind::Absolute},
    {"MPa", 0.1, 0.0, UnitKind::Absolute},     {"%", 1.0, 0.0, UnitKind::Percent},
    {"mA", 1.0, 0.0, UnitKind::Milliamp},
};
const std::vector<DisplayUnit> kTemperatureUnits = {
    {"\xC2\xB0"
     "C",
     1.0, 0.0, UnitKind::Absolute},
    {"\xC2\xB0"
     "F",
     1.8, 32.0, UnitKind::Absolute},
    {"K", 1.0, 273.15, UnitKind::Absolute},
    {"%", 1.0, 0.0, UnitKind::Percent},
    {"mA", 1.0, 0.0, UnitKind::Milliamp},
};
constexpr int kMeasurandPressure = 0;
constexpr int kMeasurandTemperature = 1;

const std::vector<DisplayUnit>& unitsOf(int measurand) {
    return measurand == kMeasurandTemperature ? kTemperatureUnits : kPressureUnits;
}

const DisplayUnit* unitAt(int measurand, int index) {
    const std::vector<DisplayUnit>& units = unitsOf(measurand);
    if (index < 0 || index >= static_cast<int>(units.size())) return nullptr;
    return &units[static_cast<std::size_t>(index)];
}

void setSlot(BlockImage& image, int index, int value) {
    image[static_cast<std::size_t>(1 + 2 * index)] = static_cast<std::uint8_t>(value & 0xFF);
    image[static_cast<std::size_t>(2 + 2 * index)] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

void put32(BlockImage& image, int offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        image[static_cast<std::size_t>(offset + i)] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

// Fixed-length ASCII, padded with blanks.
void putText(BlockImage& image, int offset, int width, const std::string& text) {
    for (int i = 0; i < width; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        image[static_cast<std::size_t>(offset + i)] =
            static_cast<std::uint8_t>(k < text.size() ? text[k] : ' ');
    }
}

BlockImage makeBlock(int number, std::initializer_list<int> slots) {
    BlockImage image{};
    image[0] = static_cast<std::uint8_t>(number);
    int index = 0;
    for (int value : slots) setSlot(image, index++, value);
    return image;
}

// Decimals that leave four digits for the larger range end, as the display
// scales its calibration values: 16 -> 2, 250 -> 1, 1000 -> 0.
int calibrationDecimals(double lower, double upper) {
    const long largest = std::lround(std::max(std::fabs(lower), std::fabs(upper)));
    int digits = 1;
    for (long v = largest; v >= 10; v /= 10) ++digits;
    return 4 - std::min(digits, 4);
}

int scaled(double value, int decimals) {
    return static_cast<int>(std::lround(value * std::pow(10.0, decimals)));
}

}  // namespace

Device::Device(const DeviceConfig& config)
    : interfaceVersion_(static_cast<std::uint8_t>(config.displayInterfaceVersion)),
      seeded_(config.seed != 0),
      random_(config.seed),
      fixedCurrentMa_(config.fixedCurrentMa) {
    std::optional<CatalogueRecord> record = findConfiguration(config.configurationKey);
    if (!record) record = findConfiguration(0x01);
    configurationBytes_ = record->configurationBytes;
    configurationBytes_[20] = static_cast<std::uint8_t>(record->key);
    nominalHigh_ = static_cast<std::int16_t>(std::lround(record->upperNominal));
    nominalLow_ = static_cast<std::int16_t>(std::lround(record->lowerNominal));
    agw_ = record->agw();

    int measurand = kMeasurandPressure;
    int unit = 0;
    for (int m : {kMeasurandPressure, kMeasurandTemperature}) {
        const std::vector<DisplayUnit>& units = unitsOf(m);
        for (std::size_t i = 0; i < units.size(); ++i) {
            if (record->unit == units[i].name) {
                measurand = m;
                unit = static_cast<int>(i);
            }
        }
    }
    const int decimals = calibrationDecimals(record->lowerRange, record->upperRange);
    const int low = scaled(record->lowerRange, decimals);
    const int high = scaled(record->upperRange, decimals);
    auto at = [&](double fraction) {
        return low + static_cast<int>(std::lround((high - low) * fraction));
    };

    const std::uint32_t id = config.deviceId & 0xFFFFFF;
    char idText[8];
    std::snprintf(idText, sizeof idText, "%06X", static_cast<unsigned>(id));

    // Versions read as "01.05" (high byte, low byte); the firmware was built
    // on 14 March 2023 at 11:27.
    blocks_[0] = makeBlock(0, {60, 0, 0, 0x0105, 0x0203, 0x0100, 0x0102, 2023, 1403, 1127});
    blocks_[1] = makeBlock(
        1, {1, 23, static_cast<int>(id % 30000), 24, static_cast<int>((id * 7) % 30000), 0});
    put32(blocks_[1], 13, 0x5A000000u | id);
    put32(blocks_[1], 17, 100000u + id % 100000u);
    blocks_[2] = makeBlock(2, {});
    putText(blocks_[2], 1, 16,
            std::string(measurand == kMeasurandTemperature ? "TT-" : "PT-") + idText);
    putText(blocks_[2], 17, 4, "2311");
    blocks_[3] = makeBlock(3, {});
    putText(blocks_[3], 1, 20, std::string("ZH") + idText + "-23");
    // Switch 1 sets at 60 % and resets at 55 % of the range, switch 2 at
    // 80 % and 75 %; the minimum distance is 0.5 % (50 hundredths).
    blocks_[10] = makeBlock(10, {44, 50, at(0.60), at(0.55), at(0.60), at(0.55), 0, 0, 1, 1});
    blocks_[11] = makeBlock(11, {2, 1, at(0.80), at(0.75), at(0.80), at(0.75), 0, 0, 1, 1});
    blocks_[12] = makeBlock(
        12, {measurand, unit, decimals, unit, decimals, low, high,
             scaled(record->lowerNominal, decimals), scaled(record->upperNominal, decimals), 100});
    // The range ends sit at 4000 and 20000 converter counts (4 and 20 mA).
    blocks_[13] = makeBlock(13, {4000, 20000, 0, 5, 0, 0, 0, 0, 0, 0});
    blocks_[20] = makeBlock(20, {20, 1, 1, 4, 0, 0, 1, 0, 500, 100});

    errorLog_ = {0x11, 0x24};  // a power failure and a sensor warning from the past
    powerOnCount_ = 137;
    operatingSeconds_ = 8640000;  // 100 days

    follow();
    loTrail_ = hiTrail_ = adc_;
}

bool Device::isBlock(int number) {
    return isWritableBlock(number) || number == kBlockLogData || number == kBlockLive;
}

bool Device::isWritableBlock(int number) {
    switch (number) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 10:
        case 11:
        case 12:
        case 13:
        case 20:
            return true;
        default:
            return false;
    }
}

int Device::slot(int block, int index) const {
    const BlockImage& image = blocks_.at(block);
    const std::size_t at = static_cast<std::size_t>(1 + 2 * index);
    return static_cast<std::int16_t>(image[at] | (image[at + 1] << 8));
}

BlockImage Device::readBlock(int number) const {
    BlockImage image;
    if (number == kBlockLive) {
        image = liveBlock();
    } else if (number == kBlockLogData) {
        image = logBlock();
    } else {
        image = blocks_.at(number);
        // Change flags only travel towards the display.
        image[kBlockFlagsOffset] = 0;
        image[kBlockFlagsOffset + 1] = 0;
    }
    image[kBlockVersionOffset] = interfaceVersion_;
    return image;
}

BlockImage Device::writeBlock(const BlockImage& image) {
    const int number = image[0];
    BlockImage& stored = blocks_.at(number);
    const int flags = image[kBlockFlagsOffset] | (image[kBlockFlagsOffset + 1] << 8);
    for (int i = 0; i < kBlockSlotCount; ++i) {
        if ((flags & (1 << i)) == 0) continue;
        const std::size_t at = static_cast<std::size_t>(1 + 2 * i);
        stored[at] = image[at];
        stored[at + 1] = image[at + 1];
    }
    updateSwitches();
    return readBlock(number);
}

void Device::setFixedCurrent(float milliamps) {
    fixedCurrentMa_ = milliamps;
}

std::uint8_t Device::fieldDeviceStatus() const {
    return fixedCurrent() ? 0x08 : 0x00;
}

void Device::advance() {
    ++steps_;
    if (steps_ % 4 == 0) ++operatingSeconds_;
    if (seeded_) {
        const double step = (static_cast<double>(random_.next() % 2001) - 1000.0) / 1000.0;
        wander_ = std::clamp(wander_ + 0.004 * step, -0.08, 0.08);
    }
    follow();
}

void Device::follow() {
    // A slow swing over 240 steps (a minute of polling every 250 ms) with a
    // small ripple, between about 15 % and 85 % of the range.
    const double t = static_cast<double>(steps_);
    double fraction =
        0.5 + 0.32 * std::sin(2 * kPi * t / 240.0) + 0.03 * std::sin(2 * kPi * t / 37.0);
    fraction = std::clamp(fraction + wander_, 0.02, 0.98);
    adc_ = static_cast<int>(std::lround(4000.0 + 16000.0 * fraction));
    loTrail_ = std::min(loTrail_, adc_);
    hiTrail_ = std::max(hiTrail_, adc_);
    updateSwitches();
}

double Device::rangeValue() const {
    const int calLow = slot(13, 0);
    const int calHigh = slot(13, 1);
    const double low = slot(kBlockMeasurand, 5);
    const double high = slot(kBlockMeasurand, 6);
    if (calHigh == calLow) return low;
    return low + (adc_ - calLow) * (high - low) / (calHigh - calLow);
}

void Device::updateSwitches() {
    const double value = rangeValue();
    auto follow = [value](bool on, int setPoint, int resetPoint, int function) {
        if (function == 0) return false;
        if (value >= setPoint) return true;
        if (value <= resetPoint) return false;
        return on;  // inside the hysteresis the output keeps its state
    };
    switch1_ = follow(switch1_, slot(10, 2), slot(10, 3), slot(10, 8));
    switch2_ = follow(switch2_, slot(11, 2), slot(11, 3), slot(11, 8));
}

ReadOut Device::readOut() const {
    const int measurand = slot(kBlockMeasurand, 0);
    const int calDecimals = std::clamp(slot(kBlockMeasurand, 2), 0, 3);
    const DisplayUnit* calUnit = unitAt(measurand, slot(kBlockMeasurand, 1));
    const DisplayUnit* liveUnit = unitAt(measurand, slot(kBlockMeasurand, 3));
    const double raw = rangeValue();
    const double low = slot(kBlockMeasurand, 5);
    const double high = slot(kBlockMeasurand, 6);
    const double fraction = high != low ? (raw - low) / (high - low) : 0.0;

    double value = raw / std::pow(10.0, calDecimals);
    if (liveUnit != nullptr && liveUnit->kind == UnitKind::Percent) {
        value = 100.0 * fraction;
    } else if (liveUnit != nullptr && liveUnit->kind == UnitKind::Milliamp) {
        value = 4.0 + 16.0 * fraction;
    } else if (liveUnit != nullptr && calUnit != nullptr && calUnit->kind == UnitKind::Absolute) {
        value = (value - calUnit->offset) / calUnit->factor * liveUnit->factor + liveUnit->offset;
    }

    // The unit's decimal point when the value fits four digits with it,
    // otherwise (and for "automatic", -1) as many decimals as fit.
    const int wanted = slot(kBlockMeasurand, 4);
    int decimals = wanted >= 0 && wanted <= 3 ? wanted : 3;
    long digits = std::lround(std::fabs(value) * std::pow(10.0, decimals));
    while (digits > 9999 && decimals > 0) {
        --decimals;
        digits = std::lround(std::fabs(value) * std::pow(10.0, decimals));
    }

    ReadOut out;
    if (digits > 9999) {
        std::memcpy(out.text.data(), "OvEr", 4);
        return out;
    }
    char text[8];
    std::snprintf(text, sizeof text, "%4.*ld", decimals + 1, digits);
    std::memcpy(out.text.data(), text, 4);
    out.decimals = decimals;
    out.negative = value < 0 && digits != 0;
    return out;
}

BlockImage Device::liveBlock() const {
    const ReadOut shown = readOut();
    BlockImage image{};
    image[0] = kBlockLive;
    std::copy(shown.text.begin(), shown.text.end(), image.begin() + 1);
    image[5] = image[6] = ' ';
    image[7] = static_cast<std::uint8_t>(shown.decimals);
    // Dot pattern: bit n lights the point after digit n (0 = leftmost);
    // bit 6 is the minus sign. The raw dots are the same before rotation.
    std::uint8_t dots =
        shown.decimals > 0 ? static_cast<std::uint8_t>(1 << (3 - shown.decimals)) : 0;
    if (shown.negative) dots |= 0x40;
    image[8] = dots;
    image[9] = dots;
    image[10] = static_cast<std::uint8_t>((switch1_ ? 0x01 : 0) | (switch2_ ? 0x04 : 0));
    setSlot(image, 5, adc_);  // ADactRaw at offset 11
    image[13] = fixedCurrent() ? kDispModeFixedCurrent : kDispModeMeasuring;
    return image;
}

BlockImage Device::logBlock() const {
    BlockImage image = makeBlock(kBlockLogData, {20, loTrail_, hiTrail_, 0});
    put32(image, 9, powerOnCount_);
    put32(image, 13, operatingSeconds_);
    setSlot(image, 8, static_cast<int>(errorLog_.size()));
    image[19] = errorLog_.empty() ? 0 : errorLog_.back();
    // The display keeps its last 16 error codes in a ring.
    image[20] = errorLog_.empty() ? 0 : static_cast<std::uint8_t>((errorLog_.size() - 1) % 16);
    return image;
}

void Device::recordError(std::uint8_t code) {
    errorLog_.push_back(code);
}

}  // namespace hartsim
