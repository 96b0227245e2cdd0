// hartcmd: one HART command from the command line, through the same master
// the link library uses. Works with any HART device: it assumes nothing
// beyond the data-link layer and the universal command 0.

#include <getopt.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "hartlink/master.h"
#include "hartlink/port_names.h"
#include "hartlink/timing.h"

namespace {

const char* const kHelp =
    "Usage: hartcmd --port P [--address N] --command C [--data HEX] [--preambles N]\n"
    "               [--retries N] [--timeout MS] [--secondary] [--trace]\n"
    "       hartcmd --help | --version\n"
    "\n"
    "Opens port P, finds the device at polling address N with command 0 (a\n"
    "short frame), then sends command C to it as a long frame and prints the\n"
    "response code, the device status and the data bytes in hex. With C = 0\n"
    "the answer to the first command 0 is printed.\n"
    "\n"
#ifdef _WIN32
    "  --port P        COMn (COM1, COM12), a device name (\\\\.\\CNCA0) or Sim\n"
    "                  (the built-in simulator; Sim:<options> or\n"
    "                  HARTSIM_OPTIONS set it up)\n"
#else
    "  --port P        a device path (/dev/ttyUSB0, /dev/pts/3), ComN (the\n"
    "                  N-th serial port, /dev/ttyS<N-1>) or Sim (the built-in\n"
    "                  simulator; Sim:<options> or HARTSIM_OPTIONS set it up)\n"
#endif
    "  --address N     polling address 0..63 (default 0)\n"
    "  --command C     command number 0..255\n"
    "  --data HEX      request data bytes, e.g. 0A1B or \"0A 1B\" (default none)\n"
    "  --preambles N   preambles before each request, 2..20 (default 5)\n"
    "  --retries N     retries after a failed try, 0..10 (default 2)\n"
    "  --timeout MS    wait this long for the start of an answer (default: the\n"
    "                  HART slave time-out, 28 character times, plus margins)\n"
    "  --secondary     act as a secondary master (default primary)\n"
    "  --trace         print every frame sent (TX) and received (RX) in hex\n"
    "  -h, --help      this text\n"
    "  --version       the program's version\n"
    "Values may also follow an equals sign: --port=/dev/ttyUSB0.\n"
    "\n"
    "The serial line runs at 1200 bit/s, 8 data bits, odd parity, 1 stop bit,\n"
    "with RTS raised while sending.\n"
    "\n"
    "Exit status: 0 the exchange succeeded (whatever the response code);\n"
    "1 the port did not open or the device did not answer properly;\n"
    "2 invalid arguments.\n";

std::string hex(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    char b[4];
    for (std::uint8_t v : bytes) {
        std::snprintf(b, sizeof b, "%s%02X", text.empty() ? "" : " ", v);
        text += b;
    }
    return text;
}

bool parseNumber(const char* text, long low, long high, long* value) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 0);
    if (errno != 0 || end == text || *end != '\0' || v < low || v > high) return false;
    *value = v;
    return true;
}

bool parseHex(const std::string& text, std::vector<std::uint8_t>* bytes) {
    std::string digits;
    for (char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c))) {
            digits += c;
        } else if (c != ' ' && c != ':' && c != ',' && c != '-') {
            return false;
        }
    }
    if (digits.size() % 2 != 0 || digits.size() / 2 > hartlink::kMaxDataSize) return false;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        bytes->push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    }
    return true;
}

int usage(const std::string& message) {
    std::fprintf(stderr, "hartcmd: %s\nTry 'hartcmd --help'.\n", message.c_str());
    return 2;
}

void printAnswer(int command, const hartlink::Answer& answer) {
    std::printf("Command %d: response code %u, device status 0x%02X, %zu data bytes\n", command,
                answer.status1, answer.status2, answer.data.size());
    if (answer.status1 & 0x80)
        std::printf("  (response code with bit 7: communication error bitmap)\n");
    std::printf("Data: %s\n", hex(answer.data).c_str());
}

// What the command line asks for.
struct Arguments {
    std::string port;
    long address = 0;
    long command = -1;
    std::vector<std::uint8_t> data;
    long preambles = 5;
    long retries = 2;
    long timeoutMs = 0;
    bool secondary = false;
    bool trace = false;
};

// The options with a value: what each needs, said when it is missing or bad.
enum Option : int {
    kPort = 256,
    kAddress,
    kCommand,
    kData,
    kPreambles,
    kRetries,
    kTimeout,
    kSecondary,
    kTrace,
    kVersion,
};

const char* needs(int option) {
    switch (option) {
        case kPort:
            return "--port needs a port name";
        case kAddress:
            return "--address needs a polling address 0..63";
        case kCommand:
            return "--command needs a command number 0..255";
        case kData:
            return "--data needs pairs of hex digits (at most 255 bytes)";
        case kPreambles:
            return "--preambles needs a count 2..20";
        case kRetries:
            return "--retries needs a count 0..10";
        case kTimeout:
            return "--timeout needs milliseconds 1..65535";
        default:
            return "a value is missing";
    }
}

// The option as written, without a value after "=".
std::string written(const char* arg) {
    const std::string text = arg;
    return text.substr(0, text.find('='));
}

// Takes the value of `option`; false when it is not valid.
bool take(int option, const char* v, Arguments* args) {
    switch (option) {
        case kPort:
            args->port = v;
            return !args->port.empty();
        case kAddress:
            return parseNumber(v, 0, 63, &args->address);
        case kCommand:
            return parseNumber(v, 0, 255, &args->command);
        case kData:
            return parseHex(v, &args->data);
        case kPreambles:
            return parseNumber(v, 2, 20, &args->preambles);
        case kRetries:
            return parseNumber(v, 0, 10, &args->retries);
        case kTimeout:
            return parseNumber(v, 1, 65535, &args->timeoutMs);
        default:
            return false;
    }
}

// Reads the command line into `args`: "--name value" and "--name=value"
// alike. Returns -1 to go on, else the exit status (0 after --help or
// --version, 2 for an invalid argument).
int parseArguments(int argc, char** argv, Arguments* args) {
    static const option kOptions[] = {
        {"port", required_argument, nullptr, kPort},
        {"address", required_argument, nullptr, kAddress},
        {"command", required_argument, nullptr, kCommand},
        {"data", required_argument, nullptr, kData},
        {"preambles", required_argument, nullptr, kPreambles},
        {"retries", required_argument, nullptr, kRetries},
        {"timeout", required_argument, nullptr, kTimeout},
        {"secondary", no_argument, nullptr, kSecondary},
        {"trace", no_argument, nullptr, kTrace},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, kVersion},
        {nullptr, 0, nullptr, 0},
    };
    // Errors are said here, in the program's words; options stop at the
    // first word that is none.
    opterr = 0;
    optind = 1;
    for (;;) {
        const int c = getopt_long(argc, argv, "+:h", kOptions, nullptr);
        if (c == -1) break;
        switch (c) {
            case 'h':
                std::fputs(kHelp, stdout);
                return 0;
            case kVersion:
                std::printf("hartcmd %s\n", ZH_VERSION);
                return 0;
            case kTrace:
                args->trace = true;
                break;
            case kSecondary:
                args->secondary = true;
                break;
            case ':':
                return usage(needs(optopt));
            case '?':
                if (optopt >= kPort)
                    return usage("no value expected: " + written(argv[optind - 1]));
                return usage("unknown option " + (optopt != 0
                                                      ? std::string("-") + static_cast<char>(optopt)
                                                      : written(argv[optind - 1])));
            default:
                if (!take(c, optarg, args)) return usage(needs(c));
                break;
        }
    }
    if (optind < argc) return usage(std::string("unexpected argument '") + argv[optind] + "'");
    if (args->port.empty()) return usage("--port is required");
    if (args->command < 0) return usage("--command is required");
    return -1;
}

hartlink::Settings masterSettings(const Arguments& args) {
    hartlink::Settings settings;
    settings.pollingAddress = static_cast<std::uint8_t>(args.address);
    settings.master =
        args.secondary ? hartlink::MasterKind::Secondary : hartlink::MasterKind::Primary;
    settings.preambles = static_cast<int>(args.preambles);
    settings.retries = static_cast<int>(args.retries);
    settings.responseTimeOut = std::chrono::milliseconds(args.timeoutMs);
    return settings;
}

void printFrame(bool sent, const std::vector<std::uint8_t>& bytes, const std::string& note) {
    std::printf("%s %s%s%s\n", sent ? "TX" : "RX", hex(bytes).c_str(), note.empty() ? "" : "  ; ",
                note.c_str());
    std::fflush(stdout);
}

// Finds the device with command 0, then sends the asked command to it.
// Returns the exit status.
int talk(const Arguments& args, hartlink::Transport& transport) {
    hartlink::Master master(transport, masterSettings(args));
    if (args.trace) master.setTrace(printFrame);

    auto failed = [&](const char* what, hartlink::Result result) {
        std::fprintf(stderr, "hartcmd: %s on %s: %s%s%s\n", what, transport.describe().c_str(),
                     hartlink::resultText(result), master.report().empty() ? "" : ": ",
                     master.report().c_str());
        transport.close();
        return 1;
    };

    const hartlink::Result connected = master.connect();
    if (connected != hartlink::Result::Ok) return failed("command 0 (connect)", connected);
    const hartlink::Identity& id = master.identity();
    std::printf(
        "Device at polling address %ld: type code 0x%02X, device type 0x%02X, device ID 0x%06X, "
        "HART revision %u; long address %s\n",
        args.address, id.typeCode, id.deviceType, static_cast<unsigned>(id.deviceId),
        id.universalRevision, hex({id.longAddress.begin(), id.longAddress.end()}).c_str());

    if (args.command == 0) {
        printAnswer(0, master.connectAnswer());
        transport.close();
        return 0;
    }
    hartlink::Answer answer;
    const hartlink::Result result =
        master.transact(static_cast<std::uint8_t>(args.command), args.data, &answer);
    if (result != hartlink::Result::Ok)
        return failed(("command " + std::to_string(args.command)).c_str(), result);
    printAnswer(static_cast<int>(args.command), answer);
    transport.close();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments args;
    const int status = parseArguments(argc, argv, &args);
    if (status >= 0) return status;

    std::string error;
    std::unique_ptr<hartlink::Transport> transport =
        hartlink::makeTransportForName(args.port, &error);
    if (!transport) {
        std::fprintf(stderr, "hartcmd: %s\n", error.c_str());
        return 1;
    }
    const hartlink::IoStatus opened = transport->open();
    if (!opened.ok) {
        std::fprintf(stderr, "hartcmd: %s\n", opened.error.c_str());
        return 1;
    }
    return talk(args, *transport);
}
