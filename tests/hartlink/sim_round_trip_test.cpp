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

}  // namespace
}  // namespace hartlink

#else

TEST(SimRoundTrip, NeedsTheSimulator) {
    GTEST_SKIP() << "built without the device simulator";
}

#endif
