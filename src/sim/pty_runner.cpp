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

    void line(const char* direction, const std::uint8_t* bytes, std::size_t size,
              const char* note) {
        if (file_ == nullptr) return;
        timespec now;
        clock_gettime(CLOCK_REALTIME, &now);
        tm local;
        localtime_r(&now.tv_sec, &local);
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%H:%M:%S", &local);
        std::fprintf(file_, "%s.%03ld %s", stamp, now.tv_nsec / 1000000L, direction);
        for (std::size_t i = 0; i < size; ++i) std::fprintf(file_, " %02X", bytes[i]);
        if (note != nullptr) std::fprintf(file_, "  (%s)", note);
        std::fputc('\n', file_);
    }

  private:
    std::FILE* file_ = nullptr;
};

// The log notes why a frame got no answer; answered frames need no note.
const char* fateNote(Simulator::FrameFate fate) {
    return fate == Simulator::FrameFate::Answered ? nullptr : Simulator::fateText(fate);
}

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
    PtyServer(Line& simulator, const PtyRunOptions& options, FrameLog& log,
              const sigset_t& waitMask)
        : simulator_(simulator), options_(options), log_(log), waitMask_(waitMask) {}

    int serve(int master) {
        master_ = master;
        const timespec start = monotonicNow();
        const timespec end = plusNs(start, static_cast<long long>(options_.seconds * 1e9));
        bool pendingBytes = false;
        // A device in burst mode talks between the master's requests.
        const long long burstMs = simulator_.burstMs();
        timespec nextBurst = plusNs(start, burstMs * 1000000LL);
        while (!g_stop) {
            const timespec now = monotonicNow();
            long long waitNs = -1;
            if (options_.seconds > 0) {
                waitNs = nsUntil(end, now);
                if (waitNs <= 0) break;
            }
            if (pendingBytes && (waitNs < 0 || waitNs > kIdleGapMs * 1000000LL)) {
                waitNs = kIdleGapMs * 1000000LL;
            }
            if (burstMs > 0 && !requestStarted) {
                const long long burstNs = nsUntil(nextBurst, now);
                if (burstNs <= 0) {
                    for (const Reply& frame : simulator_.burstFrames()) send(frame, now);
                    nextBurst = plusNs(monotonicNow(), burstMs * 1000000LL);
                    continue;
                }
                if (waitNs < 0 || burstNs < waitNs) waitNs = burstNs;
            }
            timespec timeout = plusNs(timespec{0, 0}, waitNs < 0 ? 0 : waitNs);
            pollfd pfd{master_, POLLIN, 0};
            const int rc = ppoll(&pfd, 1, waitNs < 0 ? nullptr : &timeout, &waitMask_);
            if (rc < 0) {
                if (errno == EINTR) continue;
                std::perror("hartsim: poll");
                return 1;
            }
            if (rc == 0) {
                if (pendingBytes) simulator_.lineIdle();
                pendingBytes = false;
                requestStarted = false;
                continue;
            }
            std::uint8_t buffer[512];
            const ssize_t n = read(master_, buffer, sizeof buffer);
            if (n > 0) {
                const timespec received = monotonicNow();
                pendingBytes = true;
                if (!requestStarted) requestStart = received;
                requestStarted = true;
                const std::uint64_t framesBefore = simulator_.framesReceived();
                for (const Reply& reply : simulator_.receive(buffer, static_cast<std::size_t>(n))) {
                    send(reply, requestEnd(reply, received));
                    nextBurst = plusNs(monotonicNow(), burstMs * 1000000LL);
                }
                if (simulator_.framesReceived() != framesBefore) {
                    // A frame ended in this piece; what followed it started here.
                    requestStart = received;
                    requestStarted = simulator_.midFrame();
                }
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
    // When the request's last byte would have arrived. A pty hands over the
    // whole request at once; on a real line it takes one character time per
    // byte from its first byte on, and the answer may not start before that.
    timespec requestEnd(const Reply& reply, const timespec& received) const {
        if (!options_.realtime) return received;
        const timespec paced =
            plusNs(requestStart, static_cast<long long>(reply.requestBytes) * kCharacterNs);
        return nsUntil(paced, received) > 0 ? paced : received;
    }

    // Waits until `deadline` unless a stop signal comes first.
    bool waitUntil(const timespec& deadline) {
        while (!g_stop) {
            const long long ns = nsUntil(deadline, monotonicNow());
            if (ns <= 0) return true;
            const timespec timeout = plusNs(timespec{0, 0}, ns);
            ppoll(nullptr, 0, &timeout, &waitMask_);
        }
        return false;
    }

    void send(const Reply& reply, const timespec& requestEnd) {
        // The turnaround only counts when the wire is emulated; a Late
        // fault's extra delay always does, or it would not be late.
        const int turnaround = simulator_.config().turnaroundMs;
        const int delayMs =
            options_.realtime ? reply.delayMs : std::max(0, reply.delayMs - turnaround);
        const timespec first = plusNs(requestEnd, static_cast<long long>(delayMs) * 1000000LL);
        if (!waitUntil(first)) return;
        log_.line("TX", reply.bytes.data(), reply.bytes.size(), nullptr);
        if (!options_.realtime) {
            writeBytes(master_, reply.bytes.data(), reply.bytes.size());
            return;
        }
        // One byte per character time, against absolute deadlines so the
        // pace does not drift with scheduling delays.
        for (std::size_t i = 0; i < reply.bytes.size(); ++i) {
            const timespec at = plusNs(first, static_cast<long long>(i) * kCharacterNs);
            while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
            }
            writeBytes(master_, &reply.bytes[i], 1);
        }
    }

    Line& simulator_;
    const PtyRunOptions& options_;
    FrameLog& log_;
    sigset_t waitMask_;
    int master_ = -1;
    // Arrival of the first byte of the request being received.
    timespec requestStart{0, 0};
    bool requestStarted = false;
};

}  // namespace

int runOnPty(Line& simulator, const PtyRunOptions& options) {
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

    simulator.setFrameObserver(
        [&log](const std::vector<std::uint8_t>& frame, Simulator::FrameFate fate) {
            log.line("RX", frame.data(), frame.size(), fateNote(fate));
        });

    std::printf("%s\n", path);
    std::fflush(stdout);

    PtyServer server(simulator, options, log, waitMask);
    const int code = server.serve(master);
    simulator.setFrameObserver(nullptr);
    close(slave);
    close(master);
    return code;
}

}  // namespace hartsim
