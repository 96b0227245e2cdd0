#include "pty_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <optional>
#include <vector>

#include "sim/loop_traffic.h"

namespace hartsim {

namespace {

// HART's physical layer: 1200 bit/s, 11 bits per character (start, 8 data,
// odd parity, stop) = 9.167 ms per byte.
constexpr long kCharacterNs = 11L * 1000000000L / 1200L;
// A silence this long ends any partial frame. Far above the character gap
// a paced master leaves, so a slow writer is not cut off.
constexpr int kIdleGapMs = 200;

volatile sig_atomic_t g_stop = 0;
void onStopSignal(int) {
    g_stop = 1;
}

timespec monotonicNow() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t;
}

timespec plusNs(timespec t, long long ns) {
    long long total = static_cast<long long>(t.tv_nsec) + ns;
    t.tv_sec += static_cast<time_t>(total / 1000000000LL);
    t.tv_nsec = static_cast<long>(total % 1000000000LL);
    if (t.tv_nsec < 0) {
        t.tv_nsec += 1000000000L;
        t.tv_sec -= 1;
    }
    return t;
}

long long nsUntil(const timespec& later, const timespec& now) {
    return (static_cast<long long>(later.tv_sec) - now.tv_sec) * 1000000000LL +
           (later.tv_nsec - now.tv_nsec);
}

// Raw 1200 bit/s 8-O-1 as far as the kernel allows: a pty may refuse parity
// (EINVAL), and it ignores speed and parity anyway.
void configureLine(int fd) {
    termios tio;
    if (tcgetattr(fd, &tio) != 0) return;
    cfmakeraw(&tio);
    cfsetispeed(&tio, B1200);
    cfsetospeed(&tio, B1200);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB);
    tio.c_cflag |= CS8 | CLOCAL | CREAD | PARENB | PARODD;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &tio) == 0) return;
    tio.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD);
    tcsetattr(fd, TCSANOW, &tio);
}

// The --log file: every event on the line, stamped with the wall-clock
// time its first byte was on the wire.
class FrameLog {
  public:
    explicit FrameLog(const std::string& path) {
        if (path.empty()) return;
        file_ = std::fopen(path.c_str(), "w");
        if (file_ != nullptr) setvbuf(file_, nullptr, _IOLBF, 0);
    }
    ~FrameLog() {
        if (file_ != nullptr) std::fclose(file_);
    }
    FrameLog(const FrameLog&) = delete;
    FrameLog& operator=(const FrameLog&) = delete;
    bool failed(const std::string& path) const { return !path.empty() && file_ == nullptr; }

    // "HH:MM:SS.mmm RX FF ... (note)": RX the program's frames, TX the
    // devices' answers and burst frames, M2 the second master's requests;
    // "HH:MM:SS.mmm COLLISION kind: what met".
    void event(const timespec& wallClockStart, const LineEvent& e) {
        if (file_ == nullptr) return;
        const timespec at = plusNs(wallClockStart, static_cast<long long>(e.at.count()) * 1000);
        tm local;
        localtime_r(&at.tv_sec, &local);
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%H:%M:%S", &local);
        std::fprintf(file_, "%s.%03ld %s", stamp, at.tv_nsec / 1000000L, tag(e.kind));
        if (e.kind == LineEvent::Kind::Collision) std::fprintf(file_, " %s", e.text.c_str());
        for (std::uint8_t byte : e.bytes) std::fprintf(file_, " %02X", byte);
        if (const char* note = this->note(e)) std::fprintf(file_, "  (%s)", note);
        std::fputc('\n', file_);
    }

  private:
    static const char* tag(LineEvent::Kind kind) {
        switch (kind) {
            case LineEvent::Kind::ProgramFrame:
                return "RX";
            case LineEvent::Kind::OtherRequest:
                return "M2";
            case LineEvent::Kind::Collision:
                return "COLLISION";
            default:
                return "TX";
        }
    }
    // Why a request got no answer; whom an answer is for; a burst frame.
    static const char* note(const LineEvent& e) {
        switch (e.kind) {
            case LineEvent::Kind::ProgramFrame:
            case LineEvent::Kind::OtherRequest:
                return e.fate == Simulator::FrameFate::Answered ? nullptr
                                                                : Simulator::fateText(e.fate);
            case LineEvent::Kind::Answer:
                return e.toOtherMaster ? "to M2" : nullptr;
            case LineEvent::Kind::Burst:
                return "burst";
            default:
                return nullptr;
        }
    }

    std::FILE* file_ = nullptr;
};

// Writes what fits; a pty whose reader went away would otherwise block us.
void writeBytes(int fd, const std::uint8_t* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
}

class PtyServer {
  public:
    PtyServer(Line& line, const PtyRunOptions& options, FrameLog& log, const sigset_t& waitMask)
        : options_(options),
          traffic_(line, timing(options)),
          waitMask_(waitMask),
          start_(monotonicNow()) {
        clock_gettime(CLOCK_REALTIME, &wallClockStart_);
        traffic_.setObserver([this, &log](const LineEvent& e) { log.event(wallClockStart_, e); });
    }

    int serve(int master) {
        master_ = master;
        const timespec end = plusNs(start_, static_cast<long long>(options_.seconds * 1e9));
        bool pendingBytes = false;
        timespec lastInput = start_;
        while (!g_stop) {
            timespec now = monotonicNow();
            if (options_.seconds > 0 && nsUntil(end, now) <= 0) break;
            takeFramesUntil(now);
            writeDue(now);
            long long waitNs = options_.seconds > 0 ? nsUntil(end, now) : -1;
            auto earlier = [&waitNs](long long ns) {
                ns = std::max(ns, 0LL);
                if (waitNs < 0 || ns < waitNs) waitNs = ns;
            };
            if (!outgoing_.empty()) earlier(nsUntil(outgoing_.front().due, now));
            const LineTime next = traffic_.nextStart();
            if (next != LineTime::max()) earlier((next - onLine(now)).count() * 1000);
            const timespec idleAt = plusNs(lastInput, kIdleGapMs * 1000000LL);
            if (pendingBytes) earlier(nsUntil(idleAt, now));
            timespec timeout = plusNs(timespec{0, 0}, waitNs < 0 ? 0 : waitNs);
            pollfd pfd{master_, POLLIN, 0};
            const int rc = ppoll(&pfd, 1, waitNs < 0 ? nullptr : &timeout, &waitMask_);
            if (rc < 0) {
                if (errno == EINTR) continue;
                std::perror("hartsim: poll");
                return 1;
            }
            if (rc == 0) {
                if (pendingBytes && nsUntil(idleAt, monotonicNow()) <= 0) {
                    traffic_.lineIdle();
                    pendingBytes = false;
                }
                continue;
            }
            std::uint8_t buffer[512];
            const ssize_t n = read(master_, buffer, sizeof buffer);
            if (n > 0) {
                lastInput = monotonicNow();
                pendingBytes = true;
                // What the simulator started before these bytes came is on the line.
                takeFramesUntil(lastInput);
                traffic_.programBytes(buffer, static_cast<std::size_t>(n), onLine(lastInput));
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                // No reader side open (should not happen: we hold one). Do
                // not spin on the hang-up.
                const timespec pause{0, 20000000L};
                clock_nanosleep(CLOCK_MONOTONIC, 0, &pause, nullptr);
            }
        }
        return 0;
    }

  private:
    struct Outgoing {
        timespec due;
        std::uint8_t byte;
    };

    // Realtime: the wire at 1200 bit/s with the devices' turnaround. Else
    // frames take no time and answers go out at once (a Late fault's extra
    // delay still counts, or it would not be late).
    static LoopTiming timing(const PtyRunOptions& options) {
        LoopTiming t;
        if (!options.realtime) {
            t.wire = false;
            t.turnaround = false;
        }
        return t;
    }

    LineTime onLine(const timespec& t) const { return LineTime(nsUntil(t, start_) / 1000); }

    // The simulator's frames that start by `t`, queued byte by byte at the
    // wire's pace (realtime: each when a modem would hand it over, its last
    // bit received) or at once.
    void takeFramesUntil(const timespec& t) {
        while (const std::optional<LineEvent> frame = traffic_.next(onLine(t))) {
            const timespec first = plusNs(start_, static_cast<long long>(frame->at.count()) * 1000);
            for (std::size_t i = 0; i < frame->bytes.size(); ++i) {
                const long long offset =
                    options_.realtime ? static_cast<long long>(i + 1) * kCharacterNs : 0;
                outgoing_.push_back({plusNs(first, offset), frame->bytes[i]});
            }
        }
    }

    void writeDue(const timespec& now) {
        std::vector<std::uint8_t> due;
        while (!outgoing_.empty() && nsUntil(outgoing_.front().due, now) <= 0) {
            due.push_back(outgoing_.front().byte);
            outgoing_.pop_front();
        }
        if (!due.empty()) writeBytes(master_, due.data(), due.size());
    }

    const PtyRunOptions& options_;
    LoopTraffic traffic_;
    sigset_t waitMask_;
    const timespec start_;
    timespec wallClockStart_{0, 0};
    int master_ = -1;
    std::deque<Outgoing> outgoing_;
};

}  // namespace

int runOnPty(Line& line, const PtyRunOptions& options) {
    FrameLog log(options.logPath);
    if (log.failed(options.logPath)) {
        std::fprintf(stderr, "hartsim: cannot write the log %s: %s\n", options.logPath.c_str(),
                     std::strerror(errno));
        return 1;
    }

    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("hartsim: pseudo-terminal");
        return 1;
    }
    char path[256];
    if (ptsname_r(master, path, sizeof path) != 0) {
        std::perror("hartsim: pseudo-terminal name");
        return 1;
    }
    // Our own open slave keeps the pty alive between client sessions: with
    // no slave open, the master side reads EIO and reports hang-ups.
    const int slave = open(path, O_RDWR | O_NOCTTY);
    if (slave < 0) {
        std::perror("hartsim: open slave side");
        return 1;
    }
    configureLine(slave);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);

    // Stop signals are blocked except while waiting, so a stop is never
    // lost between checking the flag and starting to wait.
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
    sigset_t stops, waitMask;
    sigemptyset(&stops);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGINT);
    sigprocmask(SIG_BLOCK, &stops, &waitMask);
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGINT);

    std::printf("%s\n", path);
    std::fflush(stdout);

    PtyServer server(line, options, log, waitMask);
    const int code = server.serve(master);
    close(slave);
    close(master);
    return code;
}

}  // namespace hartsim
