#include "transmitter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace hartsim {

namespace {

// The DAC as built: 5 µA high at 4 mA and a span 0.04 % too wide, what the
// trim commands are there to correct.
constexpr double kDacZeroErrorMa = 0.005;
constexpr double kDacGainError = 0.0004;
constexpr double kOutputLimitMa = 25.0;
// Trims accept a measured current within 1 mA of the point.
constexpr float kTrimWindowMa = 1.0f;
// Setting a range end to the present value needs a span of 1 % of the
// nominal range.
constexpr double kMinimumSpanFraction = 0.01;
constexpr double kStepSeconds = 0.25;

// Configuration byte 12: output bits.
constexpr std::uint8_t kFailureLow = 0x01;
constexpr std::uint8_t kFailureHigh = 0x02;
constexpr std::uint8_t kWriteProtect = 0x08;
// HART alarm selection codes: high, low, none.
constexpr std::uint8_t kAlarmHigh = 0;
constexpr std::uint8_t kAlarmLow = 1;
constexpr std::uint8_t kAlarmNone = 251;

// The switch variants' table: 2, 3 lower and upper converter limit; 4, 5
// current off and on in 0.1 mA; 6, 7 switch point and hysteresis in 0.1 of
// the unit; 8 switch delay in ms.
constexpr std::size_t kSwitchLowCounts = 2, kSwitchHighCounts = 3, kCurrentOff = 4, kCurrentOn = 5,
                      kSwitchPoint = 6, kHysteresis = 7, kSwitchDelay = 8;

void putFloat(std::vector<std::uint8_t>& out, float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
}

float getFloat(const std::vector<std::uint8_t>& in, std::size_t at) {
    std::uint32_t bits = 0;
    for (int i = 3; i >= 0; --i) bits = (bits << 8) | in[at + static_cast<std::size_t>(i)];
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void put16(std::vector<std::uint8_t>& out, std::int16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

std::int16_t get16(const std::vector<std::uint8_t>& in, std::size_t at) {
    return static_cast<std::int16_t>(in[at] | (in[at + 1] << 8));
}

constexpr std::size_t kPackedSize = 22 + 4 + 22 + 1 + 5 * 4;

// Position of `x` on a rising table of eleven points at 0, 10, ... 100 %:
// a fraction 0..1, extrapolated beyond the ends. Empty for a table that
// does not rise.
bool tableFraction(const std::array<std::int16_t, 11>& table, double x, double* fraction) {
    for (std::size_t k = 0; k + 1 < table.size(); ++k) {
        if (table[k + 1] <= table[k]) return false;
    }
    std::size_t k = 0;
    while (k + 2 < table.size() && x > table[k + 1]) ++k;
    *fraction = (static_cast<double>(k) + (x - table[k]) / (table[k + 1] - table[k])) / 10.0;
    return true;
}

double tableCounts(const std::array<std::int16_t, 11>& table, double fraction) {
    const double position = std::clamp(fraction * 10.0, -5.0, 15.0);
    const std::size_t k = static_cast<std::size_t>(std::clamp(std::floor(position), 0.0, 9.0));
    return table[k] + (position - static_cast<double>(k)) * (table[k + 1] - table[k]);
}

}  // namespace

std::vector<std::uint8_t> TransmitterSettings::pack() const {
    std::vector<std::uint8_t> out(configurationBytes.begin(), configurationBytes.end());
    put16(out, nominalHigh);
    put16(out, nominalLow);
    for (std::int16_t v : agw) put16(out, v);
    out.push_back(rangeUnit);
    for (float v : {upperRange, lowerRange, damping, trimZeroMa, trimGain}) putFloat(out, v);
    return out;
}

bool TransmitterSettings::unpack(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() != kPackedSize) return false;
    std::copy(bytes.begin(), bytes.begin() + 22, configurationBytes.begin());
    nominalHigh = get16(bytes, 22);
    nominalLow = get16(bytes, 24);
    for (std::size_t k = 0; k < agw.size(); ++k) agw[k] = get16(bytes, 26 + 2 * k);
    rangeUnit = bytes[48];
    upperRange = getFloat(bytes, 49);
    lowerRange = getFloat(bytes, 53);
    damping = getFloat(bytes, 57);
    trimZeroMa = getFloat(bytes, 61);
    trimGain = getFloat(bytes, 65);
    return true;
}

Transmitter::Transmitter(const CatalogueRecord& record, const DeviceConfig& config)
    : record_(record), recordUnit_(hartUnitNamed(record.unit)), fixedMa_(config.fixedCurrentMa) {
    if (recordUnit_ == nullptr) recordUnit_ = hartUnit(7);  // bar
    ram_.configurationBytes = record.configurationBytes;
    ram_.configurationBytes[20] = static_cast<std::uint8_t>(record.key);
    ram_.nominalHigh = static_cast<std::int16_t>(std::lround(record.upperNominal));
    ram_.nominalLow = static_cast<std::int16_t>(std::lround(record.lowerNominal));
    ram_.agw = record.agw();
    ram_.rangeUnit = recordUnit_->code;
    ram_.upperRange = static_cast<float>(record.upperRange);
    ram_.lowerRange = static_cast<float>(record.lowerRange);
    eeprom_ = ram_;
    if (config.writeProtect) protectWrites();
}

void Transmitter::protectWrites() {
    ram_.configurationBytes[12] |= kWriteProtect;
    eeprom_.configurationBytes[12] |= kWriteProtect;
}

double Transmitter::toRecordUnit(double value, std::uint8_t unitCode) const {
    const HartUnit* unit = hartUnit(unitCode);
    if (unit == nullptr) return value;
    return fromBase(toBase(value, unit->factor, unit->offset), recordUnit_->factor,
                    recordUnit_->offset);
}

double Transmitter::fromRecordUnit(double value, std::uint8_t unitCode) const {
    const HartUnit* unit = hartUnit(unitCode);
    if (unit == nullptr) return value;
    return fromBase(toBase(value, recordUnit_->factor, recordUnit_->offset), unit->factor,
                    unit->offset);
}

bool Transmitter::isSwitch() const {
    const std::uint8_t index = ram_.configurationBytes[16];
    return index == 1 || index == 2;
}

bool Transmitter::writeProtected() const {
    return (ram_.configurationBytes[12] & kWriteProtect) != 0;
}

std::uint8_t Transmitter::alarmSelectCode() const {
    const std::uint8_t bits = ram_.configurationBytes[12];
    if (bits & kFailureLow) return kAlarmLow;
    if (bits & kFailureHigh) return kAlarmHigh;
    return kAlarmNone;
}

// The sensor as built: the factory table of the catalogue record says which
// counts the converter gives at each tenth of the nominal range.
std::int16_t Transmitter::sensorCounts(double process) const {
    const double span = record_.upperNominal - record_.lowerNominal;
    const double fraction = span != 0.0 ? (process - record_.lowerNominal) / span : 0.0;
    const std::array<std::int16_t, 11>& factory = record_.agw();
    double counts;
    if (record_.isSwitch()) {
        counts = factory[kSwitchLowCounts] +
                 fraction * (factory[kSwitchHighCounts] - factory[kSwitchLowCounts]);
    } else {
        counts = tableCounts(factory, fraction);
    }
    return static_cast<std::int16_t>(std::clamp(std::lround(counts), -32768L, 32767L));
}

// What the transmitter makes of the counts with the table it holds now.
double Transmitter::measuredFromCounts(std::int16_t counts) const {
    const std::array<std::int16_t, 11>& table = ram_.agw;
    double fraction = 0.0;
    if (isSwitch()) {
        const double low = table[kSwitchLowCounts];
        const double high = table[kSwitchHighCounts];
        fraction = high != low ? (counts - low) / (high - low) : 0.0;
    } else if (!tableFraction(table, counts, &fraction)) {
        fraction = table[10] != table[0]
                       ? static_cast<double>(counts - table[0]) / (table[10] - table[0])
                       : 0.0;
    }
    return ram_.nominalLow + fraction * (ram_.nominalHigh - ram_.nominalLow);
}

void Transmitter::start(double process) {
    follow(process, true);
}

void Transmitter::step(double process) {
    follow(process, false);
}

void Transmitter::follow(double process, bool settle) {
    counts_ = sensorCounts(process);
    const double target = measuredFromCounts(counts_);
    // First-order damping with the damping value as time constant.
    const double tau = ram_.damping;
    measured_ = settle || !(tau > 0.0)
                    ? target
                    : measured_ + (target - measured_) * (1.0 - std::exp(-kStepSeconds / tau));
    saturated_ = false;
    if (isSwitch()) {
        const auto& t = ram_.agw;
        const double point = t[kSwitchPoint] / 10.0;
        const bool wanted = measured_ >= point                           ? true
                            : measured_ <= point - t[kHysteresis] / 10.0 ? false
                                                                         : switchOn_;
        const int delaySteps =
            static_cast<int>(std::ceil(std::max<int>(t[kSwitchDelay], 0) / 250.0));
        // A change of state waits out the switch delay (not when settling).
        if (wanted == switchOn_ || settle || ++switchPending_ > delaySteps) {
            switchOn_ = wanted;
            switchPending_ = 0;
        }
        loopMa_ = (switchOn_ ? t[kCurrentOn] : t[kCurrentOff]) / 10.0;
    } else {
        const double current = 4.0 + 16.0 * percentOfRange() / 100.0;
        loopMa_ = std::clamp(current, kSaturationLowMa, kSaturationHighMa);
        saturated_ = loopMa_ != current;
    }
}

double Transmitter::primaryValue() const {
    return fromRecordUnit(measured_, ram_.rangeUnit);
}

double Transmitter::percentOfRange() const {
    const double span = static_cast<double>(ram_.upperRange) - ram_.lowerRange;
    return span != 0.0 ? (primaryValue() - ram_.lowerRange) / span * 100.0 : 0.0;
}

float Transmitter::loopCurrentMa() const {
    return currentFixed() ? fixedMa_ : static_cast<float>(loopMa_);
}

double Transmitter::outputCurrentMa() const {
    const double command = 4.0 + ram_.trimZeroMa + (loopCurrentMa() - 4.0) * ram_.trimGain;
    const double flowing = 4.0 + kDacZeroErrorMa + (command - 4.0) * (1.0 + kDacGainError);
    // However the DAC is trimmed, the output stage cannot go beyond its rails.
    return std::isfinite(flowing) ? std::clamp(flowing, 0.0, kOutputLimitMa) : 0.0;
}

std::uint8_t Transmitter::status() const {
    std::uint8_t bits = 0;
    if (currentFixed()) bits |= 0x08;
    if (saturated_ && !currentFixed()) bits |= 0x04;
    const double low = std::min(ram_.nominalLow, ram_.nominalHigh);
    const double high = std::max(ram_.nominalLow, ram_.nominalHigh);
    if (measured_ < low - tolerance() || measured_ > high + tolerance()) bits |= 0x01;
    return bits;
}

double Transmitter::tolerance() const {
    return 1e-4 * std::max(1.0, std::fabs(static_cast<double>(ram_.nominalHigh) - ram_.nominalLow));
}

void Transmitter::writeConfiguration(const std::array<std::uint8_t, 22>& bytes,
                                     std::int16_t nominalHigh, std::int16_t nominalLow) {
    ram_.configurationBytes = bytes;
    ram_.nominalHigh = nominalHigh;
    ram_.nominalLow = nominalLow;
}

std::uint8_t Transmitter::writeAgwTable(const std::array<std::int16_t, 11>& agw) {
    // A transmitter interpolates on its table, so the table must rise; a
    // switch keeps currents and switch settings in it.
    double fraction = 0.0;
    if (!isSwitch() && !tableFraction(agw, 0.0, &fraction)) return kResponseInvalidSelection;
    ram_.agw = agw;
    return kResponseSuccess;
}

std::uint8_t Transmitter::writeDamping(float seconds) {
    if (std::isnan(seconds)) return kResponseInvalidSelection;
    if (seconds < 0.0f) return kResponseParameterTooSmall;
    if (seconds > kMaximumDamping) return kResponseParameterTooLarge;
    ram_.damping = seconds;
    return kResponseSuccess;
}

std::uint8_t Transmitter::writeRange(std::uint8_t unitCode, float upper, float lower) {
    const HartUnit* unit = hartUnit(unitCode);
    if (unit == nullptr || unit->measurand != recordUnit_->measurand || std::isnan(upper) ||
        std::isnan(lower)) {
        return kResponseInvalidSelection;
    }
    // The range ends must lie within the sensor's nominal range.
    const double upperHere = toRecordUnit(upper, unitCode);
    const double lowerHere = toRecordUnit(lower, unitCode);
    const double low = std::min(ram_.nominalLow, ram_.nominalHigh) - tolerance();
    const double high = std::max(ram_.nominalLow, ram_.nominalHigh) + tolerance();
    const std::uint8_t lowerFault = lowerHere < low    ? kResponseLowerTooLow
                                    : lowerHere > high ? kResponseLowerTooHigh
                                                       : 0;
    const std::uint8_t upperFault = upperHere > high  ? kResponseUpperTooHigh
                                    : upperHere < low ? kResponseUpperTooLow
                                                      : 0;
    if (lowerFault != 0 && upperFault != 0) return kResponseBothOutOfLimits;
    if (lowerFault != 0) return lowerFault;
    if (upperFault != 0) return upperFault;
    if (std::fabs(upperHere - lowerHere) < tolerance()) return kResponseInvalidSpan;
    const double smallest = kMinimumSpanFraction * std::fabs(ram_.nominalHigh - ram_.nominalLow);
    if (std::fabs(upperHere - lowerHere) < smallest - tolerance()) return kResponseSpanTooSmall;
    ram_.rangeUnit = unitCode;
    ram_.upperRange = upper;
    ram_.lowerRange = lower;
    return kResponseSuccess;
}

std::uint8_t Transmitter::writeUnit(std::uint8_t unitCode) {
    const HartUnit* unit = hartUnit(unitCode);
    if (unit == nullptr || unit->measurand != recordUnit_->measurand)
        return kResponseInvalidSelection;
    const double upper = toRecordUnit(ram_.upperRange, ram_.rangeUnit);
    const double lower = toRecordUnit(ram_.lowerRange, ram_.rangeUnit);
    ram_.rangeUnit = unitCode;
    ram_.upperRange = static_cast<float>(fromRecordUnit(upper, unitCode));
    ram_.lowerRange = static_cast<float>(fromRecordUnit(lower, unitCode));
    return kResponseSuccess;
}

std::pair<double, double> Transmitter::rangeOfNominal() const {
    const double span = static_cast<double>(ram_.nominalHigh) - ram_.nominalLow;
    const auto fraction = [&](float value) {
        return span != 0.0 ? (toRecordUnit(value, ram_.rangeUnit) - ram_.nominalLow) / span : 0.0;
    };
    return {fraction(ram_.lowerRange), fraction(ram_.upperRange)};
}

double Transmitter::minimumSpan() const {
    return std::fabs(sensorUpperLimit() - sensorLowerLimit()) * kMinimumSpanFraction;
}

std::uint8_t Transmitter::setUpperRangeToPv() {
    const double low = std::min(ram_.nominalLow, ram_.nominalHigh) - tolerance();
    const double high = std::max(ram_.nominalLow, ram_.nominalHigh) + tolerance();
    if (measured_ > high) return kResponseAppliedProcessTooHigh;
    if (measured_ < low) return kResponseAppliedProcessTooLow;
    // No span at all is refused; a span below the minimum is set all the
    // same, and the answer warns that the accuracy suffers (a warning code:
    // the value is set).
    const double span = std::fabs(measured_ - toRecordUnit(ram_.lowerRange, ram_.rangeUnit));
    if (span < tolerance()) return kResponseInvalidSpan;
    ram_.upperRange = static_cast<float>(primaryValue());
    const double minimumSpan = kMinimumSpanFraction * std::fabs(ram_.nominalHigh - ram_.nominalLow);
    return span < minimumSpan ? kResponseSpanTooSmall : kResponseSuccess;
}

std::uint8_t Transmitter::setLowerRangeToPv() {
    const double low = std::min(ram_.nominalLow, ram_.nominalHigh);
    const double high = std::max(ram_.nominalLow, ram_.nominalHigh);
    if (measured_ > high + tolerance()) return kResponseAppliedProcessTooHigh;
    if (measured_ < low - tolerance()) return kResponseAppliedProcessTooLow;
    // The span stays: the upper range value moves with the lower one, and is
    // pushed back to the sensor limit when it would leave it (a warning: the
    // lower value is set). A range that would end where it starts is refused.
    const double shift = measured_ - toRecordUnit(ram_.lowerRange, ram_.rangeUnit);
    const double upper = toRecordUnit(ram_.upperRange, ram_.rangeUnit) + shift;
    const double limited = std::clamp(upper, low, high);
    if (std::fabs(limited - measured_) < tolerance()) return kResponseInvalidSpan;
    ram_.lowerRange = static_cast<float>(primaryValue());
    ram_.upperRange = static_cast<float>(fromRecordUnit(limited, ram_.rangeUnit));
    return std::fabs(limited - upper) > tolerance() ? kResponseSpanTooSmall : kResponseSuccess;
}

std::uint8_t Transmitter::setFixedCurrent(float milliamps) {
    if (std::isnan(milliamps)) return kResponseInvalidSelection;
    if (milliamps != 0.0f) {
        if (milliamps < kMinimumLoopCurrent) return kResponseParameterTooSmall;
        if (milliamps > kMaximumLoopCurrent) return kResponseParameterTooLarge;
    }
    fixedMa_ = milliamps;
    return kResponseSuccess;
}

// Trimming needs the loop held at the point being trimmed; the measured
// current then corrects the DAC so that it drives what it is told.
std::uint8_t Transmitter::trimZero(float measuredMa) {
    if (!currentFixed() || std::fabs(fixedMa_ - 4.0f) > 1e-3f) return kResponseWrongLoopCurrentMode;
    if (std::isnan(measuredMa)) return kResponseInvalidSelection;
    if (measuredMa > 4.0f + kTrimWindowMa) return kResponseParameterTooLarge;
    if (measuredMa < 4.0f - kTrimWindowMa) return kResponseParameterTooSmall;
    ram_.trimZeroMa -= measuredMa - 4.0f;
    return kResponseSuccess;
}

std::uint8_t Transmitter::trimGain(float measuredMa) {
    if (!currentFixed() || std::fabs(fixedMa_ - 20.0f) > 1e-3f)
        return kResponseWrongLoopCurrentMode;
    if (std::isnan(measuredMa)) return kResponseInvalidSelection;
    if (measuredMa > 20.0f + kTrimWindowMa) return kResponseParameterTooLarge;
    if (measuredMa < 20.0f - kTrimWindowMa) return kResponseParameterTooSmall;
    // The 4 mA point is taken as right (trimmed before): the span measured
    // above it is what 16 mA came out as.
    ram_.trimGain *= 16.0f / (measuredMa - 4.0f);
    return kResponseSuccess;
}

void Transmitter::restoreFromEeprom() {
    ram_ = eeprom_;
}

void Transmitter::powerUp() {
    ram_ = eeprom_;
    fixedMa_ = 0.0f;
    switchOn_ = false;
    switchPending_ = 0;
}

void Transmitter::save(Memory* memory) const {
    (*memory)["transmitter.ram"] = ram_.pack();
    (*memory)["transmitter.eeprom"] = eeprom_.pack();
}

void Transmitter::load(const Memory& memory) {
    if (const auto found = memory.find("transmitter.ram"); found != memory.end())
        ram_.unpack(found->second);
    if (const auto found = memory.find("transmitter.eeprom"); found != memory.end())
        eeprom_.unpack(found->second);
}

}  // namespace hartsim
