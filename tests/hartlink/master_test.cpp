// The data-link master on a line that misbehaves on purpose: retries, their
// bound and spacing, time-outs, and what is (not) taken for an answer. The
// line runs in virtual time, so the waits cost nothing.

#include "hartlink/master.h"

#include <gtest/gtest.h>

#include "fake_line.h"
#include "hartlink/timing.h"

namespace hartlink {
namespace {

using namespace std::chrono_literals;
using test::answerFrame;
using test::Bytes;
using test::Chunk;

// Command-0 data of the test device: type code E6 (the long address takes
// its 6 low bits, 26), device type 06, 5 preambles wanted, device ID 01 02 03.
const Bytes kIdentity{0xFE, 0xE6, 0x06, 0x05, 0x07, 0x01, 0x01, 0x00, 0x00, 0x01, 0x02, 0x03};
const Bytes kOurs{0xA6, 0x06, 0x01, 0x02, 0x03};  // the long address in a primary master's answer
const Bytes kData{0x07, 0x41, 0xC8, 0x00, 0x00};

int commandOf(const Bytes& frame) {
    std::size_t i = 0;
    while (frame[i] == 0xFF) ++i;
    return frame.at(i + 1 + ((frame[i] & 0x80) ? 5 : 1));
}

long long microsecondsOf(std::chrono::nanoseconds t) {
    return std::chrono::duration_cast<std::chrono::microseconds>(t).count();
}

std::vector<Chunk> in(std::chrono::microseconds after, Bytes frame) {
    return {{after, std::move(frame)}};
}

class MasterTest : public ::testing::Test {
  protected:
    // The device answers command 0 after 20 ms and the n-th other request
    // with `other(n)` (silence when unset).
    void device(std::function<std::vector<Chunk>(int n)> other) {
        others = 0;
        line.device = [this, other](const Bytes& frame, std::size_t) -> std::vector<Chunk> {
            if (commandOf(frame) == 0) return in(20ms, answerFrame({0x80}, 0, 0, 0, identity));
            return other ? other(others++) : std::vector<Chunk>{};
        };
    }
    Master& connected() {
        master = std::make_unique<Master>(line, settings);
        EXPECT_EQ(master->connect(), Result::Ok);
        line.writes.clear();
        line.writeTimes.clear();
        return *master;
    }
    Result command1() { return master->transact(1, {}, &answer); }

    test::FakeLine line;
    Settings settings;  // primary master, 5 preambles, 2 retries
    std::unique_ptr<Master> master;
    Bytes identity = kIdentity;
    Answer answer;
    int others = 0;
};

TEST_F(MasterTest, ConnectLearnsTheLongAddressAndCommandsUseIt) {
    device([](int) { return in(20ms, answerFrame(kOurs, 1, 0, 0x40, kData)); });
    master = std::make_unique<Master>(line, settings);
    ASSERT_EQ(master->connect(), Result::Ok);
    EXPECT_EQ(line.writes[0], (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x80, 0x00, 0x00, 0x82}));
    EXPECT_EQ(master->identity().longAddress,
              (std::array<std::uint8_t, 5>{0x26, 0x06, 0x01, 0x02, 0x03}));
    ASSERT_EQ(command1(), Result::Ok);
    EXPECT_EQ(line.writes[1], (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x82, 0xA6, 0x06, 0x01, 0x02,
                                     0x03, 0x01, 0x00, 0x23}));
    EXPECT_EQ(answer.status2, 0x40);
    EXPECT_EQ(answer.data, kData);
    EXPECT_TRUE(master->report().empty());
    // Command 0 stays a short frame, which every device answers.
    ASSERT_EQ(master->transact(0, {}, &answer), Result::Ok);
    EXPECT_EQ(line.writes[2][5], 0x02);

    // HART 7 answers with 22 bytes; the long address is built the same way,
    // from the expanded device type in bytes 1-2.
    Identity seven;
    ASSERT_TRUE(identityFromCommand0({0xFE, 0xE1, 0xA5, 5, 7, 1, 3,    0x11, 0,    0x00, 0x00,
                                      0x2A, 5,    4,    0, 7, 0, 0x60, 0x13, 0x00, 0x26, 1},
                                     &seven));
    EXPECT_EQ(seven.longAddress, (std::array<std::uint8_t, 5>{0x21, 0xA5, 0x00, 0x00, 0x2A}));
    EXPECT_EQ(seven.universalRevision, 7);
}

TEST_F(MasterTest, SilenceGivesNoResponseAfterBoundedTriesSpacedByTheQuietTime) {
    master = std::make_unique<Master>(line, settings);
    EXPECT_EQ(master->connect(), Result::NoResponse);
    ASSERT_EQ(line.writes.size(), 3u);  // 1 try + 2 retries
    // Standard response time-out: 28 + 1 characters + 20 ms = 285.8 ms; the
    // retry follows RT1 (primary master: 33 characters = 302.5 ms) after the
    // end of the unanswered request, which took its wire time.
    EXPECT_EQ(master->responseTimeOut(), 265834us + 20ms);
    const auto request = timing::characters(static_cast<std::int64_t>(line.writes[0].size()));
    EXPECT_EQ(line.writeTimes[1] - line.writeTimes[0], request + 302500us);
    EXPECT_EQ(line.writeTimes[2] - line.writeTimes[1], request + 302500us);
    EXPECT_NE(master->report().find("try 3: no answer within 286 ms"), std::string::npos)
        << master->report();

    // A secondary master without retries: one try, master bit clear; with
    // one retry, 41 characters = 375.8 ms of quiet.
    settings.retries = 0;
    settings.master = MasterKind::Secondary;
    line.writes.clear();
    line.writeTimes.clear();
    master = std::make_unique<Master>(line, settings);
    EXPECT_EQ(master->connect(), Result::NoResponse);
    ASSERT_EQ(line.writes.size(), 1u);
    EXPECT_EQ(line.writes[0][6], 0x00);
    settings.retries = 1;
    master->configure(settings);
    EXPECT_EQ(master->connect(), Result::NoResponse);
    EXPECT_EQ(line.writeTimes[2] - line.writeTimes[1], request + 375834us);
}

// A scan over empty polling addresses: each costs its command 0 on the wire
// and RT1, the answer time-out running inside RT1 (10 + 33 characters =
// 394.2 ms).
TEST_F(MasterTest, ScanningSilentAddressesCostsTheRequestAndTheQuietTimeEach) {
    settings.retries = 0;
    master = std::make_unique<Master>(line, settings);
    for (std::uint8_t address = 1; address <= 4; ++address) {
        settings.pollingAddress = address;
        master->configure(settings);
        EXPECT_EQ(master->connect(), Result::NoResponse);
    }
    ASSERT_EQ(line.writes.size(), 4u);
    for (std::size_t i = 1; i < 4; ++i)
        EXPECT_EQ(microsecondsOf(line.writeTimes[i] - line.writeTimes[i - 1]), 91667 + 302500) << i;
}

TEST_F(MasterTest, AnswerMustStartWithinTheResponseTimeOut) {
    device([](int) { return in(280ms, answerFrame(kOurs, 1, 0, 0, kData)); });
    connected();
    EXPECT_EQ(command1(), Result::Ok);
    EXPECT_EQ(line.writes.size(), 1u);

    // 290 ms is too late on every try; the late bytes seen while waiting for
    // quiet make it a communication error, and nothing is written.
    device([](int) { return in(290ms, answerFrame(kOurs, 1, 0, 0, kData)); });
    connected();
    answer = Answer{};
    answer.status1 = 0xEE;
    EXPECT_EQ(command1(), Result::Communication);
    EXPECT_EQ(line.writes.size(), 3u);
    EXPECT_EQ(answer.status1, 0xEE);
    EXPECT_NE(master->report().find("came late"), std::string::npos) << master->report();

    // The time-out override lets a slow answer through.
    settings.responseTimeOut = 6000ms;
    device([](int) { return in(5000ms, answerFrame(kOurs, 1, 0, 0)); });
    connected();
    EXPECT_EQ(command1(), Result::Ok);
}

TEST_F(MasterTest, LateAnswerIsDroppedBeforeTheRetryAndNotTakenForItsAnswer) {
    // After the answer time-out (285.8 ms), before RT1 (302.5 ms).
    device([](int n) {
        return n == 0 ? in(295ms, answerFrame(kOurs, 1, 0, 0, {0xBA, 0xD0}))
                      : in(20ms, answerFrame(kOurs, 1, 0, 0, kData));
    });
    connected();
    EXPECT_EQ(command1(), Result::Ok);
    EXPECT_EQ(answer.data, kData);
    // The retry let the late answer pass and then kept HOLD after it, as
    // after any answer to us.
    const auto request = timing::characters(static_cast<std::int64_t>(line.writes[0].size()));
    EXPECT_EQ(line.writeTimes[1] - line.writeTimes[0], request + 295ms + timing::holdTime());
}

TEST_F(MasterTest, LateAnswerAfterTheLastTryIsNotTakenForTheNextRequestsAnswer) {
    // The first try is answered 600 ms late, after the retry has already
    // been answered: the late answer reaches the line before the next
    // exchange's request would be through, had it kept only HOLD.
    const Bytes stale{0x5A, 0x5A};
    device([&stale](int n) {
        return n == 0 ? in(600ms, answerFrame(kOurs, 1, 0, 0, stale))
                      : in(20ms, answerFrame(kOurs, 1, 0, 0, kData));
    });
    connected();
    EXPECT_EQ(command1(), Result::Ok);
    EXPECT_EQ(answer.data, kData);
    EXPECT_EQ(command1(), Result::Ok);
    EXPECT_EQ(answer.data, kData);  // not the late answer to the first exchange
}

TEST_F(MasterTest, BusyAndDelayedResponsesAreRetriedWithinTheBound) {
    device([](int n) {
        return in(20ms, n == 0 ? answerFrame(kOurs, 1, 32, 0) : answerFrame(kOurs, 1, 0, 0, kData));
    });
    connected();
    EXPECT_EQ(command1(), Result::Ok);
    EXPECT_EQ(answer.data, kData);
    EXPECT_NE(master->report().find("busy"), std::string::npos);

    for (std::uint8_t code : {32, 33, 34, 35, 36, 64}) {
        device([code](int) { return in(20ms, answerFrame(kOurs, 1, code, 0)); });
        connected();
        // Still busy after the last try: the device is there and says so;
        // the response code is the caller's to judge. 64 and a delayed
        // response that died (35) are not retried.
        EXPECT_EQ(command1(), Result::Ok) << int{code};
        EXPECT_EQ(answer.status1, code);
        EXPECT_EQ(line.writes.size(), code == 64 || code == 35 ? 1u : 3u) << int{code};
    }
}

TEST_F(MasterTest, CommunicationErrorBitmapIsRetriedAndFinallyACommunicationError) {
    device([](int n) {
        return in(20ms,
                  n == 0 ? answerFrame(kOurs, 1, 0x88, 0) : answerFrame(kOurs, 1, 0, 0, kData));
    });
    connected();
    EXPECT_EQ(command1(), Result::Ok);
    EXPECT_NE(master->report().find("check byte (0x88)"), std::string::npos) << master->report();

    device([](int) { return in(20ms, answerFrame(kOurs, 1, 0xC0, 0)); });
    connected();
    EXPECT_EQ(command1(), Result::Communication);
    EXPECT_EQ(line.writes.size(), 3u);
}

TEST_F(MasterTest, OnlyAnAnswerEchoingOurAddressAndCommandIsTaken) {
    const Bytes otherDevice{0xA6, 0x06, 0x01, 0x02, 0x04};
    device([&](int) { return in(20ms, answerFrame(otherDevice, 1, 0, 0, kData)); });
    connected();
    EXPECT_EQ(command1(), Result::Communication);
    EXPECT_EQ(line.writes.size(), 3u);
    EXPECT_NE(master->report().find("another device"), std::string::npos) << master->report();

    // Within one try: our own echo, a burst frame, another device's answer,
    // an earlier exchange's answer, then ours.
    device([&](int) {
        return std::vector<Chunk>{{0us, test::frame(0x82, kOurs, 1)},
                                  {5ms, test::frame(0x81, kOurs, 1, {0, 0, 0x99})},
                                  {10ms, answerFrame(otherDevice, 1, 0, 0)},
                                  {15ms, answerFrame(kOurs, 2, 0, 0, {0xBA, 0xD0})},
                                  {40ms, answerFrame(kOurs, 1, 0, 0, kData)}};
    });
    connected();
    EXPECT_EQ(command1(), Result::Ok);
    EXPECT_EQ(answer.data, kData);
    EXPECT_EQ(line.writes.size(), 1u);

    // Bytes already waiting when an exchange starts are dropped.
    device([](int) { return in(20ms, answerFrame(kOurs, 1, 0, 0, kData)); });
    connected();
    line.arriveIn(0us, answerFrame(kOurs, 1, 0, 0, {0xBA, 0xD0}));
    EXPECT_EQ(command1(), Result::Ok);
    EXPECT_EQ(answer.data, kData);
}

TEST_F(MasterTest, DamagedOrBrokenOffAnswersAreRetried) {
    const Bytes whole = answerFrame(kOurs, 1, 0, 0, kData);
    Bytes damaged = whole;
    damaged[15] ^= 0x01;
    device([&](int n) {
        return in(20ms, n == 0   ? damaged
                        : n == 1 ? Bytes(whole.begin(), whole.begin() + 10)
                                 : whole);
    });
    connected();
    EXPECT_EQ(command1(), Result::Ok);
    EXPECT_EQ(line.writes.size(), 3u);
}

// A port that fails, or goes away, ends the exchange at once: no retry.
TEST_F(MasterTest, PortFailureEndsTheExchangeAtOnce) {
    const struct Row {
        IoStatus status;
        Result result;
    } rows[] = {
        {IoStatus::failure("Writing to /dev/ttyUSB0 failed: Broken pipe"), Result::Resource},
        {IoStatus::disconnected("Serial port /dev/ttyUSB0 was disconnected"), Result::Disconnected},
    };
    for (const Row& r : rows) {
        line.writeStatus = {};
        device({});
        connected();
        line.writeStatus = r.status;
        EXPECT_EQ(command1(), r.result) << r.status.error;
        EXPECT_EQ(master->report(), r.status.error);
    }
}

TEST_F(MasterTest, RequestsCarryThePreamblesTheDeviceAsksFor) {
    struct Row {
        int configured, deviceAsks;
        bool adopt;
        std::size_t connectPreambles, requestPreambles;
    } rows[] = {
        {5, 7, true, 5, 7},
        {20, 5, true, 20, 5},    // found with 20, then what the device asks for
        {20, 2, true, 20, 5},    // never fewer than 5
        {20, 30, true, 20, 20},  // never more than 20
        {5, 7, false, 5, 5},
    };
    device([](int) { return in(20ms, answerFrame(kOurs, 1, 0, 0)); });
    for (const Row& r : rows) {
        SCOPED_TRACE(r.configured * 100 + r.deviceAsks);
        identity[3] = static_cast<std::uint8_t>(r.deviceAsks);
        settings.preambles = r.configured;
        settings.adoptDevicePreambles = r.adopt;
        line.writes.clear();
        master = std::make_unique<Master>(line, settings);
        ASSERT_EQ(master->connect(), Result::Ok);
        ASSERT_EQ(command1(), Result::Ok);
        ASSERT_EQ(line.writes.size(), 2u);
        EXPECT_EQ(line.writes[0].size(), r.connectPreambles + 5);  // + short frame of command 0
        Bytes request(r.requestPreambles, 0xFF);
        request.insert(request.end(), {0x82, 0xA6, 0x06, 0x01, 0x02, 0x03, 0x01, 0x00, 0x23});
        EXPECT_EQ(line.writes[1], request);
    }
}

// When a request goes out after what the line carried while the master
// waited for its turn. Each row starts at the end of the answer to connect
// (HOLD: the other master's turn, 91.7 ms) and puts frames on the line at
// chosen times; the master reads the line again 10 ms later, so that frames
// at 0 have waited in the input. The request follows the last frame by `gap`.
TEST_F(MasterTest, ARequestWaitsForItsTurnOnTheSharedLine) {
    using timing::burstSlot;
    using timing::holdTime;
    const auto rt1 = timing::quietTime(true);
    const Bytes otherRequest = test::frame(0x02, {0x00}, 0);  // a secondary master
    const Bytes otherAnswer = answerFrame({0x00}, 0, 0, 0, kIdentity);
    const Bytes burstToUs = test::frame(0x81, {0xE6, 0x06, 0x01, 0x02, 0x03}, 1, {0, 0, 1});
    const Bytes burstToOther = test::frame(0x81, {0x66, 0x06, 0x01, 0x02, 0x03}, 1, {0, 0, 1});
    Bytes damaged = otherAnswer;
    damaged.back() ^= 0x01;
    const Bytes head(burstToUs.begin(), burstToUs.begin() + 9);
    const Bytes tail(burstToUs.begin() + 9, burstToUs.end());
    const struct Row {
        const char* situation;
        std::vector<Chunk> frames;  // after the answer to connect; 0: waiting in the input
        std::chrono::microseconds gap;
    } rows[] = {
        {"our own answer", {}, holdTime()},
        {"the other master's request, answered",
         {{30ms, otherRequest}, {250ms, otherAnswer}},
         burstSlot()},
        {"the other master's request, unanswered", {{30ms, otherRequest}}, rt1},
        {"an answer to the other master", {{30ms, otherAnswer}}, burstSlot()},
        {"a burst frame to the other master after it",
         {{30ms, otherAnswer}, {35ms, burstToOther}},
         holdTime()},
        {"a burst frame to us", {{30ms, burstToUs}}, burstSlot()},
        {"a burst frame to the other master", {{30ms, burstToOther}}, holdTime()},
        {"a damaged frame", {{30ms, damaged}}, rt1},
        {"a frame waiting in the input", {{0us, otherAnswer}}, 10ms + rt1},
        {"a frame waiting, then a turn", {{0us, otherRequest}, {100ms, otherAnswer}}, burstSlot()},
        {"a frame begun in the input, ended live", {{0us, head}, {60ms, tail}}, burstSlot()},
    };
    device([](int) { return in(20ms, answerFrame(kOurs, 1, 0, 0, kData)); });
    for (const Row& r : rows) {
        SCOPED_TRACE(r.situation);
        connected();
        const auto start = line.now();
        auto last = start;
        for (const Chunk& c : r.frames) {
            line.arriveIn(c.after, c.bytes);
            last = start + c.after;
        }
        line.idle(10ms);
        ASSERT_EQ(command1(), Result::Ok);
        EXPECT_EQ(answer.data, kData);
        EXPECT_EQ(microsecondsOf(line.writeTimes.at(0) - last), r.gap.count());
    }

    // A line that never goes quiet gives no turn: the exchange gives up.
    connected();
    for (int i = 0; i < 100; ++i) line.arriveIn(i * 100ms, {0x00});
    EXPECT_EQ(command1(), Result::Communication);
    EXPECT_TRUE(line.writes.empty());
    EXPECT_NE(master->report().find("line busy"), std::string::npos) << master->report();
}

TEST_F(MasterTest, ConnectNeedsAnIdentityInTheAnswer) {
    line.device = [](const Bytes&, std::size_t) { return in(20ms, answerFrame({0x80}, 0, 64, 0)); };
    master = std::make_unique<Master>(line, settings);
    EXPECT_EQ(master->connect(), Result::Communication);
    EXPECT_FALSE(master->connected());
    EXPECT_NE(master->report().find("response code 64"), std::string::npos);
}

}  // namespace
}  // namespace hartlink
