#include "faults.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "sim/catalogue.h"
#include "sim/units.h"

namespace hartsim {

void FaultQueue::add(const Fault& fault) {
    if (fault.count >= 1) faults_.push_back(fault);
}

std::optional<Fault> FaultQueue::take(int command) {
    for (auto it = faults_.begin(); it != faults_.end(); ++it) {
        if (it->command != -1 && it->command != command) continue;
        const Fault fault = *it;
        if (--it->count <= 0) faults_.erase(it);
        return fault;
    }
    return std::nullopt;
}

namespace {

// Reads a decimal or "0x" hexadecimal number at `pos`, advancing it.
bool readNumber(const std::string& text, std::size_t* pos, long* value, bool allowHex = true) {
    std::size_t p = *pos;
    int base = 10;
    if (allowHex && p + 1 < text.size() && text[p] == '0' && text[p + 1] == 'x') {
        base = 16;
        p += 2;
    }
    const std::size_t digitsStart = p;
    long v = 0;
    while (p < text.size()) {
        const char c = text[p];
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else {
            break;
        }
        if (v > 100000000) return false;  // far beyond any valid figure
        v = v * base + digit;
        ++p;
    }
    if (p == digitsStart) return false;
    *pos = p;
    *value = v;
    return true;
}

bool parseWholeNumber(const std::string& text, long* value) {
    std::size_t pos = 0;
    return readNumber(text, &pos, value) && pos == text.size();
}

std::string lowerWithoutBlanks(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (!std::isspace(static_cast<unsigned char>(c))) {
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return out;
}

std::string trimmed(const std::string& text) {
    std::size_t b = 0, e = text.size();
    while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
    return text.substr(b, e - b);
}

struct FaultWord {
    const char* word;
    Fault::Kind kind;
    bool argumentRequired;
    bool argumentAllowed;
};

const FaultWord kFaultWords[] = {
    {"noanswer", Fault::Kind::NoAnswer, false, false},
    {"lost", Fault::Kind::LostAnswer, false, false},
    {"badcheck", Fault::Kind::BadCheckByte, false, false},
    {"wronglength", Fault::Kind::WrongLength, false, false},
    {"truncated", Fault::Kind::Truncated, false, false},
    {"busy", Fault::Kind::Busy, false, false},
    {"error", Fault::Kind::ErrorCode, true, true},
    {"commerror", Fault::Kind::CommError, true, true},
    {"late", Fault::Kind::Late, true, true},
    {"noise", Fault::Kind::Noise, false, true},
};

bool inRange(long v, long low, long high) {
    return v >= low && v <= high;
}

}  // namespace

std::optional<Fault> parseFault(const std::string& text) {
    const std::string s = lowerWithoutBlanks(text);
    // The longest word the text starts with: blanks are gone, so the count
    // marker may follow at once ("busyx3").
    const FaultWord* found = nullptr;
    std::size_t pos = 0;
    for (const FaultWord& w : kFaultWords) {
        const std::size_t length = std::strlen(w.word);
        if (s.compare(0, length, w.word) == 0 && length > pos) {
            found = &w;
            pos = length;
        }
    }
    if (found == nullptr) return std::nullopt;

    Fault fault;
    fault.kind = found->kind;
    if (pos < s.size() && s[pos] == ':') {
        ++pos;
        long argument = 0;
        if (!found->argumentAllowed || !readNumber(s, &pos, &argument)) return std::nullopt;
        switch (fault.kind) {
            case Fault::Kind::ErrorCode:  // response codes 1..127; 0 is success
                if (!inRange(argument, 1, 127)) return std::nullopt;
                fault.code = static_cast<int>(argument);
                break;
            case Fault::Kind::CommError:  // the error bitmap; bit 7 is added
                if (!inRange(argument, 1, 0xFF)) return std::nullopt;
                fault.code = static_cast<int>(argument & 0x7F);
                if (fault.code == 0) return std::nullopt;
                break;
            case Fault::Kind::Late:
                if (!inRange(argument, 0, 60000)) return std::nullopt;
                fault.delayMs = static_cast<int>(argument);
                break;
            case Fault::Kind::Noise:
                if (!inRange(argument, 1, 255)) return std::nullopt;
                fault.noiseBytes = static_cast<int>(argument);
                break;
            default:
                return std::nullopt;
        }
    } else if (found->argumentRequired) {
        return std::nullopt;
    }

    bool haveCount = false, haveCommand = false;
    while (pos < s.size()) {
        const char marker = s[pos++];
        long value = 0;
        if ((marker == 'x' || marker == '*') && !haveCount) {
            if (!readNumber(s, &pos, &value, false) || !inRange(value, 1, 1000000))
                return std::nullopt;
            fault.count = static_cast<int>(value);
            haveCount = true;
        } else if (marker == '@' && !haveCommand) {
            if (!readNumber(s, &pos, &value) || !inRange(value, 0, 255)) return std::nullopt;
            fault.command = static_cast<int>(value);
            haveCommand = true;
        } else {
            return std::nullopt;
        }
    }
    return fault;
}

namespace {

// errorlog=demo: a full log whose newest entry is not at either end of the
// table, so a reader that ignores the index shows the wrong order.
constexpr int kDemoErrorLogNewest = 7;

bool parseSwitch(const std::string& value, bool* on) {
    const std::string v = lowerWithoutBlanks(value);
    if (v.empty() || v == "1" || v == "on" || v == "yes" || v == "true") {
        *on = true;
    } else if (v == "0" || v == "off" || v == "no" || v == "false") {
        *on = false;
    } else {
        return false;
    }
    return true;
}

// What the display unit and calibration decimals of `config` cannot be for
// its catalogue record (empty when they fit): the unit must be one of the
// measurand's display units, and the values scaled by the decimals must
// fit the module's 16-bit items.
std::string unfitForRecord(DeviceConfig& config) {
    const std::optional<CatalogueRecord> record = findConfiguration(config.configurationKey);
    if (!record) return {};
    int measurand = kMeasurandPressure;
    int unit = 0;
    findDisplayUnit(record->unit, &measurand, &unit);
    if (!config.displayUnit.empty()) {
        const int index = displayUnitIndex(measurand, config.displayUnit);
        if (index < 0) {
            std::string names;
            for (const DisplayUnit& u : displayUnits(measurand))
                names += (names.empty() ? "" : ", ") + u.name;
            return "bad value for 'displayunit': '" + config.displayUnit + "' (for configuration " +
                   record->description + ": " + names + ")";
        }
        config.displayUnit = displayUnit(measurand, index)->name;
    }
    if (config.calibrationDecimals > 0) {
        const double scale = std::pow(10.0, config.calibrationDecimals);
        for (double value :
             {record->lowerRange, record->upperRange, record->lowerNominal, record->upperNominal}) {
            if (std::fabs(value) * scale > 32767.0) {
                return "bad value for 'caldecimals': " +
                       std::to_string(config.calibrationDecimals) +
                       " (the range of configuration " + record->description +
                       " does not fit 16 bits with it)";
            }
        }
    }
    return {};
}

// The identity's own figures; options after identity= may change them.
void applyIdentity(Identity identity, DeviceConfig* c) {
    struct Figures {
        std::uint8_t manufacturerId, deviceType;
        std::uint32_t deviceId;
        Presence presence;
        std::uint16_t manufacturer16;
    };
    const DeviceConfig ours;
    const Figures figures[] = {
        {ours.manufacturerId, ours.deviceType, ours.deviceId, ours.presence, 0},
        {0x26, 0x06, 0x05A1B2, Presence::TransmitterOnly, 0x26},
        // Expanded device type 0xE1A5 of manufacturer 0x60C3.
        {0xE1, 0xA5, 0x07C3D4, Presence::TransmitterOnly, 0x60C3},
    };
    const Figures& f = figures[static_cast<int>(identity)];
    c->identity = identity;
    c->manufacturerId = f.manufacturerId;
    c->deviceType = f.deviceType;
    c->deviceId = f.deviceId;
    c->presence = f.presence;
    c->manufacturer16 = f.manufacturer16;
}

// One "key=value" item of an option text.
struct OptionItem {
    std::string key;    // lower case, without blanks
    std::string value;  // trimmed
    bool hasValue;      // an equals sign was there

    std::string bad() const {
        return std::string("bad value for '").append(key).append("': '").append(value).append("'");
    }
    // The value as a whole number within low..high.
    bool number(long low, long high, long* n) const {
        return hasValue && parseWholeNumber(lowerWithoutBlanks(value), n) && inRange(*n, low, high);
    }
    // The value as a decimal number (any, infinite and NaN included).
    bool decimal(double* v) const {
        char* end = nullptr;
        errno = 0;
        const double d = std::strtod(value.c_str(), &end);
        if (!hasValue || value.empty() || *end != '\0' || errno != 0) return false;
        *v = d;
        return true;
    }
};

// The options that take a whole number, each with its range.
struct NumberOption {
    const char* key;
    long low, high;
    const char* hint;  // said after a bad value
    void (*set)(DeviceConfig&, long);
};
const NumberOption kNumberOptions[] = {
    {"address", 0, 63, " (0..63)",
     [](DeviceConfig& c, long n) { c.pollingAddress = static_cast<std::uint8_t>(n); }},
    {"version", 0, 255, " (0..255)",
     [](DeviceConfig& c, long n) { c.displayInterfaceVersion = static_cast<int>(n); }},
    {"manufacturer", 0, 255, " (0..255)",
     [](DeviceConfig& c, long n) { c.manufacturerId = static_cast<std::uint8_t>(n); }},
    {"devicetype", 0, 255, " (0..255)",
     [](DeviceConfig& c, long n) { c.deviceType = static_cast<std::uint8_t>(n); }},
    {"deviceid", 0, 0xFFFFFF, " (0..0xFFFFFF)",
     [](DeviceConfig& c, long n) { c.deviceId = static_cast<std::uint32_t>(n); }},
    {"preambles", 2, 20, " (2..20)",
     [](DeviceConfig& c, long n) { c.preambles = static_cast<int>(n); }},
    {"turnaround", 0, 10000, " (0..10000 ms)",
     [](DeviceConfig& c, long n) { c.turnaroundMs = static_cast<int>(n); }},
    {"seed", 0, 0x7FFFFFFF, "",
     [](DeviceConfig& c, long n) { c.seed = static_cast<std::uint32_t>(n); }},
    {"teachtime", 0, 60000, " (0..60000 ms)",
     [](DeviceConfig& c, long n) { c.teachMs = static_cast<int>(n); }},
    {"caldecimals", 0, 3, " (0..3)",
     [](DeviceConfig& c, long n) { c.calibrationDecimals = static_cast<int>(n); }},
    {"burst", 0, 60000, " (0..60000 ms)",
     [](DeviceConfig& c, long n) { c.burstMs = static_cast<int>(n); }},
    {"othermaster", 0, 600000, " (0..600000 ms)",
     [](DeviceConfig& c, long n) { c.otherMasterMs = static_cast<int>(n); }},
    {"busy", 0, 1000, " (0..1000)",
     [](DeviceConfig& c, long n) { c.busyWrites = static_cast<int>(n); }},
    {"delayed", 0, 1000, " (0..1000)",
     [](DeviceConfig& c, long n) { c.delayedRepeats = static_cast<int>(n); }},
    {"status", 0, 255, " (0..255, e.g. 0x80 malfunction, 0x01 PV out of limits)",
     [](DeviceConfig& c, long n) { c.statusBits = static_cast<std::uint8_t>(n); }},
};

// The options that switch something on or off.
struct SwitchOption {
    const char* key;
    bool DeviceConfig::*on;
};
const SwitchOption kSwitchOptions[] = {
    {"realtime", &DeviceConfig::realtime},         {"powercycle", &DeviceConfig::powerCycle},
    {"writeprotect", &DeviceConfig::writeProtect}, {"ignorewrites", &DeviceConfig::ignoreWrites},
    {"morestatus", &DeviceConfig::moreStatus},
};

// The options that choose one of a few words. "" when the item was one of
// them and fits, else what is wrong.
std::string applyWordOption(const OptionItem& item, DeviceConfig& c, bool* known) {
    const std::string v = lowerWithoutBlanks(item.value);
    *known = true;
    if (item.key == "presence") {
        if (v == "both" || v == "all") {
            c.presence = Presence::Both;
        } else if (v == "transmitter") {
            c.presence = Presence::TransmitterOnly;
        } else if (v == "display") {
            c.presence = Presence::DisplayOnly;
        } else {
            return item.bad() + " (both, transmitter or display)";
        }
    } else if (item.key == "textpad") {
        if (v != "blank" && v != "nul") return item.bad() + " (blank or nul)";
        c.nulPaddedTexts = v == "nul";
    } else if (item.key == "errorlog") {
        long n = 0;
        if (v == "demo") {
            c.errorLogNewest = kDemoErrorLogNewest;
        } else {
            if (!item.number(0, 19, &n))
                return item.bad() + " (0..19, the newest entry's table index, or demo)";
            c.errorLogNewest = static_cast<int>(n);
        }
    } else if (item.key == "identity") {
        if (v != "ours" && v != "hart5" && v != "hart7")
            return item.bad() + " (ours, hart5 or hart7)";
        applyIdentity(v == "ours"    ? Identity::Ours
                      : v == "hart5" ? Identity::Hart5
                                     : Identity::Hart7,
                      &c);
    } else if (item.key == "foreign") {
        if (v == "notimpl") {
            c.foreignAnswer = ForeignAnswer::NotImplemented;
        } else if (v == "error") {
            c.foreignAnswer = ForeignAnswer::DeviceError;
        } else if (v == "layout") {
            c.foreignAnswer = ForeignAnswer::OtherLayout;
        } else {
            return item.bad() + " (notimpl, error or layout)";
        }
    } else {
        *known = false;
    }
    return std::string();
}

// The options with a text, a decimal number or a catalogue key; the
// faults. "" when the item fits, else what is wrong.
std::string applyValueOption(const OptionItem& item, DeviceConfig& c, std::vector<Fault>& f) {
    const std::string& key = item.key;
    const std::string& value = item.value;
    if (key == "config") {
        // Catalogue keys are hexadecimal, as the profiles write them.
        std::string v = lowerWithoutBlanks(value);
        if (v.rfind("0x", 0) != 0) v.insert(0, "0x");
        long n = 0;
        if (!item.hasValue || !parseWholeNumber(v, &n) || !findConfiguration(static_cast<int>(n)))
            return item.bad() + " (a key of the configuration catalogue, hexadecimal)";
        c.configurationKey = static_cast<int>(n);
    } else if (key == "fixedcurrent") {
        double mA = 0;
        if (!item.decimal(&mA) || (mA != 0.0 && (mA < 3.6 || mA > 21.6)))
            return item.bad() + " (0, or 3.6..21.6 mA)";
        c.fixedCurrentMa = static_cast<float>(mA);
    } else if (key == "hold") {
        double percent = 0;
        if (!item.decimal(&percent) || !(percent >= -50.0 && percent <= 150.0))
            return item.bad() + " (-50..150 percent of the measuring range)";
        c.holdPercent = percent;
    } else if (key == "state" || key == "log") {
        // File names keep their case; they cannot hold a comma.
        if (value.empty()) return item.bad() + " (a file name)";
        (key == "state" ? c.statePath : c.frameLogPath) = value;
    } else if (key == "displayunit") {
        // Checked against the record below: config= may follow.
        if (value.empty()) return item.bad() + " (a display unit such as mbar or °F)";
        c.displayUnit = value;
    } else if (key == "tag" || key == "longtag") {
        // Texts keep their case; the tag is packed ASCII (upper case), the
        // long tag Latin-1.
        const std::size_t longest = key == "tag" ? 8 : 32;
        if (!item.hasValue || value.size() > longest)
            return item.bad() + " (up to " + std::to_string(longest) + " characters)";
        (key == "tag" ? c.tag : c.longTag) = value;
    } else if (key == "fault") {
        const std::optional<Fault> fault = parseFault(value);
        if (!fault) return "bad fault '" + value + "'";
        f.push_back(*fault);
    } else {
        return "unknown option '" + key + "'";
    }
    return std::string();
}

// One item into `c` (a fault into `f`): "" when it fits, else what is wrong.
std::string applyOption(const OptionItem& item, DeviceConfig& c, std::vector<Fault>& f) {
    for (const NumberOption& o : kNumberOptions) {
        if (item.key != o.key) continue;
        long n = 0;
        if (!item.number(o.low, o.high, &n)) return item.bad() + o.hint;
        o.set(c, n);
        return std::string();
    }
    for (const SwitchOption& o : kSwitchOptions) {
        if (item.key != o.key) continue;
        if (!parseSwitch(item.value, &(c.*o.on))) return item.bad() + " (on or off)";
        return std::string();
    }
    bool known = false;
    const std::string problem = applyWordOption(item, c, &known);
    return known ? problem : applyValueOption(item, c, f);
}

}  // namespace

bool parseOptions(const std::string& text, DeviceConfig* config, std::vector<Fault>* faults,
                  std::string* error) {
    auto failWith = [&](const std::string& m) {
        if (error != nullptr) *error = m;
        return false;
    };
    if (config == nullptr || faults == nullptr) return failWith("no configuration to fill");

    // Work on copies: nothing is changed unless the whole text is good.
    DeviceConfig c = *config;
    std::vector<Fault> f;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos) end = text.size();
        const std::string item = trimmed(text.substr(start, end - start));
        start = end + 1;
        if (item.empty()) continue;

        const std::size_t eq = item.find('=');
        const bool hasValue = eq != std::string::npos;
        const OptionItem option{lowerWithoutBlanks(item.substr(0, eq)),
                                hasValue ? trimmed(item.substr(eq + 1)) : std::string(), hasValue};
        if (const std::string problem = applyOption(option, c, f); !problem.empty())
            return failWith(problem);
    }
    if (const std::string problem = unfitForRecord(c); !problem.empty()) return failWith(problem);
    *config = c;
    faults->insert(faults->end(), f.begin(), f.end());
    return true;
}

}  // namespace hartsim
