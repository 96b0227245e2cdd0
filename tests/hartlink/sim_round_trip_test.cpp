// The master against the device simulator behind the "Sim" port: the same
// frames a modem would carry, in the simulator's virtual time.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#ifdef ZH_HARTLINK_WITH_SIM

#include "hartlink/master.h"
#include "hartlink/timing.h"

namespace hartlink {
namespace {

using Bytes = std::vector<std::uint8_t>;

class SimRoundTrip : public ::testing::Test {
  protected:
    Master& start(const std::string& options, Settings s = {}) {
        transport = makeSimTransport(options);
        const IoStatus opened = transport->open();
        EXPECT_TRUE(opened.ok) << opened.error;
        master = std::make_unique<Master>(*transport, s);
        master->setTrace([this](bool sent, const Bytes& bytes, const std::string& note) {
            std::size_t i = 0;
            while (i < bytes.size() && bytes[i] == 0xFF) ++i;
            delimiters.push_back(i < bytes.size() ? bytes[i] : 0);
            notes.push_back(note);
        });
        return *master;
    }
    std::unique_ptr<Transport> transport;
    std::unique_ptr<Master> master;
    std::vector<int> delimiters;  // of every traced frame, sent and received
    std::vector<std::string> notes;
};

TEST_F(SimRoundTrip, ConnectThenALongFrameCommand) {
    Master& m = start("");
    ASSERT_EQ(m.connect(), Result::Ok) << m.report();
    // The simulator's default identity: 0x94 / 0x7E / 0x0012AB.
    EXPECT_EQ(m.identity().longAddress,
              (std::array<std::uint8_t, 5>{0x94 & 0x3F, 0x7E, 0x00, 0x12, 0xAB}));
    Answer answer;
    ASSERT_EQ(m.transact(1, {}, &answer), Result::Ok) << m.report();
    EXPECT_EQ(delimiters, (std::vector<int>{0x02, 0x06, 0x82, 0x86}));
    EXPECT_EQ(notes, std::vector<std::string>(4));
}

TEST_F(SimRoundTrip, InjectedFaultsAreOvercomeByRetriesUnlessTheyLast) {
    // The try that failed is named by what it met, as the frame monitor names it.
    const struct {
        const char* fault;
        const char* words;  // "": no retry was needed
    } rows[] = {
        {"fault=busy", "try 1: device busy (response code 32)"},
        {"fault=noanswer", "try 1: no answer within 286 ms"},
        {"fault=badcheck", "try 1: no valid answer (bad check byte)"},
        {"fault=truncated", "try 1: no valid answer (frame broke off after 3 of 14 data bytes)"},
        {"fault=late:400", "try 1: no answer within 286 ms"},
        {"fault=commerror:0x08", "request: check byte (0x88)"},
        {"fault=noise:12", ""},  // noise before an answer costs no retry
    };
    for (const auto& row : rows) {
        Master& m = start(row.fault);
        EXPECT_EQ(m.connect(), Result::Ok) << row.fault << ": " << m.report();
        if (*row.words == '\0')
            EXPECT_EQ(m.report(), "") << row.fault;
        else
            EXPECT_NE(m.report().find(row.words), std::string::npos)
                << row.fault << ": " << m.report();
    }
    EXPECT_EQ(start("fault=noanswer*3").connect(), Result::NoResponse);
    EXPECT_EQ(start("fault=badcheck*3").connect(), Result::Communication);
}

// Several devices on the Sim port's line, one of them in burst mode: what
// the transport delivers is the addressed device's answer, and burst frames
// (delimiter 0x81, burst bit in the address) on the quiet line, their master
// bit alternating, and right after an answer.
TEST(SimLine, TheAddressedDeviceAnswersAndABurstingOneTalksBetween) {
    std::unique_ptr<Transport> line =
        makeSimTransport("identity=hart7,address=1;identity=hart5,address=2,burst=200");
    ASSERT_TRUE(line->open().ok);
    auto readFor = [&line](std::chrono::milliseconds span) {
        Bytes got;
        std::uint8_t buffer[64];
        const auto end = line->now() + span;
        while (line->now() < end) {
            std::size_t n = 0;
            const auto left =
                std::chrono::duration_cast<std::chrono::microseconds>(end - line->now());
            if (!line->read(buffer, sizeof buffer, left, &n).ok) break;
            got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    };
    const Bytes bursts = readFor(std::chrono::milliseconds(1200));
    ASSERT_EQ(bursts.size(), 2u * 21u);
    EXPECT_EQ(Bytes(bursts.begin() + 5, bursts.begin() + 8), (Bytes{0x81, 0xE6, 0x06}));
    EXPECT_EQ(Bytes(bursts.begin() + 26, bursts.begin() + 29), (Bytes{0x81, 0x66, 0x06}));

    const Bytes request = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x81, 0x00, 0x00, 0x83};
    ASSERT_TRUE(line->write(request.data(), request.size(), true).ok);
    const Bytes answer = readFor(std::chrono::milliseconds(600));
    const std::size_t length = 5u + 1 + 1 + 2 + 2 + 22 + 1;
    ASSERT_EQ(answer.size(), length + 21);
    EXPECT_EQ(answer[5], 0x06);
    EXPECT_EQ(Bytes(answer.begin() + 11, answer.begin() + 14), (Bytes{0xFE, 0xE1, 0xA5}));
    EXPECT_EQ(Bytes(answer.begin() + length + 5, answer.begin() + length + 7), (Bytes{0x81, 0xE6}));
}

// A master that keeps the loop-sharing rules the plain way (it sends after
// RT1 of quiet only) shares the line with a second master and a device in
// burst mode: the log shows all three in turn, and no collision. A fault
// injected for the master is not used up by the second master.
TEST(SimLine, AMasterThatWaitsForQuietSharesTheLineWithoutCollisions) {
    const std::string log = "/tmp/sim_line_" + std::to_string(getpid()) + ".log";
    std::remove(log.c_str());
    const std::string options = "burst=700,othermaster=500,fault=noanswer@13,log=" + log;
    std::unique_ptr<Transport> line = makeSimTransport(options);
    ASSERT_TRUE(line->open().ok);
    const Bytes request = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x80, 0x00, 0x00, 0x82};
    auto waitForQuiet = [&line] {
        for (auto quietSince = line->now();;) {
            const auto left = std::chrono::ceil<std::chrono::microseconds>(
                quietSince + timing::quietTime(true) - line->now());
            if (left.count() <= 0) return;
            std::uint8_t buffer[64];
            std::size_t n = 0;
            if (!line->read(buffer, sizeof buffer, left, &n).ok) return;
            if (n > 0) quietSince = line->now();
        }
    };
    for (int i = 0; i < 12; ++i) {
        waitForQuiet();
        ASSERT_TRUE(line->write(request.data(), request.size(), true).ok);
    }
    waitForQuiet();
    line->close();
    EXPECT_EQ(simCollisions(options), 0u);

    std::ifstream in(log);
    std::vector<std::string> tags;
    for (std::string entry; std::getline(in, entry);) {
        // "<ms> <tag>: FF ...": the tag without the time and the bytes.
        const std::size_t from = entry.find(' ') + 1;
        tags.push_back(entry.substr(from, entry.find(": FF") - from));
    }
    std::remove(log.c_str());
    auto count = [&tags](const std::string& tag) {
        return std::count(tags.begin(), tags.end(), tag);
    };
    EXPECT_EQ(count("RX command=0 (answered)"), 12);
    EXPECT_EQ(count("TX command=0"), 12);
    EXPECT_GE(count("M2 command=0 (answered)"), 1);
    EXPECT_GE(count("TX command=1 (to M2)"), 1);
    EXPECT_EQ(count("M2 command=13 (no answer: fault)"), 0);
    EXPECT_GE(count("TX burst command=1"), 2);
    // The others talk between the master's requests, not only after them.
    const auto firstOther = std::find(tags.begin(), tags.end(), "M2 command=0 (answered)");
    const auto lastOwn = std::find(tags.rbegin(), tags.rend(), "RX command=0 (answered)");
    EXPECT_LT(firstOther - tags.begin(), tags.rend() - lastOwn - 1);
}

}  // namespace
}  // namespace hartlink

#else

TEST(SimRoundTrip, NeedsTheSimulator) {
    GTEST_SKIP() << "built without the device simulator";
}

#endif
