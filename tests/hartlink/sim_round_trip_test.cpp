// The master against the device simulator behind the "Sim" port: the same
// frames a modem would carry, in the simulator's virtual time.

#include <gtest/gtest.h>

#ifdef ZH_HARTLINK_WITH_SIM

#include "hartlink/master.h"

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
    for (const char* fault : {"fault=busy", "fault=noanswer", "fault=badcheck", "fault=late:400",
                              "fault=commerror:0x08", "fault=noise:12"}) {
        Master& m = start(fault);
        EXPECT_EQ(m.connect(), Result::Ok) << fault << ": " << m.report();
        // Noise before an answer costs no retry; everything else does.
        EXPECT_EQ(m.report().empty(), std::string(fault) == "fault=noise:12")
            << fault << ": " << m.report();
    }
    EXPECT_EQ(start("fault=noanswer*3").connect(), Result::NoResponse);
    EXPECT_EQ(start("fault=badcheck*3").connect(), Result::Communication);
}

// Several devices on the Sim port's line, one of them in burst mode: what
// the transport delivers is the addressed device's answer, and burst frames
// (delimiter 0x81, burst bit in the address) while the line is quiet.
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
    const Bytes bursts = readFor(std::chrono::milliseconds(800));
    ASSERT_GE(bursts.size(), 2u * 21u);
    EXPECT_EQ(Bytes(bursts.begin() + 5, bursts.begin() + 8), (Bytes{0x81, 0xE6, 0x06}));
    EXPECT_EQ(Bytes(bursts.begin() + 26, bursts.begin() + 29), (Bytes{0x81, 0xE6, 0x06}));

    const Bytes request = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x81, 0x00, 0x00, 0x83};
    ASSERT_TRUE(line->write(request.data(), request.size(), true).ok);
    const Bytes answer = readFor(std::chrono::milliseconds(400));
    ASSERT_EQ(answer.size(), 5u + 1 + 1 + 2 + 2 + 22 + 1);
    EXPECT_EQ(answer[5], 0x06);
    EXPECT_EQ(Bytes(answer.begin() + 11, answer.begin() + 14), (Bytes{0xFE, 0xE1, 0xA5}));
}

}  // namespace
}  // namespace hartlink

#else

TEST(SimRoundTrip, NeedsTheSimulator) {
    GTEST_SKIP() << "built without the device simulator";
}

#endif
