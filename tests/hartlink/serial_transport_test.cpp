// The serial transport's open errors, in words a technician can act on, and
// its use of a pseudo-terminal, which has no modem lines.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "hartlink/transport.h"
#include "hartlink/uucp_lock.h"

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

// A process to name in a lock: `program` started, and ended at once
// unless it is to stay.
pid_t startProcess(const char* program, const char* argument, bool stays) {
    pid_t pid = 0;
    char* const argv[] = {const_cast<char*>(program), const_cast<char*>(argument), nullptr};
    if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0) return 0;
    if (!stays) ::waitpid(pid, nullptr, 0);
    return pid;
}

std::string fileText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string hdbLock(pid_t pid) {
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(pid));
    return text;
}

// The UUCP lock file of the port, as terminal programs see it: a live
// holder keeps us off and is named, a holder that ended leaves a lock we
// take over, and ours is gone once the port is closed.
TEST_F(PtyTest, LockFileOfThePortIsHonouredTakenAndRemoved) {
    enum class Holder { None, Live, Ended, NoPid };
    struct Row {
        const char* what;
        Holder holder;
        bool viaLink;         // opened through a link, as /dev/serial/by-id/...
        const char* refusal;  // part of the error; nullptr: the port opens
    } rows[] = {
        {"no lock", Holder::None, false, nullptr},
        {"no lock, the port opened through a link", Holder::None, true, nullptr},
        {"a live terminal program", Holder::Live, false, "is in use by process "},
        {"a live terminal program, the port opened through a link", Holder::Live, true,
         "is in use by process "},
        {"a program that ended", Holder::Ended, false, nullptr},
        {"a lock naming no process", Holder::NoPid, false, "which names no process"},
    };
    char folderTemplate[] = "/tmp/hartlink-locks-XXXXXX";
    const std::string folder = ::mkdtemp(folderTemplate);
    const std::string lockFile = folder + "/LCK.." + path.substr(path.rfind('/') + 1);
    const std::string link = folder + "/usb-Maker_Modem_0001-if00-port0";
    ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
    EXPECT_EQ(folder + "/" + lockNameOf(link), lockFile);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        pid_t holder = 0;
        if (r.holder == Holder::Live) holder = startProcess("/bin/sleep", "30", true);
        if (r.holder == Holder::Ended) holder = startProcess("/bin/true", nullptr, false);
        if (holder != 0) std::ofstream(lockFile) << hdbLock(holder);
        if (r.holder == Holder::NoPid) std::ofstream(lockFile) << "garbage\n";
        const std::string before = fileText(lockFile);

        auto t = makeSerialTransport(r.viaLink ? link : path, {folder});
        const IoStatus opened = t->open();
        if (r.refusal != nullptr) {
            EXPECT_FALSE(opened.ok);
            EXPECT_NE(opened.error.find(r.refusal), std::string::npos) << opened.error;
            EXPECT_NE(opened.error.find(lockFile), std::string::npos) << opened.error;
            if (r.holder == Holder::Live) {
                EXPECT_NE(opened.error.find(std::to_string(holder) + " (sleep)"), std::string::npos)
                    << opened.error;
            }
            EXPECT_EQ(fileText(lockFile), before);  // left to its owner
        } else {
            ASSERT_TRUE(opened.ok) << opened.error;
            EXPECT_EQ(fileText(lockFile), hdbLock(::getpid()));
            t->close();
            EXPECT_NE(::access(lockFile.c_str(), F_OK), 0) << "our lock is left behind";
        }
        if (r.holder == Holder::Live) {
            ::kill(holder, SIGKILL);
            ::waitpid(holder, nullptr, 0);
        }
        ::unlink(lockFile.c_str());
    }
    ::unlink(link.c_str());
    ::rmdir(folder.c_str());
}

}  // namespace
}  // namespace hartlink
