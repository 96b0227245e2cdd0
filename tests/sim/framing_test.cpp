// The data-link side of the simulator: exact answers to hand-built master
// frames, addressing, check bytes, and byte streams cut anywhere.

#include <gtest/gtest.h>

#include "sim/simulator.h"
#include "sim_test_support.h"

namespace hartsim::test {
namespace {

// Command 0 identity of the default device: 254, manufacturer 0x94, device
// type 0x7E, 5 request preambles, universal revision 5, device revision 1,
// software 3, hardware 2 (<< 3), flags 0, device id 00 12 AB.
#define IDENTITY 0xFE, 0x94, 0x7E, 0x05, 0x05, 0x01, 0x03, 0x10, 0x00, 0x00, 0x12, 0xAB
#define PREAMBLES 0xFF, 0xFF, 0xFF, 0xFF, 0xFF

struct FrameCase {
    const char* name;
    std::uint8_t pollingAddress;
    Bytes request;
    Bytes reply;  // empty: no answer
};

TEST(SimFraming, HandBuiltFramesGetExactAnswers) {
    // clang-format off
    const FrameCase cases[] = {
        {"command 0 to polling address 0", 0,
         {PREAMBLES, 0x02, 0x80, 0x00, 0x00, 0x82},
         {PREAMBLES, 0x06, 0x80, 0x00, 0x0E, 0x00, 0x00, IDENTITY, 0x37}},
        {"command 0 to polling address 3", 3,
         {PREAMBLES, 0x02, 0x83, 0x00, 0x00, 0x81},
         {PREAMBLES, 0x06, 0x83, 0x00, 0x0E, 0x00, 0x00, IDENTITY, 0x34}},
        {"secondary master: master bit echoed clear", 0,
         {PREAMBLES, 0x02, 0x00, 0x00, 0x00, 0x02},
         {PREAMBLES, 0x06, 0x00, 0x00, 0x0E, 0x00, 0x00, IDENTITY, 0xB7}},
        {"two preambles are enough", 0,
         {0xFF, 0xFF, 0x02, 0x80, 0x00, 0x00, 0x82},
         {PREAMBLES, 0x06, 0x80, 0x00, 0x0E, 0x00, 0x00, IDENTITY, 0x37}},
        {"command 141 to the unique address", 0,
         {PREAMBLES, 0x82, 0x94, 0x7E, 0x00, 0x12, 0xAB, 0x8D, 0x00, 0x5C},
         {PREAMBLES, 0x86, 0x94, 0x7E, 0x00, 0x12, 0xAB, 0x8D, 0x1C, 0x00, 0x00,
          // configuration bytes of catalogue key 1, nominal 16 and 0 (LSB first)
          0x01, 0x05, 0x03, 0x19, 0x00, 0x01, 0x04, 0x00, 0x00, 0x03, 0x00, 0x01, 0x05, 0x80,
          0x00, 0x01, 0x00, 0x01, 0x00, 0x94, 0x01, 0x01, 0x10, 0x00, 0x00, 0x00, 0x5C}},
        {"command 0 to polling address 3 while we are 0", 0,
         {PREAMBLES, 0x02, 0x83, 0x00, 0x00, 0x81}, {}},
        {"long frame for another device id", 0,
         {PREAMBLES, 0x82, 0x94, 0x7E, 0x00, 0x12, 0xAC, 0x8D, 0x00, 0x5B}, {}},
        {"long frame for another device type", 0,
         {PREAMBLES, 0x82, 0x94, 0x7F, 0x00, 0x12, 0xAB, 0x8D, 0x00, 0x5D}, {}},
        {"short frame with a command other than 0", 0,
         {PREAMBLES, 0x02, 0x80, 0x8D, 0x00, 0x0F}, {}},
        {"another device's answer on the line", 0,
         {PREAMBLES, 0x06, 0x80, 0x00, 0x02, 0x00, 0x00, 0x84}, {}},
        {"one preamble only", 0, {0xFF, 0x02, 0x80, 0x00, 0x00, 0x82}, {}},
    };
    // clang-format on
    for (const FrameCase& c : cases) {
        SCOPED_TRACE(c.name);
        DeviceConfig config;
        config.pollingAddress = c.pollingAddress;
        Simulator sim(config);
        const std::vector<Reply> replies = sim.receive(c.request.data(), c.request.size());
        if (c.reply.empty()) {
            EXPECT_TRUE(replies.empty());
            EXPECT_EQ(sim.statistics().framesForUs, 0u);
        } else {
            ASSERT_EQ(replies.size(), 1u);
            EXPECT_EQ(replies[0].bytes, c.reply);
            EXPECT_EQ(replies[0].delayMs, config.turnaroundMs);
            EXPECT_EQ(sim.statistics().answers, 1u);
        }
    }
}

TEST(SimFraming, BadCheckByteIsDroppedAndCountedThenTheRetryIsAnswered) {
    Simulator sim;
    const Bytes bad = {PREAMBLES, 0x02, 0x80, 0x00, 0x00, 0x83};
    EXPECT_TRUE(sim.receive(bad.data(), bad.size()).empty());
    EXPECT_EQ(sim.statistics().badCheckBytes, 1u);
    EXPECT_EQ(sim.statistics().framesReceived, 1u);
    EXPECT_EQ(sim.statistics().framesForUs, 0u);

    const Bytes good = {PREAMBLES, 0x02, 0x80, 0x00, 0x00, 0x82};
    EXPECT_EQ(sim.receive(good.data(), good.size()).size(), 1u);
    EXPECT_EQ(sim.statistics().framesReceived, 2u);
    EXPECT_EQ(sim.statistics().badCheckBytes, 1u);
}

TEST(SimFraming, BytesInAnyPiecesAndNoiseBeforeGiveTheSameAnswer) {
    const Bytes request = longRequest(141);
    Simulator whole;
    const Bytes expected = whole.receive(request.data(), request.size()).at(0).bytes;

    // One byte at a time, after noise that holds lone 0xFF and a 0xFF pair
    // followed by a byte that is no delimiter.
    Simulator sim;
    Bytes stream = {0x00, 0x13, 0xFF, 0x55, 0xFF, 0xFF, 0x7A, 0x82, 0x02};
    stream.insert(stream.end(), request.begin(), request.end());
    std::vector<Reply> replies;
    for (std::uint8_t b : stream) {
        for (Reply& r : sim.receive(&b, 1)) replies.push_back(r);
    }
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].bytes, expected);

    // Two requests in one piece, split in the middle of the second.
    Bytes twice = request;
    twice.insert(twice.end(), request.begin(), request.end());
    Simulator split;
    EXPECT_EQ(split.receive(twice.data(), twice.size() - 4).size(), 1u);
    EXPECT_EQ(split.receive(twice.data() + twice.size() - 4, 4).size(), 1u);
}

TEST(SimFraming, AFalseStartInNoiseDoesNotHideTheFollowingFrame) {
    // "FF FF 02 05 00 04" looks like a request with four data bytes; it eats
    // four of the real frame's preambles and fails its check byte. The real
    // frame behind it must still be found.
    Simulator sim;
    Bytes stream = {0xFF, 0xFF, 0x02, 0x05, 0x00, 0x04};
    const Bytes request = {PREAMBLES, 0x02, 0x80, 0x00, 0x00, 0x82};
    stream.insert(stream.end(), request.begin(), request.end());
    const std::vector<Reply> replies = sim.receive(stream.data(), stream.size());
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(readAnswer(replies[0].bytes)->command, 0);
    EXPECT_EQ(sim.statistics().badCheckBytes, 1u);
}

TEST(SimFraming, ASilenceDropsAPartialFrame) {
    Simulator sim;
    const Bytes request = longRequest(0);
    sim.receive(request.data(), 8);  // cut off
    sim.lineIdle();
    // Without the silence the rest would complete the cut frame.
    EXPECT_TRUE(sim.receive(request.data() + 8, request.size() - 8).empty());
    EXPECT_EQ(sim.receive(request.data(), request.size()).size(), 1u);
}

TEST(SimFraming, CommandZeroAlsoAnswersInALongFrameAndObserverSeesEveryFrame) {
    Simulator sim;
    std::vector<std::pair<Bytes, Simulator::FrameFate>> seen;
    sim.setFrameObserver(
        [&](const Bytes& frame, Simulator::FrameFate fate) { seen.emplace_back(frame, fate); });

    const Answer a = transact(sim, longRequest(0));
    EXPECT_EQ(a.delimiter, 0x86);
    EXPECT_EQ(a.address, (Bytes{0x94, 0x7E, 0x00, 0x12, 0xAB}));
    EXPECT_EQ(a.data, (Bytes{IDENTITY}));

    const Bytes bad = {PREAMBLES, 0x02, 0x80, 0x00, 0x00, 0x00};
    sim.receive(bad.data(), bad.size());
    const Bytes other = {PREAMBLES, 0x02, 0x81, 0x00, 0x00, 0x83};
    sim.receive(other.data(), other.size());

    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].first, longRequest(0));
    EXPECT_EQ(seen[0].second, Simulator::FrameFate::Answered);
    EXPECT_EQ(seen[1].first, bad);
    EXPECT_EQ(seen[1].second, Simulator::FrameFate::BadCheckByte);
    EXPECT_EQ(seen[2].second, Simulator::FrameFate::NotForUs);
}

TEST(SimFraming, OwnIdentityFromTheConfiguration) {
    DeviceConfig config;
    config.manufacturerId = 0x3F;
    config.deviceType = 0x21;
    config.deviceId = 0xABCDEF;
    config.preambles = 7;
    Simulator sim(config);
    // The unique address carries only the low 6 bits of the manufacturer id.
    const Answer a = transact(sim, longRequest(0, {}, {0xBF, 0x21, 0xAB, 0xCD, 0xEF}));
    EXPECT_EQ(a.preambles, 7);
    EXPECT_TRUE(a.checkByteOk);
    ASSERT_EQ(a.data.size(), 12u);
    EXPECT_EQ(a.data[1], 0x3F);
    EXPECT_EQ(a.data[2], 0x21);
    EXPECT_EQ(Bytes(a.data.begin() + 9, a.data.end()), (Bytes{0xAB, 0xCD, 0xEF}));
    EXPECT_TRUE(sim.receive(longRequest(0).data(), longRequest(0).size()).empty());
}

}  // namespace
}  // namespace hartsim::test
