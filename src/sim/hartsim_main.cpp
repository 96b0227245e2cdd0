// hartsim: the device simulator on a pseudo-terminal. A master (the program,
// the link library, or a terminal tool) opens the path hartsim prints and
// talks HART to a transmitter with its plug-on display module.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sim/line.h"
#include "sim/pty_runner.h"

namespace {

const char kUsage[] =
    "Usage: hartsim --pty [options]\n"
    "       hartsim --help | --version\n"
    "\n"
    "Simulates a HART transmitter with a plug-on display module (or another\n"
    "maker's HART device, or several devices on one line) on a new\n"
    "pseudo-terminal. The first line on stdout is the path a master opens.\n"
    "\n"
    "  --pty                 serve on a pseudo-terminal (required)\n"
    "  --seconds N           stop after N seconds (default: at SIGTERM or SIGINT)\n"
    "  --log FILE            write every frame on the line as a hex line stamped\n"
    "                        with the time of its first byte: RX the master's,\n"
    "                        TX the devices' answers and burst frames, M2 the\n"
    "                        second master's requests; and every collision\n"
    "                        (\"COLLISION <kind>: ...\")\n"
    "  --state FILE          keep the device's memories in FILE (state=FILE): a\n"
    "                        missing FILE starts the device new and is written at\n"
    "                        once and after every request; a restarted hartsim\n"
    "                        goes on from it\n"
    "  --realtime            emulate the wire at 1200 bit/s (9.167 ms per byte):\n"
    "                        an answer starts only when the request would have\n"
    "                        arrived on a modem (its first byte + 9.167 ms per\n"
    "                        byte) and the turnaround time passed, and goes\n"
    "                        out at the same pace\n"
    "  --options TEXT        device options, comma-separated (below); the\n"
    "                        options of several devices separated by ';'\n"
    "  --transmitter-only    no display module (presence=transmitter)\n"
    "  --display-only        no transmitter (presence=display)\n"
    "  --address N           polling address 0..63 (address=N)\n"
    "  --fault FAULT         inject a fault (fault=FAULT); may be repeated\n"
    "  -h, --help            this text\n"
    "  --version             the program's version\n"
    "Values may also follow an equals sign: --fault=busy*2.\n"
    "\n"
    "The flags after --options win over it, whatever their order.\n"
    "\n"
    "Options (numbers decimal or 0x hexadecimal):\n"
    "  presence=both|transmitter|display   which parts answer (default both)\n"
    "  address=N          polling address 0..63 (default 0)\n"
    "  version=N          interface version the display reports (default 5)\n"
    "  manufacturer=N     manufacturer id (default 0x94)\n"
    "  devicetype=N       device type (default 0x7E)\n"
    "  deviceid=N         24-bit device id (default 0x0012AB)\n"
    "  preambles=N        preambles before each answer, 2..20 (default 5)\n"
    "  turnaround=MS      time from a request to its answer (default 20)\n"
    "  realtime[=on|off]  as --realtime\n"
    "  config=KEY         catalogue configuration, hexadecimal key (default 1)\n"
    "  seed=N             let the measured value wander, reproducibly per seed\n"
    "  fixedcurrent=MA    start in fixed-current mode (3.6..21.6 mA; 0: off)\n"
    "  hold=PERCENT       hold the process at PERCENT of the measuring range\n"
    "                     (-50..150; default: it moves on a slow course)\n"
    "  teachtime=MS       teach actions answer MS later (default 0)\n"
    "  state=FILE         keep the device's memories (RAM, EEPROM, factory set,\n"
    "                     error log) in FILE: loaded at start, saved after\n"
    "                     every request; what the file holds wins over the\n"
    "                     options that shape a new device (config, displayunit,\n"
    "                     caldecimals, textpad, ...)\n"
    "  powercycle[=on|off] start as after power off and on: RAM from EEPROM\n"
    "  log=FILE           append every frame on the line to FILE, stamped with\n"
    "                     the ms since the line started and with its command\n"
    "                     number (\"RX command=190 ...\", \"M2 command=1 ...\"),\n"
    "                     and every collision\n"
    "  displayunit=UNIT   the display module shows UNIT instead of the unit it\n"
    "                     is calibrated in; its range stays in that unit. UNIT\n"
    "                     is a display unit of the measurand: bar, mbar, PSI,\n"
    "                     kPa, MPa, %, mA (pressure); °C, °F, K, %, mA\n"
    "                     (temperature); case and the degree sign do not matter\n"
    "  caldecimals=N      the display module's calibration decimal point (0..3):\n"
    "                     its nominal range, and on its own its range values,\n"
    "                     stored times 10^N (default: 0 on a transmitter, on\n"
    "                     its own the decimals that leave four digits)\n"
    "  textpad=blank|nul  pad the texts of blocks 2 and 3 (tag, serial number\n"
    "                     texts) with blanks (default) or NUL bytes\n"
    "  errorlog=N|demo    the display module's error log full: twenty entries\n"
    "                     with distinct time stamps and power-on counts, the\n"
    "                     newest at table index N (0..19; demo: 7)\n"
    "  fault=FAULT        as --fault\n"
    "  identity=ours|hart5|hart7  who the device is (default ours: our transmitter\n"
    "                     with its display module); hart5: another maker's HART 5\n"
    "                     transmitter (manufacturer 0x26, device type 0x06,\n"
    "                     12-byte command 0); hart7: another maker's HART 7\n"
    "                     transmitter (manufacturer 0x60C3, expanded device type\n"
    "                     0xE1A5, 22-byte command 0). Both know only universal and\n"
    "                     common-practice commands. Put it first: it sets\n"
    "                     manufacturer, devicetype, deviceid and presence\n"
    "  foreign=notimpl|error|layout  how hart5/hart7 answer commands 128 and up:\n"
    "                     64 (default), device-specific error 6, or a success\n"
    "                     with ten data bytes of a layout that is not ours\n"
    "  tag=TEXT           initial tag (up to 8 characters, packed ASCII)\n"
    "  longtag=TEXT       initial long tag (up to 32 characters; hart5 has none)\n"
    "  writeprotect[=on|off]  the configuration writes answer 7\n"
    "  ignorewrites[=on|off]  writes are acknowledged but nothing is stored\n"
    "  morestatus[=on|off] start with \"more status available\" set until\n"
    "                     command 48 reads the additional status\n"
    "  status=BITS        field device status bits every answer carries (0..255,\n"
    "                     e.g. 0x80 malfunction, 0x01 PV out of limits)\n"
    "  burst=MS           burst mode: a burst frame of command 1 at most every\n"
    "                     MS ms, right after an answer or on a quiet line, its\n"
    "                     master bit alternating between primary and secondary\n"
    "  othermaster=MS     a second master on the line, of the other kind than\n"
    "                     the master (taken as primary until its first request\n"
    "                     shows its kind): it wants to send every MS ms on\n"
    "                     average, at random moments drawn from seed= (or a\n"
    "                     fixed seed), and then reads commands 0, 1, 3 and 13\n"
    "                     from the devices in turn, keeping the loop-sharing\n"
    "                     times. The master's frames that break them are\n"
    "                     logged as collisions: two carriers at once, request\n"
    "                     into an answer slot, request in the other master's\n"
    "                     turn; hartsim prints their number on exit\n"
    "  busy=N             the next N answers to write commands are busy (32)\n"
    "                     and carry nothing out\n"
    "  delayed=N          every write answers 33 (initiated), then 34 (running)\n"
    "                     to N-1 repeats of the same request, then is carried\n"
    "                     out and answers 0\n"
    "\n"
    "Several devices on one line: their options separated by ';', each with its\n"
    "own address, e.g. \"identity=hart7,address=1;identity=hart5,address=2\".\n"
    "The command-line flags apply to the first device; realtime, othermaster=\n"
    "and log= are the line's (from the first device); a later device keeps a\n"
    "state file only when it names its own.\n"
    "\n"
    "Faults: noanswer (nothing carried out), lost (carried out, the answer is\n"
    "lost), badcheck, wronglength, truncated (the answer breaks off half way),\n"
    "busy, error:CODE, commerror:BITS, late:MS, noise:N, each optionally followed\n"
    "by *COUNT (or xCOUNT; default 1 answer) and @COMMAND (default any command),\n"
    "e.g. \"busy*3@141\".\n"
    "Faults are used up in order, one per answer.\n";

int usageError(const char* message, const char* detail) {
    std::fprintf(stderr, "hartsim: %s%s\n(hartsim --help lists the options)\n", message, detail);
    return 2;
}

// What the command line asks for.
struct Arguments {
    bool pty = false;
    std::string optionsText;
    std::string statePath;
    std::vector<std::string> flagOptions;  // device options the flags stand for
    hartsim::PtyRunOptions run;
};

// Reads the command line into `args`. Returns -1 to go on, else the exit
// status (0 after --help or --version, 2 for an invalid argument).
int parseArguments(int argc, char** argv, Arguments* args) {
    for (int i = 1; i < argc; ++i) {
        // "--name value" and "--name=value" both work.
        std::string arg = argv[i];
        std::string inlineValue;
        bool hasInline = false;
        const std::size_t eq = arg.find('=');
        if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = arg.substr(eq + 1);
            arg.resize(eq);
            hasInline = true;
        }
        auto value = [&](const char** out) {
            if (hasInline) {
                *out = inlineValue.c_str();
                hasInline = false;
                return true;
            }
            if (i + 1 >= argc) return false;
            *out = argv[++i];
            return true;
        };
        const char* v = nullptr;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--version") {
            std::printf("hartsim %s\n", ZH_VERSION);
            return 0;
        } else if (arg == "--pty") {
            args->pty = true;
        } else if (arg == "--realtime") {
            args->flagOptions.push_back("realtime");
        } else if (arg == "--transmitter-only") {
            args->flagOptions.push_back("presence=transmitter");
        } else if (arg == "--display-only") {
            args->flagOptions.push_back("presence=display");
        } else if (arg == "--seconds") {
            if (!value(&v)) return usageError("--seconds needs a number", "");
            char* end = nullptr;
            args->run.seconds = std::strtod(v, &end);
            if (end == v || *end != '\0' || !(args->run.seconds > 0))
                return usageError("bad --seconds: ", v);
        } else if (arg == "--log") {
            if (!value(&v)) return usageError("--log needs a file name", "");
            args->run.logPath = v;
        } else if (arg == "--state") {
            // Set after the options, not as one of them: a path may hold a comma.
            if (!value(&v)) return usageError("--state needs a file name", "");
            args->statePath = v;
            if (args->statePath.empty()) return usageError("--state needs a file name", "");
        } else if (arg == "--options") {
            if (!value(&v)) return usageError("--options needs a text", "");
            args->optionsText = v;
        } else if (arg == "--address") {
            if (!value(&v)) return usageError("--address needs a number", "");
            args->flagOptions.push_back(std::string("address=") + v);
        } else if (arg == "--fault") {
            if (!value(&v)) return usageError("--fault needs a fault", "");
            args->flagOptions.push_back(std::string("fault=") + v);
        } else {
            return usageError(arg.rfind('-', 0) == 0 ? "unknown option " : "unexpected argument ",
                              arg.c_str());
        }
        if (hasInline) return usageError("no value expected: ", argv[i]);
    }
    if (!args->pty) return usageError("nothing to do without --pty", "");
    return -1;
}

// The options of the line's devices, the flags added to the first device's.
std::string lineOptions(const Arguments& args) {
    const std::size_t semicolon = args.optionsText.find(';');
    std::string all = args.optionsText.substr(0, semicolon);
    for (const std::string& item : args.flagOptions) all += "," + item;
    if (semicolon != std::string::npos) all += args.optionsText.substr(semicolon);
    return all;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments args;
    const int status = parseArguments(argc, argv, &args);
    if (status >= 0) return status;

    std::vector<hartsim::LineDevice> devices;
    std::string error;
    if (!hartsim::parseLineOptions(lineOptions(args), &devices, &error))
        return usageError("", error.c_str());
    if (!args.statePath.empty()) devices.front().config.statePath = args.statePath;
    hartsim::PtyRunOptions run = args.run;
    run.realtime = devices.front().config.realtime;

    hartsim::Line line(devices);
    const int code = hartsim::runOnPty(line, run);
    if (line.collisions() > 0) {
        std::fprintf(stderr, "hartsim: %llu collision%s on the line\n",
                     static_cast<unsigned long long>(line.collisions()),
                     line.collisions() == 1 ? "" : "s");
    }
    return code;
}
