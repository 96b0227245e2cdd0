// The serial transport's open errors, in words a technician can act on, and
// its use of a pseudo-terminal, which has no modem lines.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "hartlink/transport.h"

namespace hartlink {
namespace {

using namespace std::chrono_literals;

TEST(SerialTransport, MissingPortIsNamedAsMissing) {
    auto t = makeSerialTransport("/dev/hartlink-test-no-such-port");
    const IoStatus status = t->open();
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.error.find("/dev/hartlink-test-no-such-port does not exist"),
              std::string::npos)
        << status.error;
}

TEST(SerialTransport, PortWithoutPermissionNamesTheDialoutGroup) {
    if (geteuid() == 0) GTEST_SKIP() << "root may open any file";
    char path[] = "/tmp/hartlink-test-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    ::chmod(path, 0);
    const IoStatus status = makeSerialTransport(path)->open();
    ::unlink(path);
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.error.find("dialout"), std::string::npos) << status.error;
}

// The far end of a pseudo-terminal, standing in for a modem.
class PtyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master, 0);
        ASSERT_EQ(grantpt(master), 0);
        ASSERT_EQ(unlockpt(master), 0);
        path = ptsname(master);
    }
    void TearDown() override {
        if (master >= 0) ::close(master);
    }
    int master = -1;
    std::string path;
};

TEST_F(PtyTest, WorksWithoutModemLinesAndDropsStaleInput) {
    auto t = makeSerialTransport(path);
    ASSERT_TRUE(t->open().ok);  // RTS and maybe parity refused: still usable

    // Sent with RTS keying requested: arrives unchanged on the other side.
    const std::uint8_t frame[] = {0xFF, 0xFF, 0x02, 0x80, 0x00, 0x00, 0x82};
    const IoStatus written = t->write(frame, sizeof frame, true);
    ASSERT_TRUE(written.ok) << written.error;
    std::uint8_t got[16] = {};
    ASSERT_EQ(::read(master, got, sizeof got), static_cast<ssize_t>(sizeof frame));
    EXPECT_EQ(0, std::memcmp(got, frame, sizeof frame));

    // Input is there for read(), and gone after flushInput().
    const std::uint8_t answer[] = {0xFF, 0xFF, 0x06};
    ASSERT_EQ(::write(master, answer, sizeof answer), 3);
    std::size_t count = 0;
    ASSERT_TRUE(t->read(got, sizeof got, 1000ms, &count).ok);
    EXPECT_EQ(count, 3u);
    ASSERT_EQ(::write(master, answer, sizeof answer), 3);
    ASSERT_TRUE(t->read(got, 1, 1000ms, &count).ok);  // the bytes have arrived
    EXPECT_EQ(count, 1u);
    t->flushInput();
    ASSERT_TRUE(t->read(got, sizeof got, 0us, &count).ok);
    EXPECT_EQ(count, 0u);
}

// While a read waits, the hook runs every slice (here it plays the device
// and answers at its third run); the byte ends the wait, not the time-out.
TEST_F(PtyTest, WaitHookRunsEverySliceWhileAReadWaits) {
    auto t = makeSerialTransport(path);
    ASSERT_TRUE(t->open().ok);
    int runs = 0;
    t->setWaitHook(
        [&] {
            if (++runs == 3) {
                ASSERT_EQ(::write(master, "\x06", 1), 1);
            }
        },
        10ms);
    std::uint8_t got[4] = {};
    std::size_t count = 0;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(t->read(got, sizeof got, 1000ms, &count).ok);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(got[0], 0x06);
    EXPECT_GE(runs, 3);
    EXPECT_LE(runs, 4);
}

TEST_F(PtyTest, SecondOpenOfTheSamePortIsBusy) {
    auto first = makeSerialTransport(path);
    ASSERT_TRUE(first->open().ok);
    const IoStatus second = makeSerialTransport(path)->open();
    EXPECT_FALSE(second.ok);
    EXPECT_NE(second.error.find("busy"), std::string::npos) << second.error;
    first->close();
    EXPECT_TRUE(makeSerialTransport(path)->open().ok);
}

// The far end closing is what an unplugged modem looks like: reads and
// writes say the port was disconnected, at once, not after a time-out.
TEST_F(PtyTest, FarEndHangingUpIsALostPort) {
    auto t = makeSerialTransport(path);
    ASSERT_TRUE(t->open().ok);
    ::close(master);
    master = -1;
    std::uint8_t got[4] = {0xFF, 0xFF, 0x02, 0x80};
    std::size_t count = 0;
    const auto start = std::chrono::steady_clock::now();
    const IoStatus read = t->read(got, sizeof got, 1000ms, &count);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
    EXPECT_FALSE(read.ok);
    EXPECT_TRUE(read.lost);
    EXPECT_NE(read.error.find(path + " was disconnected"), std::string::npos) << read.error;
    const IoStatus written = t->write(got, sizeof got, true);
    EXPECT_FALSE(written.ok);
    EXPECT_TRUE(written.lost) << written.error;
}

}  // namespace
}  // namespace hartlink
