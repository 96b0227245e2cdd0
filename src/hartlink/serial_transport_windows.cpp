// The serial port behind a HART modem, through the Win32 communications
// API: the Windows counterpart of serial_transport.cpp, with the same
// behaviour towards the master.
//
// HART modems are keyed by RTS: we raise it (EscapeCommFunction) before a
// request and drop it once the transmitter has run empty (EV_TXEMPTY), or
// the answer would collide with our own carrier. The wait for EV_TXEMPTY is
// armed before the request is written, so that the event cannot pass unseen.
// A port whose driver reports no EV_TXEMPTY (some emulated ports) counts as
// sent once its output queue is empty and the request's wire time plus a
// UART FIFO's worth of characters has passed.
//
// Every wait is overlapped and bounded here. A read returns the bytes
// already there, else the first to arrive, else none after its time-out:
// COMMTIMEOUTS with interval and multiplier MAXDWORD, the constant the
// time-out. A driver that does not keep to that (it lets the read run past
// its time-out) is cancelled at our own deadline, and from then on the port
// is read with a 1 ms interval time-out and the time-out as the total, which
// returns just after the first bytes; a poll then asks the input queue
// first. Emulated ports behave so (wine's serial emulation on a
// pseudo-terminal); a real port's driver keeps to the documented timeouts.
//
// Windows opens a COM port for one program only: a second opener gets
// ERROR_ACCESS_DENIED, so no lock files are needed.

#include <windows.h>

#include <algorithm>

#include "hartlink/port_messages.h"
#include "hartlink/timing.h"
#include "hartlink/transport.h"

namespace hartlink {

namespace {

namespace says = port_messages;
using std::chrono::microseconds;
using std::chrono::milliseconds;

// What a UART's transmit FIFO still holds after the driver's queue is empty:
// 16 characters = 147 ms at 1200 bit/s.
constexpr std::int64_t kFifoChars = 16;

// How much longer than a read's own time-out we let a driver take before we
// cancel the read ourselves.
constexpr milliseconds kDriverGrace{100};

std::string systemError(DWORD error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length > 0 && text != nullptr ? std::string(text, length) : "";
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.')) {
        message.pop_back();
    }
    return (message.empty() ? "system error" : message) + " (error " + std::to_string(error) + ")";
}

// The reasons people meet when a port does not open, in their words. A COM
// port already open in another program answers "access denied".
std::string openErrorText(const std::string& port, DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_UNIT:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_DEVICE_NOT_CONNECTED:
            return says::missing(port);
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_BUSY:
            return says::busy(port);
        default:
            return says::cannotOpen(port, systemError(error));
    }
}

bool notSupported(DWORD error) {
    return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED ||
           error == ERROR_INVALID_PARAMETER || error == ERROR_CALL_NOT_IMPLEMENTED;
}

// The errors of a port that went away under an open handle: a USB adapter
// unplugged (its driver fails every request from then on), the far end of
// an emulated port closed.
bool goneError(DWORD error) {
    return error == ERROR_DEVICE_NOT_CONNECTED || error == ERROR_DEVICE_REMOVED ||
           error == ERROR_BAD_COMMAND || error == ERROR_GEN_FAILURE ||
           error == ERROR_ACCESS_DENIED || error == ERROR_FILE_NOT_FOUND ||
           error == ERROR_IO_DEVICE || error == ERROR_BROKEN_PIPE;
}

// "\\.\COM12" for "COM12": the device namespace, without which COM10 and up
// do not open. A name already in it is taken as it is.
std::string deviceNameOf(const std::string& port) {
    if (port.rfind("\\\\.\\", 0) == 0 || port.rfind("//./", 0) == 0) return port;
    return "\\\\.\\" + port;
}

DWORD clampedMilliseconds(microseconds us) {
    return static_cast<DWORD>(timing::millisecondsCeil(us));
}

// One overlapped request on the port: its OVERLAPPED and the event it
// signals. The request must have completed (or been cancelled and then
// completed) before the object goes.
class Overlapped {
  public:
    Overlapped() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Overlapped() {
        if (event_ != nullptr) CloseHandle(event_);
    }
    Overlapped(const Overlapped&) = delete;
    Overlapped& operator=(const Overlapped&) = delete;

    bool valid() const { return event_ != nullptr; }
    OVERLAPPED* fresh() {
        overlapped_ = OVERLAPPED{};
        overlapped_.hEvent = event_;
        ResetEvent(event_);
        return &overlapped_;
    }
    // Waits up to `timeOut` for the request; true once it completed.
    bool wait(microseconds timeOut) {
        return WaitForSingleObject(event_, clampedMilliseconds(timeOut)) == WAIT_OBJECT_0;
    }
    // The outcome of a completed (or cancelled) request.
    bool result(HANDLE port, DWORD* transferred, DWORD* error) {
        *transferred = 0;
        if (GetOverlappedResult(port, &overlapped_, transferred, TRUE)) return true;
        *error = GetLastError();
        return false;
    }
    // Cancels the request, if still running, and waits for it to end.
    void cancel(HANDLE port) {
        CancelIoEx(port, &overlapped_);
        DWORD ignored = 0;
        GetOverlappedResult(port, &overlapped_, &ignored, TRUE);
    }

  private:
    HANDLE event_;
    OVERLAPPED overlapped_{};
};

class WindowsSerialTransport final : public Transport {
  public:
    explicit WindowsSerialTransport(std::string port) : port_(std::move(port)) {}
    ~WindowsSerialTransport() override { close(); }

    IoStatus open() override {
        close();
        if (!reading_.valid() || !writing_.valid() || !watching_.valid())
            return IoStatus::failure(says::cannotOpen(port_, systemError(GetLastError())));
        const HANDLE h = CreateFileA(deviceNameOf(port_).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return IoStatus::failure(openErrorText(port_, GetLastError()));
        const IoStatus set = setUp(h);
        if (!set.ok) {
            CloseHandle(h);
            return set;
        }
        handle_ = h;
        rtsSupported_ = true;
        txEmptyEvents_ = true;
        timeOutsKept_ = true;
        readTimeOut_ = MAXDWORD;
        setRts(false);
        return {};
    }

    void close() override {
        if (handle_ == INVALID_HANDLE_VALUE) return;
        setRts(false);
        CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

    IoStatus write(const std::uint8_t* data, std::size_t size, bool keyRts) override {
        if (handle_ == INVALID_HANDLE_VALUE) return says::notOpen(port_);
        if (keyRts) setRts(true);
        const auto started = now();
        const auto deadline = started + timing::writeTimeOut(static_cast<std::int64_t>(size));
        const bool watching = armTxEmpty();
        IoStatus status = writeAll(data, size, deadline);
        if (status.ok)
            status = awaitSent(watching, started, static_cast<std::int64_t>(size), deadline);
        else if (watching)
            watching_.cancel(handle_);
        if (keyRts) setRts(false);
        return status;
    }

    IoStatus read(std::uint8_t* buffer, std::size_t capacity, microseconds timeOut,
                  std::size_t* count) override {
        *count = 0;
        if (handle_ == INVALID_HANDLE_VALUE) return says::notOpen(port_);
        const auto deadline = now() + timeOut;
        const DWORD room = static_cast<DWORD>(std::min<std::size_t>(capacity, MAXDWORD));
        for (;;) {
            const microseconds left = timeLeft(deadline);
            DWORD got = 0;
            const IoStatus status = readOnce(buffer, room, waitSlice(left), &got);
            if (!status.ok) return status;
            if (got > 0) {
                *count = got;
                waited();  // an answer trickles in for a few hundred ms
                return {};
            }
            if (left.count() == 0 || now() >= deadline) return {};
            waited();
        }
    }

    void flushInput() override {
        if (handle_ != INVALID_HANDLE_VALUE) PurgeComm(handle_, PURGE_RXCLEAR);
    }

    Clock::time_point now() override { return Clock::now(); }

    std::string describe() const override { return port_; }

  private:
    // 1200 bit/s 8-O-1 without handshake, DTR on (some modems draw their
    // power from it), RTS ours to key; no event but EV_TXEMPTY; stale input
    // (a late answer, line noise since the modem powered up) discarded.
    IoStatus setUp(HANDLE h) {
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!GetCommState(h, &dcb)) {
            const DWORD error = GetLastError();
            return IoStatus::failure(notSupported(error)
                                         ? says::notSerialPort(port_)
                                         : says::cannotReadSettings(port_, systemError(error)));
        }
        dcb.BaudRate = static_cast<DWORD>(timing::kBitRate);
        dcb.ByteSize = 8;
        dcb.Parity = ODDPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fBinary = TRUE;
        dcb.fParity = TRUE;
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
        dcb.fDsrSensitivity = FALSE;
        dcb.fTXContinueOnXoff = TRUE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fErrorChar = FALSE;
        dcb.fNull = FALSE;
        dcb.fRtsControl = RTS_CONTROL_DISABLE;
        dcb.fAbortOnError = FALSE;
        if (!SetCommState(h, &dcb))
            return IoStatus::failure(says::cannotSetLine(port_, systemError(GetLastError())));
        // Writes are bounded by our own deadline, not by the driver.
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = MAXDWORD;
        if (!SetCommTimeouts(h, &timeouts) || !SetCommMask(h, EV_TXEMPTY))
            return IoStatus::failure(says::cannotSetLine(port_, systemError(GetLastError())));
        PurgeComm(h, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
        return {};
    }

    void setRts(bool on) {
        if (handle_ == INVALID_HANDLE_VALUE || !rtsSupported_) return;
        if (!EscapeCommFunction(handle_, on ? SETRTS : CLRRTS) && notSupported(GetLastError()))
            rtsSupported_ = false;
    }

    // Starts the wait for the transmitter to run empty; false where the port
    // reports no such event (the write is then judged by its queue).
    bool armTxEmpty() {
        // Setting the mask again forgets an EV_TXEMPTY of an earlier write;
        // a wait that still ends at once has seen such an event, and the
        // next one waits for ours.
        if (!txEmptyEvents_ || !SetCommMask(handle_, EV_TXEMPTY)) return false;
        for (int round = 0; round < 2; ++round) {
            txEvents_ = 0;
            if (!WaitCommEvent(handle_, &txEvents_, watching_.fresh()))
                return GetLastError() == ERROR_IO_PENDING;
        }
        return false;
    }

    // Hands the whole request to the driver before the deadline.
    IoStatus writeAll(const std::uint8_t* data, std::size_t size, Clock::time_point deadline) {
        std::size_t done = 0;
        while (done < size) {
            DWORD written = 0;
            DWORD error = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, MAXDWORD));
            if (!WriteFile(handle_, data + done, chunk, nullptr, writing_.fresh())) {
                error = GetLastError();
                if (error != ERROR_IO_PENDING) return failedIo(error, says::writeFailed);
                if (!waitFor(writing_, deadline)) {
                    writing_.cancel(handle_);
                    PurgeComm(handle_, PURGE_TXABORT | PURGE_TXCLEAR);
                    return says::notSentInTime(port_);
                }
            }
            if (!writing_.result(handle_, &written, &error))
                return failedIo(error, says::writeFailed);
            done += written;
            if (written == 0 && now() >= deadline) return says::notSentInTime(port_);
        }
        return {};
    }

    // Waits until the request of `size` characters written from `started`
    // on has left the port: EV_TXEMPTY, which a real UART's driver reports at
    // the end of the wire time. Where the driver reports none (the wait
    // ends without it, or it is overdue with nothing queued), the queue
    // decides: the last bit has left a FIFO's time after the queue ran empty,
    // and not before the request's wire time.
    IoStatus awaitSent(bool watching, Clock::time_point started, std::int64_t size,
                       Clock::time_point deadline) {
        const auto wireEnd = started + timing::characters(size);
        const auto fifo = timing::characters(std::min(size, kFifoChars));
        const auto eventDue = std::min(deadline, wireEnd + timing::characters(kFifoChars));
        bool drained = false;
        Clock::time_point sent{};
        for (;;) {
            if (watching) {
                if (waitFor(watching_,
                            std::max(eventDue, std::min(deadline, now() + milliseconds(10))))) {
                    DWORD ignored = 0;
                    DWORD error = 0;
                    if (watching_.result(handle_, &ignored, &error) && (txEvents_ & EV_TXEMPTY))
                        return {};
                    watching = false;
                } else if (now() >= eventDue && outputQueued() == 0) {
                    watching_.cancel(handle_);
                    watching = false;
                }
                if (!watching) txEmptyEvents_ = false;  // from now on the queue decides
            }
            if (!watching) {
                if (!drained && outputQueued() == 0) {
                    drained = true;
                    sent = std::max(wireEnd, now() + fifo);
                }
                if (drained && now() >= sent) return {};
                pause(std::min(deadline, drained ? sent : now() + milliseconds(10)));
            }
            if (now() >= deadline) break;
        }
        if (watching) watching_.cancel(handle_);
        PurgeComm(handle_, PURGE_TXABORT | PURGE_TXCLEAR);
        return says::notSentInTime(port_);
    }

    // The bytes the driver still has to send, or has received and not
    // handed over; 0 when it does not say.
    COMSTAT queues() {
        DWORD errors = 0;
        COMSTAT stat{};
        return ClearCommError(handle_, &errors, &stat) ? stat : COMSTAT{};
    }
    DWORD outputQueued() { return queues().cbOutQue; }

    // The read time-outs for one read of at most `ms`: see the top of the
    // file. Set only when they change.
    IoStatus setReadTimeOut(DWORD ms) {
        const DWORD key = timeOutsKept_ ? ms : ms | 0x80000000u;
        if (key == readTimeOut_) return {};
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = timeOutsKept_ || ms == 0 ? MAXDWORD : 1;
        timeouts.ReadTotalTimeoutMultiplier = timeOutsKept_ && ms > 0 ? MAXDWORD : 0;
        timeouts.ReadTotalTimeoutConstant = ms;
        if (!SetCommTimeouts(handle_, &timeouts)) return failedIo(GetLastError(), says::readFailed);
        readTimeOut_ = key;
        return {};
    }

    // One read of the bytes there or arriving within `timeOut`.
    IoStatus readOnce(std::uint8_t* buffer, DWORD room, microseconds timeOut, DWORD* got) {
        *got = 0;
        const DWORD ms = std::min<DWORD>(clampedMilliseconds(timeOut), MAXDWORD >> 2);
        if (ms == 0 && !timeOutsKept_ && queues().cbInQue == 0) return {};
        const IoStatus set = setReadTimeOut(ms);
        if (!set.ok) return set;
        DWORD error = 0;
        if (!ReadFile(handle_, buffer, room, nullptr, reading_.fresh())) {
            error = GetLastError();
            if (error != ERROR_IO_PENDING) return failedIo(error, says::readFailed);
            if (!reading_.wait(milliseconds(ms) + kDriverGrace)) {
                reading_.cancel(handle_);
                timeOutsKept_ = false;
            }
        }
        if (!reading_.result(handle_, got, &error) && error != ERROR_OPERATION_ABORTED &&
            error != ERROR_TIMEOUT)
            return failedIo(error, says::readFailed);
        return {};
    }

    // Waits for an overlapped request until `deadline`, in slices of the
    // wait hook, running the hook between them.
    bool waitFor(Overlapped& request, Clock::time_point deadline) {
        for (;;) {
            if (request.wait(waitSlice(timeLeft(deadline)))) return true;
            if (now() >= deadline) return false;
            waited();
        }
    }

    void pause(Clock::time_point until) {
        const microseconds left = timeLeft(until);
        if (left.count() > 0) Sleep(clampedMilliseconds(waitSlice(left)));
        waited();
    }

    microseconds timeLeft(Clock::time_point deadline) {
        return std::max(microseconds(0),
                        std::chrono::duration_cast<microseconds>(deadline - now()));
    }

    IoStatus failedIo(DWORD error, IoStatus (*failure)(const std::string&, const std::string&)) {
        return goneError(error) ? says::lost(port_) : failure(port_, systemError(error));
    }

    std::string port_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    Overlapped reading_;
    Overlapped writing_;
    Overlapped watching_;
    DWORD txEvents_ = 0;
    DWORD readTimeOut_ = MAXDWORD;
    bool rtsSupported_ = true;
    bool txEmptyEvents_ = true;  // the driver reports EV_TXEMPTY
    bool timeOutsKept_ = true;   // the driver keeps to the documented read timeouts
};

}  // namespace

// Windows keeps a COM port to one opener: there are no lock folders.
std::unique_ptr<Transport> makeSerialTransport(const std::string& devicePath) {
    return std::make_unique<WindowsSerialTransport>(devicePath);
}

std::unique_ptr<Transport> makeSerialTransport(const std::string& devicePath,
                                               const std::vector<std::string>& /*lockFolders*/) {
    return makeSerialTransport(devicePath);
}

}  // namespace hartlink
