// The serial port behind a HART modem, through POSIX termios.
//
// HART modems are keyed by RTS: the carrier is on while RTS is raised, so we
// raise it before a request and drop it once the last stop bit has left the
// UART (tcdrain), or the answer would collide with our own carrier.
//
// Pseudo-terminals (the simulator's runner, socat) accept the line settings
// but have no modem lines: RTS ioctls fail with ENOTTY (or EINVAL), and
// asking for parity may be refused with EINVAL. Both count as "not
// supported" there and the port is used without them.

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "hartlink/port_messages.h"
#include "hartlink/timing.h"
#include "hartlink/transport.h"
#include "hartlink/uucp_lock.h"

namespace hartlink {

namespace {

namespace says = port_messages;

std::string systemError(int error) {
    return std::strerror(error);
}

// The reasons people meet when a port does not open, in their words.
std::string openErrorText(const std::string& path, int error) {
    switch (error) {
        case ENOENT:
        case ENXIO:
        case ENODEV:
            return says::missing(path);
        case EACCES:
        case EPERM:
            return "No permission to open serial port " + path +
                   ": add the user to the 'dialout' group (sudo usermod -aG dialout $USER) and log "
                   "in again";
        case EBUSY:
            return says::busy(path);
        default:
            return says::cannotOpen(path, systemError(error));
    }
}

bool notSupported(int error) {
    return error == ENOTTY || error == EINVAL;
}

// The errors of a port that went away under an open descriptor: a USB
// adapter unplugged, the far end of a pseudo-terminal closed.
bool goneError(int error) {
    return error == EIO || error == ENXIO || error == ENODEV;
}

class SerialTransport final : public Transport {
  public:
    SerialTransport(std::string path, const std::vector<std::string>& lockFolders)
        : path_(std::move(path)), lock_(lockFolders) {}
    ~SerialTransport() override { close(); }

    IoStatus open() override {
        close();
        // Terminal programs (minicom, picocom) announce their use of a port
        // only by a lock file.
        const IoStatus locked = lock_.acquire(path_);
        if (!locked.ok) return locked;
        const IoStatus opened = openPort();
        if (!opened.ok) lock_.release();
        return opened;
    }

    // The port itself, once its lock is ours (or none can be taken).
    IoStatus openPort() {
        const int fd = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return IoStatus::failure(openErrorText(path_, errno));
        // One master per port: a second program (or a second instance of
        // ours) would garble every frame.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            return IoStatus::failure(error == EWOULDBLOCK ? says::busy(path_)
                                                          : "Cannot lock serial port " + path_ +
                                                                ": " + systemError(error));
        }
        termios tio{};
        if (::tcgetattr(fd, &tio) != 0) {
            const int error = errno;
            ::close(fd);
            return IoStatus::failure(error == ENOTTY
                                         ? says::notSerialPort(path_)
                                         : says::cannotReadSettings(path_, systemError(error)));
        }
        ::ioctl(fd,
                TIOCEXCL);  // keeps other (non-root) openers out; a pty may refuse, which is fine

        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B1200);
        ::cfsetospeed(&tio, B1200);
        tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | CRTSCTS);
        tio.c_cflag |= CS8 | CLOCAL | CREAD | PARENB | PARODD;
        tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
            int error = errno;
            if (error == EINVAL) {
                // A pseudo-terminal that refuses parity: no parity is there
                // to check anyway, so run without it.
                tio.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD);
                error = ::tcsetattr(fd, TCSANOW, &tio) == 0 ? 0 : errno;
            }
            if (error != 0) {
                ::close(fd);
                return IoStatus::failure(says::cannotSetLine(path_, systemError(error)));
            }
        }
        // Stale input (a late answer, line noise since the modem powered up)
        // must not be taken for the first answer.
        ::tcflush(fd, TCIOFLUSH);
        fd_ = fd;
        rtsSupported_ = true;
        setRts(false);
        return {};
    }

    void close() override {
        if (fd_ < 0) return;
        setRts(false);
        ::ioctl(fd_, TIOCNXCL);
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
        lock_.release();  // held only while the port is open
    }

    IoStatus write(const std::uint8_t* data, std::size_t size, bool keyRts) override {
        if (fd_ < 0) return says::notOpen(path_);
        if (keyRts) setRts(true);
        const auto deadline = now() + timing::writeTimeOut(static_cast<std::int64_t>(size));
        std::size_t done = 0;
        IoStatus status;
        while (done < size && status.ok) {
            const ssize_t n = ::write(fd_, data + done, size - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && goneError(errno)) {
                status = lost();
                break;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                status = says::writeFailed(path_, systemError(errno));
                break;
            }
            status = waitUntil(POLLOUT, deadline);
        }
        // Wait until the driver's queue is empty (bounded), then for the
        // UART itself (tcdrain: at most its FIFO, a few characters).
        while (status.ok) {
            int queued = 0;
            if (::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0) break;
            if (now() >= deadline) {
                ::tcflush(fd_, TCOFLUSH);
                status = says::notSentInTime(path_);
                break;
            }
            status =
                pollFor(0, std::chrono::milliseconds(5));  // a bounded pause while the queue drains
            waited();
        }
        if (status.ok) ::tcdrain(fd_);
        if (keyRts) setRts(false);
        return status;
    }

    IoStatus read(std::uint8_t* buffer, std::size_t capacity, std::chrono::microseconds timeOut,
                  std::size_t* count) override {
        *count = 0;
        if (fd_ < 0) return says::notOpen(path_);
        const auto deadline = now() + timeOut;
        bool hungUp = false;
        for (;;) {
            const ssize_t n = ::read(fd_, buffer, capacity);
            if (n > 0) {
                *count = static_cast<std::size_t>(n);
                waited();  // an answer trickles in for a few hundred ms
                return {};
            }
            if (n < 0 && goneError(errno))
                hungUp = true;
            else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                return says::readFailed(path_, systemError(errno));
            }
            // With VMIN = 0 a read of 0 bytes means "nothing there"; after a
            // hang-up it means the port is gone.
            if (hungUp) return lost();
            const auto left =
                std::chrono::duration_cast<std::chrono::microseconds>(deadline - now());
            if (left.count() <= 0) return {};
            pollfd p{fd_, POLLIN, 0};
            const int r = ::poll(&p, 1, timing::millisecondsCeil(waitSlice(left)));
            if (r < 0 && errno != EINTR) return says::waitFailed(path_, systemError(errno));
            if (r == 0) waited();
            // Read once more: what arrived before a hang-up is still ours.
            if (r > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL))) hungUp = true;
        }
    }

    void flushInput() override {
        if (fd_ >= 0) ::tcflush(fd_, TCIFLUSH);
    }

    Clock::time_point now() override { return Clock::now(); }

    std::string describe() const override { return path_; }

  private:
    void setRts(bool on) {
        if (fd_ < 0 || !rtsSupported_) return;
        int bits = TIOCM_RTS;
        if (::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bits) != 0 && notSupported(errno))
            rtsSupported_ = false;
    }

    // Polls for `events` until they come or the deadline passes.
    IoStatus waitUntil(short events, Clock::time_point deadline) {
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - now());
        if (left.count() <= 0) return {};
        return pollFor(events, left);
    }

    IoStatus pollFor(short events, std::chrono::microseconds timeOut) {
        pollfd p{fd_, events, 0};
        const int r = ::poll(&p, 1, timing::millisecondsCeil(timeOut));
        if (r < 0 && errno != EINTR) return says::waitFailed(path_, systemError(errno));
        if (r > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)) && !(p.revents & POLLIN))
            return lost();
        return {};
    }

    IoStatus lost() const { return says::lost(path_); }

    std::string path_;
    UucpLock lock_;
    int fd_ = -1;
    bool rtsSupported_ = true;
};

}  // namespace

std::unique_ptr<Transport> makeSerialTransport(const std::string& devicePath) {
    return makeSerialTransport(devicePath, defaultLockFolders());
}

std::unique_ptr<Transport> makeSerialTransport(const std::string& devicePath,
                                               const std::vector<std::string>& lockFolders) {
    return std::make_unique<SerialTransport>(devicePath, lockFolders);
}

}  // namespace hartlink
