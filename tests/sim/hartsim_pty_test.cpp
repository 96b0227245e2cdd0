// hartsim as a separate program on a pseudo-terminal, talked to through the
// path it prints, as the serial transport will.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sim/memory_file.h"
#include "sim_test_support.h"

extern char** environ;

namespace hartsim::test {
namespace {

using Clock = std::chrono::steady_clock;

// Reads from `fd` until `complete` says so or `limit` passes (poll, no sleep).
template <typename Complete>
Bytes readUntil(int fd, std::chrono::milliseconds limit, Complete complete) {
    Bytes got;
    const auto end = Clock::now() + limit;
    while (!complete(got) && Clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        std::uint8_t buffer[64];
        if (poll(&p, 1, static_cast<int>(left.count()) + 1) <= 0) break;
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

// One answer frame is complete when its byte count is satisfied.
bool frameComplete(const Bytes& got) {
    std::size_t i = 0;
    while (i < got.size() && got[i] == 0xFF) ++i;
    if (i >= got.size()) return false;
    const std::size_t header = i + 1 + ((got[i] & 0x80) ? 5 : 1) + 2;
    return got.size() >= header && got.size() >= header + got[header - 1] + 1;
}

// hartsim with its stdout on a pipe; ended with SIGTERM unless it ended.
class HartsimProcess {
  public:
    explicit HartsimProcess(std::vector<std::string> args) {
        int fds[2];
        if (pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        args.insert(args.begin(), HARTSIM_PATH);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, HARTSIM_PATH, &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        out_ = fds[0];
    }
    ~HartsimProcess() {
        finish(true);
        close(out_);
    }

    std::string firstLine() {
        const Bytes got = readUntil(out_, std::chrono::seconds(3),
                                    [](const Bytes& b) { return !b.empty() && b.back() == '\n'; });
        return got.empty() ? std::string() : std::string(got.begin(), got.end() - 1);
    }

    // The exit code (-1 when it did not exit normally).
    int finish(bool terminate) {
        if (pid_ <= 0) return -1;
        if (terminate) kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
};

int openPort(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) return fd;
    termios tio;
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
    tcflush(fd, TCIFLUSH);
    return fd;
}

TEST(HartsimPty, AnswersCommandZeroOverThePseudoTerminalAndLogsFrames) {
    char logTemplate[] = "/tmp/hartsim_test_XXXXXX";
    const int logFd = mkstemp(logTemplate);
    ASSERT_GE(logFd, 0);
    close(logFd);

    HartsimProcess sim({"--pty", "--seconds", "5", "--log", logTemplate, "--address=2"});
    const std::string path = sim.firstLine();
    ASSERT_FALSE(path.empty());
    const int fd = openPort(path);
    ASSERT_GE(fd, 0) << path;

    // Command 0 to polling address 2, and once more after a session closed.
    const Bytes request = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x82, 0x00, 0x00, 0x80};
    const Bytes expected = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x06, 0x82, 0x00, 0x0E, 0x00, 0x00, 0xFE,
                            0x94, 0x7E, 0x05, 0x05, 0x01, 0x03, 0x10, 0x00, 0x00, 0x12, 0xAB, 0x35};
    ASSERT_EQ(write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
    EXPECT_EQ(readUntil(fd, std::chrono::seconds(2), frameComplete), expected);
    close(fd);

    const int again = openPort(path);
    ASSERT_GE(again, 0);
    ASSERT_EQ(write(again, request.data(), request.size()), static_cast<ssize_t>(request.size()));
    EXPECT_EQ(readUntil(again, std::chrono::seconds(2), frameComplete), expected);
    close(again);

    EXPECT_EQ(sim.finish(true), 0);
    std::ifstream log(logTemplate);
    std::stringstream text;
    text << log.rdbuf();
    unlink(logTemplate);
    EXPECT_NE(text.str().find(" RX FF FF FF FF FF 02 82 00 00 80\n"), std::string::npos)
        << text.str();
    EXPECT_NE(text.str().find(" TX FF FF FF FF FF 06 82 00 0E"), std::string::npos) << text.str();
}

// A pty hands the request over at once; in realtime mode the answer still
// waits as long as the request would take on the wire, then comes at the
// wire's pace: 10 + 24 bytes at 9.167 ms and 20 ms turnaround.
TEST(HartsimPty, RealtimePacesTheRequestAsWellAsTheAnswer) {
    HartsimProcess sim({"--pty", "--seconds", "5", "--realtime"});
    const int fd = openPort(sim.firstLine());
    ASSERT_GE(fd, 0);
    const Bytes request = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x80, 0x00, 0x00, 0x82};
    const auto start = Clock::now();
    ASSERT_EQ(write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
    const Bytes got = readUntil(fd, std::chrono::seconds(2), frameComplete);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_EQ(got.size(), 24u);
    EXPECT_GE(ms, (10 + 24) * 9167 / 1000 + 20);
    EXPECT_LT(ms, 600);
    close(fd);
}

// One request over the port and its answer.
Answer ask(int fd, const Bytes& request) {
    EXPECT_EQ(write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
    const std::optional<Answer> a =
        readAnswer(readUntil(fd, std::chrono::seconds(2), frameComplete));
    EXPECT_TRUE(a);
    return a.value_or(Answer{});
}

// With --state a new device starts from its options and keeps its memories
// in the file from its first answer on; a restarted hartsim goes on from
// the file, and the file shows what a write changed.
TEST(HartsimPty, TheStateFileStartsNewKeepsEveryWriteAndOutlivesARestart) {
    const std::string path = "/tmp/hartsim_state_" + std::to_string(getpid());
    std::remove(path.c_str());
    Memory before, after;
    {
        HartsimProcess sim(
            {"--pty", "--seconds", "10", "--state", path, "--options", "displayunit=mbar"});
        const int fd = openPort(sim.firstLine());
        ASSERT_GE(fd, 0);
        Bytes block10 = ask(fd, longRequest(191, {10})).data;
        EXPECT_EQ(le16(block10, 5), 13600) << "a new device";
        ASSERT_TRUE(loadMemoryFile(path, &before));
        EXPECT_EQ(le16(before.at("display.ram.12"), 7), 1) << "mbar";
        putLe16(block10, 5, 15000);
        block10[21] = 0x04;
        block10[22] = 0;
        EXPECT_EQ(ask(fd, longRequest(190, block10)).status1, 0);
        close(fd);
        EXPECT_EQ(sim.finish(true), 0);
        ASSERT_TRUE(loadMemoryFile(path, &after));
        EXPECT_EQ(describeDifferences(configurationDifferences(before, after)),
                  "display.ram.10@5,6");
    }
    HartsimProcess again({"--pty", "--seconds", "10", "--state=" + path});
    const int fd = openPort(again.firstLine());
    ASSERT_GE(fd, 0);
    EXPECT_EQ(le16(ask(fd, longRequest(191, {10})).data, 5), 15000);
    EXPECT_EQ(le16(ask(fd, longRequest(191, {12})).data, 7), 1);
    close(fd);
    EXPECT_EQ(again.finish(true), 0);
    Memory last;
    ASSERT_TRUE(loadMemoryFile(path, &last));
    EXPECT_EQ(describeDifferences(configurationDifferences(after, last)), "");
    std::remove(path.c_str());
    std::remove((path + ".new").c_str());
}

TEST(HartsimPty, EndsByItselfAndRejectsBadOptions) {
    HartsimProcess brief({"--pty", "--seconds", "0.2"});
    EXPECT_FALSE(brief.firstLine().empty());
    EXPECT_EQ(brief.finish(false), 0);
    EXPECT_EQ(HartsimProcess({"--pty", "--options", "address=99"}).finish(false), 2);
    EXPECT_EQ(HartsimProcess({"--pty", "--frobnicate"}).finish(false), 2);
    EXPECT_EQ(HartsimProcess({"--pty", "--state"}).finish(false), 2);
    EXPECT_EQ(HartsimProcess({"--pty", "--options", "config=20,displayunit=mbar"}).finish(false),
              2);
    EXPECT_EQ(HartsimProcess(
                  {"--pty", "--seconds", "2", "--options", "address=1;identity=hart5,address=1"})
                  .finish(false),
              2)
        << "two devices at one address";
}

// A device in burst mode puts its burst frame (delimiter 81, burst bit)
// on the line every period while nobody asks anything.
TEST(HartsimPty, ABurstingDeviceTalksWhileTheLineIsQuiet) {
    HartsimProcess sim({"--pty", "--seconds", "5", "--options", "identity=hart5,burst=60"});
    const int fd = openPort(sim.firstLine());
    ASSERT_GE(fd, 0);
    const Bytes got =
        readUntil(fd, std::chrono::seconds(2), [](const Bytes& b) { return b.size() >= 2 * 21; });
    ASSERT_GE(got.size(), 2u * 21u);
    for (std::size_t at : {5u, 26u}) EXPECT_EQ(got[at], 0x81) << at;
    EXPECT_EQ(got[6], 0xE6);
    close(fd);
}

}  // namespace
}  // namespace hartsim::test
