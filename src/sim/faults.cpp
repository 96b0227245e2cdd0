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
    {"badcheck", Fault::Kind::BadCheckByte, false, false},
    {"wronglength", Fault::Kind::WrongLength, false, false},
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
        const std::string key = lowerWithoutBlanks(item.substr(0, eq));
        const std::string value =
            eq == std::string::npos ? std::string() : trimmed(item.substr(eq + 1));
        const bool hasValue = eq != std::string::npos;
        const std::string bad =
            std::string("bad value for '").append(key).append("': '").append(value).append("'");
        long n = 0;
        auto number = [&](long low, long high) {
            return hasValue && parseWholeNumber(lowerWithoutBlanks(value), &n) &&
                   inRange(n, low, high);
        };

        if (key == "presence") {
            const std::string v = lowerWithoutBlanks(value);
            if (v == "both" || v == "all") {
                c.presence = Presence::Both;
            } else if (v == "transmitter") {
                c.presence = Presence::TransmitterOnly;
            } else if (v == "display") {
                c.presence = Presence::DisplayOnly;
            } else {
                return failWith(bad + " (both, transmitter or display)");
            }
        } else if (key == "address") {
            if (!number(0, 63)) return failWith(bad + " (0..63)");
            c.pollingAddress = static_cast<std::uint8_t>(n);
        } else if (key == "version") {
            if (!number(0, 255)) return failWith(bad + " (0..255)");
            c.displayInterfaceVersion = static_cast<int>(n);
        } else if (key == "manufacturer") {
            if (!number(0, 255)) return failWith(bad + " (0..255)");
            c.manufacturerId = static_cast<std::uint8_t>(n);
        } else if (key == "devicetype") {
            if (!number(0, 255)) return failWith(bad + " (0..255)");
            c.deviceType = static_cast<std::uint8_t>(n);
        } else if (key == "deviceid") {
            if (!number(0, 0xFFFFFF)) return failWith(bad + " (0..0xFFFFFF)");
            c.deviceId = static_cast<std::uint32_t>(n);
        } else if (key == "preambles") {
            if (!number(2, 20)) return failWith(bad + " (2..20)");
            c.preambles = static_cast<int>(n);
        } else if (key == "turnaround") {
            if (!number(0, 10000)) return failWith(bad + " (0..10000 ms)");
            c.turnaroundMs = static_cast<int>(n);
        } else if (key == "realtime") {
            if (!parseSwitch(value, &c.realtime)) return failWith(bad + " (on or off)");
        } else if (key == "seed") {
            if (!number(0, 0x7FFFFFFF)) return failWith(bad);
            c.seed = static_cast<std::uint32_t>(n);
        } else if (key == "config") {
            // Catalogue keys are hexadecimal, as the profiles write them.
            std::string v = lowerWithoutBlanks(value);
            if (v.rfind("0x", 0) != 0) v.insert(0, "0x");
            if (!hasValue || !parseWholeNumber(v, &n) || !findConfiguration(static_cast<int>(n))) {
                return failWith(bad + " (a key of the configuration catalogue, hexadecimal)");
            }
            c.configurationKey = static_cast<int>(n);
        } else if (key == "fixedcurrent") {
            char* endp = nullptr;
            errno = 0;
            const double mA = std::strtod(value.c_str(), &endp);
            if (!hasValue || value.empty() || *endp != '\0' || errno != 0 ||
                (mA != 0.0 && (mA < 3.6 || mA > 21.6))) {
                return failWith(bad + " (0, or 3.6..21.6 mA)");
            }
            c.fixedCurrentMa = static_cast<float>(mA);
        } else if (key == "hold") {
            char* endp = nullptr;
            errno = 0;
            const double percent = std::strtod(value.c_str(), &endp);
            if (!hasValue || value.empty() || *endp != '\0' || errno != 0 ||
                !(percent >= -50.0 && percent <= 150.0)) {
                return failWith(bad + " (-50..150 percent of the measuring range)");
            }
            c.holdPercent = percent;
        } else if (key == "teachtime") {
            if (!number(0, 60000)) return failWith(bad + " (0..60000 ms)");
            c.teachMs = static_cast<int>(n);
        } else if (key == "state" || key == "log") {
            // File names keep their case; they cannot hold a comma.
            if (value.empty()) return failWith(bad + " (a file name)");
            (key == "state" ? c.statePath : c.frameLogPath) = value;
        } else if (key == "powercycle") {
            if (!parseSwitch(value, &c.powerCycle)) return failWith(bad + " (on or off)");
        } else if (key == "displayunit") {
            // Checked against the record below: config= may follow.
            if (value.empty()) return failWith(bad + " (a display unit such as mbar or °F)");
            c.displayUnit = value;
        } else if (key == "caldecimals") {
            if (!number(0, 3)) return failWith(bad + " (0..3)");
            c.calibrationDecimals = static_cast<int>(n);
        } else if (key == "textpad") {
            const std::string v = lowerWithoutBlanks(value);
            if (v != "blank" && v != "nul") return failWith(bad + " (blank or nul)");
            c.nulPaddedTexts = v == "nul";
        } else if (key == "errorlog") {
            if (lowerWithoutBlanks(value) == "demo") {
                c.errorLogNewest = kDemoErrorLogNewest;
            } else {
                if (!number(0, 19))
                    return failWith(bad + " (0..19, the newest entry's table index, or demo)");
                c.errorLogNewest = static_cast<int>(n);
            }
        } else if (key == "identity") {
            const std::string v = lowerWithoutBlanks(value);
            if (v != "ours" && v != "hart5" && v != "hart7")
                return failWith(bad + " (ours, hart5 or hart7)");
            applyIdentity(v == "ours"    ? Identity::Ours
                          : v == "hart5" ? Identity::Hart5
                                         : Identity::Hart7,
                          &c);
        } else if (key == "foreign") {
            const std::string v = lowerWithoutBlanks(value);
            if (v == "notimpl") {
                c.foreignAnswer = ForeignAnswer::NotImplemented;
            } else if (v == "error") {
                c.foreignAnswer = ForeignAnswer::DeviceError;
            } else if (v == "layout") {
                c.foreignAnswer = ForeignAnswer::OtherLayout;
            } else {
                return failWith(bad + " (notimpl, error or layout)");
            }
        } else if (key == "tag" || key == "longtag") {
            // Texts keep their case; the tag is packed ASCII (upper case), the
            // long tag Latin-1.
            const std::size_t longest = key == "tag" ? 8 : 32;
            if (!hasValue || value.size() > longest)
                return failWith(bad + " (up to " + std::to_string(longest) + " characters)");
            (key == "tag" ? c.tag : c.longTag) = value;
        } else if (key == "writeprotect") {
            if (!parseSwitch(value, &c.writeProtect)) return failWith(bad + " (on or off)");
        } else if (key == "morestatus") {
            if (!parseSwitch(value, &c.moreStatus)) return failWith(bad + " (on or off)");
        } else if (key == "burst") {
            if (!number(0, 60000)) return failWith(bad + " (0..60000 ms)");
            c.burstMs = static_cast<int>(n);
        } else if (key == "busy" || key == "delayed") {
            if (!number(0, 1000)) return failWith(bad + " (0..1000)");
            (key == "busy" ? c.busyWrites : c.delayedRepeats) = static_cast<int>(n);
        } else if (key == "fault") {
            const std::optional<Fault> fault = parseFault(value);
            if (!fault) return failWith("bad fault '" + value + "'");
            f.push_back(*fault);
        } else {
            return failWith("unknown option '" + key + "'");
        }
    }
    if (const std::string problem = unfitForRecord(c); !problem.empty()) return failWith(problem);
    *config = c;
    faults->insert(faults->end(), f.begin(), f.end());
    return true;
}

}  // namespace hartsim
