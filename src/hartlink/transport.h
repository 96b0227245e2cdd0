#pragma once
// The one interface between the data-link master and the line it talks on:
// a serial port with a HART modem, or the in-process simulator. The master
// never includes a serial-port header.
//
// The transport is also the master's clock: a real port runs on the steady
// clock, the simulator (unless told to run in real time) and test doubles
// on a virtual one that moves only while the master waits on them. So every
// wait is a read with a time-out, and nothing sleeps on its own.

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace hartlink {

struct IoStatus {
    bool ok = true;
    std::string error;  // what went wrong, in words, when !ok
    bool lost = false;  // the port went away while open (a USB modem unplugged)

    static IoStatus failure(std::string text) { return IoStatus{false, std::move(text)}; }
    static IoStatus disconnected(std::string text) {
        return IoStatus{false, std::move(text), true};
    }
};

class Transport {
  public:
    using Clock = std::chrono::steady_clock;

    virtual ~Transport() = default;

    // Opens the line at 1200 bit/s, 8 data bits, odd parity, 1 stop bit and
    // discards whatever input is waiting. The error names the reason
    // (missing, busy, not permitted ...).
    virtual IoStatus open() = 0;
    virtual void close() = 0;

    // Sends `size` bytes and returns once the last bit has left. With
    // `keyRts` the RTS line is raised before and dropped after (where the
    // port has one).
    virtual IoStatus write(const std::uint8_t* data, std::size_t size, bool keyRts) = 0;

    // Waits at most `timeOut` for input; returns as soon as at least one
    // byte is there (up to `capacity`), 0 bytes after the time-out.
    // `*count` gets the number of bytes.
    virtual IoStatus read(std::uint8_t* buffer, std::size_t capacity,
                          std::chrono::microseconds timeOut, std::size_t* count) = 0;

    // Discards input that has arrived and not been read.
    virtual void flushInput() = 0;

    // The time base of every wait on this transport.
    virtual Clock::time_point now() = 0;

    // What to call the line in messages ("/dev/ttyUSB0", "Sim").
    virtual std::string describe() const = 0;

    // Something for the caller's thread to do while a read or a write waits
    // on the line: `hook` runs every `slice` (a program with a window serves
    // its events there, so that the window answers while an answer is on
    // its way, byte by byte). The hook must not use this transport. Without
    // a hook, waits block for as long as they last.
    void setWaitHook(std::function<void()> hook, std::chrono::microseconds slice) {
        waitHook_ = std::move(hook);
        waitSlice_ = std::max(slice, std::chrono::microseconds(1000));
    }

  protected:
    // The next single wait out of `left`: no longer than the hook's slice.
    std::chrono::microseconds waitSlice(std::chrono::microseconds left) const {
        return waitHook_ && waitSlice_ < left ? waitSlice_ : left;
    }
    // Runs the hook when a slice has passed since it last ran (in real
    // time: it is there for the person waiting).
    void waited() {
        if (!waitHook_) return;
        const auto t = std::chrono::steady_clock::now();
        if (t - lastRun_ < waitSlice_) return;
        lastRun_ = t;
        waitHook_();
    }

  private:
    std::function<void()> waitHook_;
    std::chrono::microseconds waitSlice_{1000};
    std::chrono::steady_clock::time_point lastRun_{};
};

// A serial port by device path ("/dev/ttyUSB0", "/dev/pts/3"). Nothing is
// opened before open(), which honours and takes the port's UUCP lock file
// (uucp_lock.h) in /run/lock or /var/lock, or in `lockFolders`.
std::unique_ptr<Transport> makeSerialTransport(const std::string& devicePath);
std::unique_ptr<Transport> makeSerialTransport(const std::string& devicePath,
                                               const std::vector<std::string>& lockFolders);

// The built-in device simulator. `options` in the simulator's option syntax
// ("presence=display,fault=busy*2"); empty: no options. The options are
// checked by open().
std::unique_ptr<Transport> makeSimTransport(const std::string& options);
// The collisions the simulated line with these options has seen so far:
// frames of ours that broke the loop-sharing rules (its frame log, log=,
// says which). 0 for a line not opened yet.
std::uint64_t simCollisions(const std::string& options);

}  // namespace hartlink
