// The line the simulator shares with the program: a scripted program sends
// its request at a moment chosen against the simulator's own frames, and
// the line judges it as the loop-sharing rules do.

#include "sim/loop_traffic.h"

#include <unistd.h>

#include <fstream>
#include <sstream>

#include "sim_test_support.h"

namespace hartsim::test {
namespace {

using Kind = LineEvent::Kind;

LineTime end(const LineEvent& e) {
    return e.at + characterTime(static_cast<std::int64_t>(e.bytes.size()));
}

struct Moment {
    const char* options;
    bool opens;             // the program opens with a request of its own
    Kind waitFor;           // the simulator's frame the program times its request by
    int nth;                // the nth frame of that kind (1: the first)
    bool fromEnd;           // counted from that frame's end, else from its start
    int chars;              // this many characters later
    const char* collision;  // the kind logged, "" for none
};

TEST(LoopTraffic, TheProgramsRequestIsJudgedAgainstTheSimulatorsFrames) {
    // The program is a primary master: the second master is secondary, and
    // of the burst frames the first carries the program's bit, the second
    // the other master's.
    const Moment moments[] = {
        // Its first request answered, the program sends again ...
        {"", true, Kind::Answer, 1, false, 5, "two carriers at once"},  // into the answer
        {"", true, Kind::Answer, 1, true, 2, "request in the other master's turn"},
        {"", true, Kind::Answer, 1, true, 10, ""},  // after HOLD
        // The second master asked the device something.
        {"othermaster=300", false, Kind::OtherRequest, 1, false, 3, "two carriers at once"},
        {"othermaster=300", false, Kind::OtherRequest, 1, true, 1, "request into an answer slot"},
        {"othermaster=300", false, Kind::Answer, 1, true, 3, ""},  // the program's turn
        // A device in burst mode.
        {"burst=300", false, Kind::Burst, 1, false, 4, "two carriers at once"},
        {"burst=300", false, Kind::Burst, 1, true, 3, ""},  // the program's turn
        {"burst=300", false, Kind::Burst, 2, true, 3, "request in the other master's turn"},
        {"burst=300", false, Kind::Burst, 2, true, 10, ""},
    };
    const Bytes request = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x80, 0x00, 0x00, 0x82};
    const std::string log = "/tmp/loop_traffic_" + std::to_string(getpid()) + ".log";
    for (const Moment& m : moments) {
        const std::string label = std::string(m.options) + " " + std::to_string(m.nth) +
                                  (m.fromEnd ? " end+" : " start+") + std::to_string(m.chars);
        std::remove(log.c_str());
        std::vector<LineDevice> devices;
        std::string error;
        ASSERT_TRUE(parseLineOptions(
            std::string(m.options) + (*m.options ? "," : "") + "log=" + log, &devices, &error))
            << error;
        Line line(devices);
        LoopTraffic traffic(line, LoopTiming{});
        // Without other frames to wait for, the program opens with a request.
        LineTime t = characterTime(40);
        if (m.opens) traffic.programBytes(request.data(), request.size(), t);
        int seen = 0;
        while (std::optional<LineEvent> e = traffic.next(LineTime::max())) {
            if (e->kind != m.waitFor || ++seen < m.nth) continue;
            t = (m.fromEnd ? end(*e) : e->at) + characterTime(m.chars);
            break;
        }
        ASSERT_EQ(seen, m.nth) << label;
        while (traffic.next(t)) {
        }
        traffic.programBytes(request.data(), request.size(), t);

        std::ifstream in(log);
        std::stringstream text;
        text << in.rdbuf();
        const bool expected = *m.collision != 0;
        EXPECT_EQ(line.collisions(), expected ? 1u : 0u) << label << "\n" << text.str();
        EXPECT_EQ(text.str().find(std::string("COLLISION ") + m.collision) != std::string::npos,
                  expected)
            << label << "\n"
            << text.str();
    }
    std::remove(log.c_str());
}

}  // namespace
}  // namespace hartsim::test
