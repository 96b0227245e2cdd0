#include "hartlink/port_names.h"

#include <cctype>
#include <cstdlib>

namespace hartlink {

namespace {

bool startsWithNoCase(const std::string& text, const char* prefix) {
    std::size_t i = 0;
    for (; prefix[i] != '\0'; ++i) {
        if (i >= text.size() || std::tolower(static_cast<unsigned char>(text[i])) !=
                                    std::tolower(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

void PortNames::set(std::uint16_t number, const std::string& name) {
    if (name.empty()) {
        names_.erase(number);
    } else {
        names_[number] = name;
    }
}

std::string PortNames::nameOf(std::uint16_t number) const {
    const auto it = names_.find(number);
    if (it != names_.end()) return it->second;
    return number == 0 ? std::string() : "Com" + std::to_string(number);
}

int comNumberOf(const std::string& name) {
    if (!startsWithNoCase(name, "com") || name.size() < 4 || name.size() > 8) return 0;
    long n = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return 0;
        n = n * 10 + (name[i] - '0');
    }
    return n >= 1 && n <= 65535 ? static_cast<int>(n) : 0;
}

std::string devicePathOf(const std::string& name) {
    const int n = comNumberOf(name);
#ifdef _WIN32
    return n > 0 ? "COM" + std::to_string(n) : name;
#else
    return n > 0 ? "/dev/ttyS" + std::to_string(n - 1) : name;
#endif
}

bool isSimName(const std::string& name, std::string* options) {
    if (!startsWithNoCase(name, "sim") || (name.size() > 3 && name[3] != ':')) return false;
    if (name.size() > 3) {
        *options = name.substr(4);
    } else {
        const char* env = std::getenv("HARTSIM_OPTIONS");
        *options = env != nullptr ? env : "";
    }
    return true;
}

std::unique_ptr<Transport> makeTransportForName(const std::string& name, std::string* error) {
    std::string options;
    if (isSimName(name, &options)) return makeSimTransport(options);
    if (name.empty()) {
        *error = "No port name: name the port with BaTinHrtCPr_SetPortName before opening it";
        return nullptr;
    }
    if (startsWithNoCase(name, "com") && comNumberOf(name) == 0 &&
        name.find('/') == std::string::npos) {
        *error = "Invalid serial port name " + name + " (Com1 is the first port)";
        return nullptr;
    }
    return makeSerialTransport(devicePathOf(name));
}

}  // namespace hartlink
