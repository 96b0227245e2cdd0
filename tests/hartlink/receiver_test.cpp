// The master's receiver: finding frames in what the port delivers, and
// telling our answer from everything else on the line.

#include "hartlink/receiver.h"

#include <gtest/gtest.h>

#include "fake_line.h"

namespace hartlink {
namespace {

using test::answerFrame;
using test::Bytes;

const Bytes kOurs{0xA6, 0x06, 0x01, 0x02, 0x03};  // long address 26 06 01 02 03, primary master

Receiver expectingCommand1() {
    Expectation e;
    e.address = DeviceAddress::longAddress({0x26, 0x06, 0x01, 0x02, 0x03});
    e.command = 1;
    Receiver rx;
    rx.expect(e);
    return rx;
}

// Feeds `bytes` in pieces of `piece` bytes; the verdicts of all frames that
// ended, in order.
std::vector<Verdict> feedAll(Receiver& rx, const Bytes& bytes, std::size_t piece = 1000) {
    std::vector<Verdict> verdicts;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        const std::size_t n = std::min(piece, bytes.size() - at);
        for (std::size_t used = 0; used < n;) {
            used += rx.feed(bytes.data() + at + used, n - used);
            if (rx.frameEnded()) verdicts.push_back(rx.verdict());
        }
    }
    return verdicts;
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A frame of another type: the delimiter and check byte changed to match.
Bytes withDelimiter(Bytes frame, std::uint8_t delimiter) {
    frame.back() ^= frame[5] ^ delimiter;
    frame[5] = delimiter;
    return frame;
}

TEST(Receiver, FindsTheAnswerAfterNoiseInAnyPieces) {
    // Noise with lone FFs and a delimiter after only one preamble.
    const Bytes noisy = Bytes{0x13, 0xFF, 0x86, 0x00, 0xFF, 0x42} +
                        answerFrame(kOurs, 1, 0x00, 0x40, {0x07, 0x41, 0xC8, 0x00, 0x00});
    for (std::size_t piece : {1, 2, 3, 7, 1000}) {
        Receiver rx = expectingCommand1();
        EXPECT_EQ(feedAll(rx, noisy, piece), std::vector<Verdict>{Verdict::Response})
            << "pieces of " << piece;
        EXPECT_EQ(rx.frame().status1(), 0x00);
        EXPECT_EQ(rx.frame().status2(), 0x40);
        EXPECT_EQ(rx.frame().data(), (Bytes{0x07, 0x41, 0xC8, 0x00, 0x00}));
        EXPECT_EQ(rx.noiseBytes(), 6u);
    }
}

TEST(Receiver, TellsOurAnswerFromOtherTraffic) {
    Bytes damaged = answerFrame(kOurs, 1, 0, 0, {1, 2});
    damaged[13] ^= 0x10;  // a bit flipped on the line
    // Byte count 1, no room for the two status bytes; check byte worked out:
    // 86 ^ A6 ^ 06 ^ 01 ^ 02 ^ 03 ^ 01 ^ 01 ^ 00 = 26
    const Bytes noStatus{0xFF, 0xFF, 0x86, 0xA6, 0x06, 0x01, 0x02, 0x03, 0x01, 0x01, 0x00, 0x26};
    const struct {
        const char* name;
        Bytes frame;
        Verdict verdict;
    } cases[] = {
        {"our answer", answerFrame(kOurs, 1, 0, 0), Verdict::Response},
        {"ours, device in burst mode", answerFrame({0xE6, 0x06, 0x01, 0x02, 0x03}, 1, 0, 0),
         Verdict::Response},
        {"burst frame", withDelimiter(answerFrame(kOurs, 1, 0, 0, {1}), 0x81),
         Verdict::NotAResponse},
        {"request echo", withDelimiter(answerFrame(kOurs, 1, 0, 0), 0x82), Verdict::NotAResponse},
        {"to the secondary master", answerFrame({0x26, 0x06, 0x01, 0x02, 0x03}, 1, 0, 0),
         Verdict::OtherMaster},
        {"other device id", answerFrame({0xA6, 0x06, 0x01, 0x02, 0x04}, 1, 0, 0),
         Verdict::OtherDevice},
        {"other device type", answerFrame({0xA6, 0x07, 0x01, 0x02, 0x03}, 1, 0, 0),
         Verdict::OtherDevice},
        {"other type code bits", answerFrame({0xA7, 0x06, 0x01, 0x02, 0x03}, 1, 0, 0),
         Verdict::OtherDevice},
        {"short frame", answerFrame({0x80}, 1, 0, 0), Verdict::OtherDevice},
        {"other command", answerFrame(kOurs, 2, 0, 0), Verdict::OtherCommand},
        {"bad check byte", damaged, Verdict::BadCheckByte},
        {"no status bytes", noStatus, Verdict::Malformed},
    };
    for (const auto& c : cases) {
        Receiver rx = expectingCommand1();
        EXPECT_EQ(feedAll(rx, c.frame), std::vector<Verdict>{c.verdict}) << c.name;
    }
}

TEST(Receiver, FrameEndsWithItsLastByteAndAnAbandonedOneIsNoise) {
    const Bytes answer = answerFrame(kOurs, 1, 0, 0, {9, 8, 7});
    Receiver rx = expectingCommand1();
    EXPECT_TRUE(feedAll(rx, Bytes(answer.begin(), answer.end() - 1)).empty());
    EXPECT_TRUE(rx.inFrame());
    EXPECT_EQ(feedAll(rx, Bytes{answer.back()}), std::vector<Verdict>{Verdict::Response});
    EXPECT_FALSE(rx.inFrame());

    feedAll(rx, Bytes(answer.begin(), answer.begin() + 9));  // the rest never comes
    rx.abandonFrame();
    EXPECT_FALSE(rx.inFrame());
    EXPECT_EQ(rx.noiseBytes(), 9u);
    EXPECT_EQ(feedAll(rx, answer), std::vector<Verdict>{Verdict::Response});
}

TEST(Receiver, TwoFramesBackToBackEndOneAtATime) {
    const Bytes first = answerFrame(kOurs, 2, 0, 0);
    const Bytes both = first + answerFrame(kOurs, 1, 0, 0, {0x55});
    Receiver rx = expectingCommand1();
    EXPECT_EQ(rx.feed(both.data(), both.size()), first.size());  // stops after the first
    EXPECT_EQ(rx.verdict(), Verdict::OtherCommand);
    EXPECT_EQ(rx.feed(both.data() + first.size(), both.size() - first.size()),
              both.size() - first.size());
    EXPECT_EQ(rx.verdict(), Verdict::Response);
    EXPECT_EQ(rx.frame().data(), Bytes{0x55});
}

TEST(Receiver, SkipsExpansionBytes) {
    // Delimiter 0xA6: long frame with one expansion byte (77). Check byte:
    // A6 ^ A6 ^ 06 ^ 01 ^ 02 ^ 03 ^ 77 ^ 01 ^ 02 ^ 00 ^ 00 = 72
    const Bytes f{0xFF, 0xFF, 0xA6, 0xA6, 0x06, 0x01, 0x02,
                  0x03, 0x77, 0x01, 0x02, 0x00, 0x00, 0x72};
    Receiver rx = expectingCommand1();
    EXPECT_EQ(feedAll(rx, f), std::vector<Verdict>{Verdict::Response});
    EXPECT_EQ(rx.frame().expansion, Bytes{0x77});
}

}  // namespace
}  // namespace hartlink
