#include "device.h"

#include <algorithm>
#include <cmath>

namespace hartsim {

namespace {

constexpr double kPi = 3.14159265358979323846;

CatalogueRecord recordFor(int key) {
    std::optional<CatalogueRecord> record = findConfiguration(key);
    if (!record) record = findConfiguration(0x01);
    return *record;
}

}  // namespace

Device::Device(const DeviceConfig& config)
    : record_(recordFor(config.configurationKey)),
      transmitter_(record_, config),
      display_(record_, config),
      seeded_(config.seed != 0),
      random_(config.seed),
      records_(UniversalRecords::initial(config)),
      moreStatus_(config.moreStatus),
      statusBits_(config.statusBits) {
    if (config.holdPercent) heldPercent_ = *config.holdPercent;
    transmitter_.start(processValue());
    display_.start(transmitter_.outputCurrentMa(), transmitter_.currentFixed());
}

double Device::courseFraction() const {
    // A slow swing over 240 steps (a minute of polling every 250 ms) with a
    // small ripple, between about 15 % and 85 % of the range.
    const double t = static_cast<double>(steps_);
    const double fraction =
        0.5 + 0.32 * std::sin(2 * kPi * t / 240.0) + 0.03 * std::sin(2 * kPi * t / 37.0);
    return std::clamp(fraction + wander_, 0.02, 0.98);
}

double Device::processValue() const {
    const double fraction = heldPercent_ ? *heldPercent_ / 100.0 : courseFraction();
    return record_.lowerRange + fraction * (record_.upperRange - record_.lowerRange);
}

void Device::advance() {
    ++steps_;
    if (seeded_) {
        const double step = (static_cast<double>(random_.next() % 2001) - 1000.0) / 1000.0;
        wander_ = std::clamp(wander_ + 0.004 * step, -0.08, 0.08);
    }
    transmitter_.step(processValue());
    display_.step(transmitter_.outputCurrentMa(), transmitter_.currentFixed());
}

// The process jumps now; the loop and the display follow within the step.
void Device::holdProcess(double percent) {
    heldPercent_ = percent;
    advance();
}

void Device::releaseProcess() {
    heldPercent_.reset();
    advance();
}

void Device::powerCycle() {
    transmitter_.powerUp();
    display_.powerUp();
    transmitter_.start(processValue());
    display_.step(transmitter_.outputCurrentMa(), transmitter_.currentFixed());
}

double Device::sensorTemperature() const {
    const double span = record_.upperRange - record_.lowerRange;
    const double fraction = span != 0.0 ? (processValue() - record_.lowerRange) / span : 0.0;
    return 21.5 + 3.0 * fraction;
}

Memory Device::memory() const {
    Memory memory;
    transmitter_.save(&memory);
    display_.save(&memory);
    records_.save(&memory);
    return memory;
}

void Device::restore(const Memory& memory) {
    transmitter_.load(memory);
    display_.load(memory);
    records_.load(memory);
    transmitter_.start(processValue());
}

}  // namespace hartsim
