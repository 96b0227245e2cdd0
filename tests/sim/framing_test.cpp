// The data-link side of the simulator: exact answers to hand-built master
// frames, addressing, check bytes, and byte streams cut anywhere.

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "sim/line.h"
#include "sim/simulator.h"
#include "sim/universal_records.h"
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

// Another maker's HART 7 device: its 22-byte identity and 18-byte range
// answer, its unique address from the expanded device type, the
// configuration change counter, and "more status available" until command
// 48 has been read.
TEST(SimFraming, AHart7DeviceAnswersInItsOwnLayoutsAtItsOwnAddress) {
    DeviceConfig config;
    std::vector<Fault> none;
    ASSERT_TRUE(parseOptions("identity=hart7,preambles=6,morestatus", &config, &none, nullptr));
    Simulator sim(config);
    Answer a = transact(sim, {PREAMBLES, 0x02, 0x80, 0x00, 0x00, 0x82});
    // 254, expanded device type E1A5, 5 request preambles, HART 7, device,
    // software and hardware revision, flags, device id, 6 response
    // preambles, 4 device variables, change counter 0, extended status,
    // manufacturer 60C3, private label 60C3, profile 1.
    EXPECT_EQ(a.data, (Bytes{0xFE, 0xE1, 0xA5, 0x05, 0x07, 0x03, 0x0C, 0x20, 0x00, 0x07, 0xC3,
                             0xD4, 0x06, 0x04, 0x00, 0x00, 0x00, 0x60, 0xC3, 0x60, 0xC3, 0x01}));
    EXPECT_EQ(a.status2, 0x10);
    EXPECT_EQ(a.preambles, 6);
    const Bytes address = {0xA1, 0xA5, 0x07, 0xC3, 0xD4};
    EXPECT_TRUE(sim.receive(longRequest(15).data(), longRequest(15).size()).empty());
    a = transact(sim, longRequest(15, {}, address));
    ASSERT_EQ(a.data.size(), 18u);
    EXPECT_EQ(a.data[2], 7) << "bar";
    EXPECT_FLOAT_EQ(floatAt(a.data, 3), 16.0f);
    EXPECT_EQ(a.data[17], 0) << "analog channel flags";
    a = transact(sim, longRequest(48, {}, address));
    EXPECT_EQ(a.data.size(), 14u);
    EXPECT_EQ(a.data[0], 0x08) << "the note from power-up";
    EXPECT_EQ(a.status2, 0x00) << "read: no more status";
    ASSERT_EQ(transact(sim, longRequest(17, Bytes(24, 0x82), address)).status1, 0);
    ASSERT_EQ(transact(sim, longRequest(34, floatBytes(1.5f), address)).status1, 0);
    ASSERT_EQ(transact(sim, longRequest(40, floatBytes(12.0f), address)).status1, 0);
    ASSERT_EQ(transact(sim, longRequest(34, floatBytes(120.0f), address)).status1, 3);
    a = transact(sim, longRequest(0, {}, address));
    EXPECT_EQ(a.data[15], 2) << "message and damping; not the loop test nor a refusal";
}

// Two makers' devices on one line: each answers its own polling and unique
// address, the line's log shows every frame once, our own commands reach
// the HART 5 device only to be refused, and a device in burst mode has its
// burst frame ready.
TEST(SimFraming, DevicesOnOneLineAnswerTheirOwnAddressesAndOneLogShowsAll) {
    const std::string log = "/tmp/hartsim_line_" + std::to_string(getpid()) + ".log";
    std::remove(log.c_str());
    std::vector<LineDevice> devices;
    std::string error;
    ASSERT_TRUE(parseLineOptions(
        "identity=hart7,address=1,log=" + log + ";identity=hart5,address=2,burst=100,tag=FT 9",
        &devices, &error))
        << error;
    Line line(devices);
    auto ask = [&line](const Bytes& request) {
        return line.receive(request.data(), request.size());
    };
    std::vector<Reply> r = ask({PREAMBLES, 0x02, 0x81, 0x00, 0x00, 0x83});
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(readAnswer(r[0].bytes)->data.size(), 22u);
    r = ask({PREAMBLES, 0x02, 0x82, 0x00, 0x00, 0x80});
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(readAnswer(r[0].bytes)->data[1], 0x26);
    EXPECT_TRUE(ask({PREAMBLES, 0x02, 0x80, 0x00, 0x00, 0x82}).empty());
    const Bytes hart5 = {0xA6, 0x06, 0x05, 0xA1, 0xB2};
    r = ask(longRequest(191, {12}, hart5));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(readAnswer(r[0].bytes)->status1, 64);
    r = ask(longRequest(13, {}, hart5));
    ASSERT_EQ(r.size(), 1u);
    const Bytes tagDescriptorDate = readAnswer(r[0].bytes)->data;
    EXPECT_EQ(unpackAscii(Bytes(tagDescriptorDate.begin(), tagDescriptorDate.begin() + 6)),
              "FT 9    ");
    EXPECT_EQ(line.device(0).statistics().framesForUs, 1u);
    EXPECT_EQ(line.device(1).statistics().framesForUs, 3u);

    // Burst: delimiter 81, the unique address with the burst bit, command 1.
    EXPECT_EQ(line.burstMs(), 100);
    const std::vector<Reply> bursts = line.burstFrames();
    ASSERT_EQ(bursts.size(), 1u);
    const Bytes& b = bursts[0].bytes;
    ASSERT_EQ(b.size(), 5u + 1 + 5 + 2 + 2 + 5 + 1);
    EXPECT_EQ(Bytes(b.begin() + 5, b.begin() + 14),
              (Bytes{0x81, 0xE6, 0x06, 0x05, 0xA1, 0xB2, 0x01, 0x07, 0x00}));
    EXPECT_EQ(xorOf(b, 5, b.size()), 0);

    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    std::remove(log.c_str());
    const std::string all = text.str();
    auto count = [&all](const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = all.find(what); at != std::string::npos; at = all.find(what, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("RX command=0 (answered)"), 2u) << all;
    EXPECT_EQ(count("RX command=0 (not for us)"), 1u) << all;
    EXPECT_EQ(count("RX command=191 (answered)"), 1u) << all;
    EXPECT_EQ(count("TX command="), 4u) << all;

    // Two of our own devices: the second one's unique address is made its own.
    ASSERT_TRUE(parseLineOptions("address=0;address=1", &devices, &error));
    EXPECT_EQ(devices[1].config.deviceId, 0x0012ACu);
    EXPECT_FALSE(parseLineOptions("address=1;identity=hart5,address=1", &devices, &error));
    EXPECT_NE(error.find("same polling address"), std::string::npos) << error;
    EXPECT_FALSE(parseLineOptions("address=1;colour=red", &devices, &error));
    EXPECT_EQ(error, "device 2: unknown option 'colour'");
}

}  // namespace
}  // namespace hartsim::test
