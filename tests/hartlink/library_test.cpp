// The state behind the C interface: the nine Configure values, port names,
// and the order of calls.

#include "hartlink/library.h"

#include <gtest/gtest.h>

#include "fake_line.h"

namespace hartlink {
namespace {

using namespace std::chrono_literals;
using test::answerFrame;
using test::Bytes;

TEST(ConfigureValues, ProbeAndSessionValues) {
    Settings s;
    std::string error;
    // The connection probe: (0, 0, 5, 1, 0, 0, 0, 10, 0).
    ASSERT_EQ(settingsFromConfigureValues(0, 0, 5, 1, 0, 0, 0, 10, 0, &s, &error), Result::Ok);
    EXPECT_EQ(s.master, MasterKind::Secondary);
    EXPECT_EQ(s.preambles, 5);
    EXPECT_EQ(s.retries, 1);
    EXPECT_FALSE(s.adoptDevicePreambles);
    EXPECT_EQ(s.gapChars, 10);
    // A session with the display actions' time-out: (3, 2, 20, 2, 1, 0, 6000, 10, 0).
    ASSERT_EQ(settingsFromConfigureValues(3, 2, 20, 2, 1, 0, 6000, 10, 0, &s, &error), Result::Ok);
    EXPECT_EQ(s.pollingAddress, 3);
    EXPECT_EQ(s.master, MasterKind::Primary);
    EXPECT_EQ(s.preambles, 20);
    EXPECT_TRUE(s.adoptDevicePreambles);
    EXPECT_TRUE(s.keyRts);
    EXPECT_EQ(s.responseTimeOut, 6000ms);
    // 0 preambles means 5; a non-zero sixth value leaves RTS alone.
    ASSERT_EQ(settingsFromConfigureValues(63, 1, 0, 0, 0, 1, 0, 0, 0, &s, &error), Result::Ok);
    EXPECT_EQ(s.preambles, 5);
    EXPECT_FALSE(s.keyRts);
}

TEST(ConfigureValues, OutOfRangeIsRefusedWithAReason) {
    const struct {
        std::uint8_t address, preambles, retries;
        std::uint16_t gap, v9;
        const char* mentions;
    } cases[] = {
        {64, 5, 2, 10, 0, "polling address 64"}, {0, 1, 2, 10, 0, "preamble count 1"},
        {0, 21, 2, 10, 0, "preamble count 21"},  {0, 5, 11, 10, 0, "retry count 11"},
        {0, 5, 2, 1001, 0, "gap time-out 1001"}, {0, 5, 2, 10, 1, "reserved"},
    };
    for (const auto& c : cases) {
        Settings s;
        s.preambles = 9;
        std::string error;
        EXPECT_EQ(settingsFromConfigureValues(c.address, 1, c.preambles, c.retries, 0, 0, 0, c.gap,
                                              c.v9, &s, &error),
                  Result::InvalidArgument);
        EXPECT_NE(error.find(c.mentions), std::string::npos) << error;
        EXPECT_EQ(s.preambles, 9) << "changed although refused: " << c.mentions;
    }
}

TEST(PortNames, NamesPickTheTransport) {
    EXPECT_EQ(devicePathOf("Com1"), "/dev/ttyS0");
    EXPECT_EQ(devicePathOf("COM16"), "/dev/ttyS15");
    EXPECT_EQ(devicePathOf("/dev/pts/3"), "/dev/pts/3");
    std::string options;
    EXPECT_TRUE(isSimName("sim:presence=display", &options));
    EXPECT_EQ(options, "presence=display");
    EXPECT_FALSE(isSimName("Simulator", &options));
    std::string error;
    EXPECT_EQ(makeTransportForName("Com0", &error), nullptr);
    EXPECT_NE(error.find("Com0"), std::string::npos);
}

TEST(Library, CallOrderPortNamesAndTheLastError) {
    std::vector<std::string> opened;
    test::FakeLine* line = nullptr;
    Library lib([&](const std::string& name, std::string*) {
        opened.push_back(name);
        auto l = std::make_unique<test::FakeLine>();
        line = l.get();
        l->device = [](const Bytes& frame, std::size_t) -> std::vector<test::Chunk> {
            if (frame[5] == 0x02)
                return {{20ms,
                         answerFrame({0x80}, 0, 0, 0, {0xFE, 0x26, 6, 5, 7, 1, 1, 0, 0, 1, 2, 3})}};
            return {{20ms, answerFrame({0xA6, 0x06, 0x01, 0x02, 0x03}, frame[11], 0, 0, {0x42})}};
        };
        return l;
    });
    Answer answer;
    EXPECT_EQ(lib.connect(), Result::InvalidHandle);
    EXPECT_EQ(lib.open(0), Result::Resource);
    EXPECT_NE(lib.lastError().find("SetPortName"), std::string::npos);
    lib.setPortName(0, "Sim");
    ASSERT_EQ(lib.open(0), Result::Ok);
    ASSERT_EQ(lib.open(7), Result::Ok);  // closes the first
    EXPECT_EQ(opened, (std::vector<std::string>{"Sim", "Com7"}));

    EXPECT_EQ(lib.sendRequest(1, {}, &answer), Result::InvalidHandle);
    ASSERT_EQ(lib.connect(), Result::Ok);
    EXPECT_EQ(lib.sendRequest(1, {}, &answer), Result::Ok);
    EXPECT_EQ(answer.data, Bytes{0x42});
    lib.disconnect();
    EXPECT_TRUE(lib.portOpen());
    EXPECT_EQ(lib.sendRequest(1, {}, &answer), Result::InvalidHandle);

    // Settings reach the open master; the last error tells what happened.
    Settings s;
    s.retries = 0;
    lib.configure(s);
    line->device = nullptr;
    line->writes.clear();
    EXPECT_EQ(lib.connect(), Result::NoResponse);
    EXPECT_EQ(line->writes.size(), 1u);
    EXPECT_EQ(lib.lastError(), "no device response: try 1: no answer within 286 ms");
}

}  // namespace
}  // namespace hartlink
