#include "hartlink/master.h"

#include <algorithm>
#include <cstdio>

#include "hartlink/timing.h"

namespace hartlink {

namespace {

// Response codes a master answers by asking again: 32 busy, and the
// delayed-response states 33 initiated, 34 running, 36 conflict. 35, a
// delayed response that died, is final.
bool asksForRetry(std::uint8_t status1) {
    return status1 >= 32 && status1 <= 36 && status1 != 35;
}

// First status byte with bit 7 set: the device saw our request damaged.
bool isCommErrorBitmap(std::uint8_t status1) {
    return (status1 & 0x80) != 0;
}

std::string commErrorText(std::uint8_t bitmap) {
    std::string text = "device reports a communication error in the request:";
    if (bitmap & 0x40) text += " parity";
    if (bitmap & 0x20) text += " overrun";
    if (bitmap & 0x10) text += " framing";
    if (bitmap & 0x08) text += " check byte";
    if (bitmap & 0x02) text += " buffer overflow";
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", bitmap);
    return text + " (" + hex + ")";
}

// A received frame as it was on the wire, preambles included (for a trace).
std::vector<std::uint8_t> wireOf(const ReceivedFrame& f) {
    std::vector<std::uint8_t> wire(static_cast<std::size_t>(f.preambles), kPreamble);
    wire.insert(wire.end(), f.raw.begin(), f.raw.end());
    return wire;
}

long long roundedMs(std::chrono::microseconds us) {
    return (us.count() + 500) / 1000;
}

// What the tries of one exchange have met so far.
struct TryRecord {
    bool lineActive = false;   // something answered, if not properly
    bool unanswered = false;   // a try got no proper answer: a late one may follow
    bool lastWasBusy = false;  // the last try was answered busy or delayed
    Answer busyAnswer;
};

// Why an answer calls for another try (a damaged request, busy, a delayed
// response), or "" when it is the answer.
std::string retryReason(const Answer& got, TryRecord* record) {
    if (isCommErrorBitmap(got.status1)) {
        record->lineActive = true;
        return commErrorText(got.status1);
    }
    if (!asksForRetry(got.status1)) return std::string();
    record->lineActive = true;
    record->lastWasBusy = true;
    record->busyAnswer = got;
    return got.status1 == 32
               ? "device busy (response code 32)"
               : "delayed response (response code " + std::to_string(got.status1) + ")";
}

}  // namespace

bool identityFromCommand0(const std::vector<std::uint8_t>& data, Identity* identity) {
    if (data.size() < 12) return false;
    Identity id;
    id.typeCode = data[1];
    id.deviceType = data[2];
    id.requestPreambles = data[3];
    id.universalRevision = data[4];
    id.deviceRevision = data[5];
    id.deviceId = (std::uint32_t{data[9]} << 16) | (std::uint32_t{data[10]} << 8) | data[11];
    // The long address: the 6 low bits of byte 1 (manufacturer ID or
    // expanded device type), the device type, the device ID.
    id.longAddress = {static_cast<std::uint8_t>(data[1] & kAddressMask), data[2], data[9], data[10],
                      data[11]};
    *identity = id;
    return true;
}

Master::Master(Transport& transport, const Settings& settings)
    : transport_(transport), settings_(settings), watch_(settings.master, transport.now()) {}

void Master::configure(const Settings& settings) {
    if (settings.pollingAddress != settings_.pollingAddress) connected_ = false;
    settings_ = settings;
    watch_.setKind(settings.master);
}

std::chrono::microseconds Master::responseTimeOut() const {
    return settings_.responseTimeOut.count() > 0
               ? std::chrono::microseconds(settings_.responseTimeOut)
               : timing::standardResponseTimeOut();
}

std::chrono::microseconds Master::gapTimeOut() const {
    return timing::gapTimeOut(settings_.gapChars);
}

std::chrono::microseconds Master::quietTime() const {
    return timing::quietTime(settings_.master == MasterKind::Primary);
}

void Master::trace(bool sent, const std::vector<std::uint8_t>& bytes, const std::string& note) {
    if (trace_) trace_(sent, bytes, note);
}

Result Master::connect() {
    connected_ = false;
    Request request;
    request.preambles = settings_.preambles;
    request.master = settings_.master;
    request.address = DeviceAddress::polling(settings_.pollingAddress);
    request.command = 0;
    Answer answer;
    const Result result = exchange(request, &answer);
    if (result != Result::Ok) return result;
    Identity identity;
    if (!identityFromCommand0(answer.data, &identity)) {
        if (!report_.empty()) report_ += "; ";
        report_ += "command 0 answered with response code " + std::to_string(answer.status1) +
                   " and " + std::to_string(answer.data.size()) + " data bytes, no identity";
        return Result::Communication;
    }
    identity_ = identity;
    connectAnswer_ = std::move(answer);
    connected_ = true;
    return Result::Ok;
}

Result Master::transact(std::uint8_t command, const std::vector<std::uint8_t>& data,
                        Answer* answer) {
    Request request;
    request.preambles = settings_.preambles;
    if (settings_.adoptDevicePreambles && connected_) {
        // What the device asked for in command 0, instead of the count
        // configured for finding it (often 20, for any device).
        request.preambles =
            std::clamp(int{identity_.requestPreambles}, kMinDevicePreambles, kMaxPreambles);
    }
    request.master = settings_.master;
    // Command 0 is answered in a short frame by every device; some older
    // ones do not answer it in a long frame.
    request.address = command == 0 ? DeviceAddress::polling(settings_.pollingAddress)
                                   : DeviceAddress::longAddress(identity_.longAddress);
    request.command = command;
    request.data = data;
    return exchange(request, answer);
}

Result Master::exchange(const Request& request, Answer* answer) {
    const std::vector<std::uint8_t> frame = encodeRequest(request);
    Expectation expectation;
    expectation.address = request.address;
    expectation.master = request.master;
    expectation.command = request.command;

    report_.clear();
    const int tries = 1 + std::max(settings_.retries, 0);
    TryRecord record;
    // The last exchange ended on a try that got no proper answer: a late one
    // may still come. A device keeps the slave time-out, so RT1 after our
    // request the line is ours again; but where the late answer would echo
    // this request's address and command, and so pass for its answer with
    // another request's data, the line must first be quiet for RT1 from now.
    if (unsettled_) {
        const bool lookalike = unsettledAddress_ == request.address &&
                               unsettledCommand_ == request.command &&
                               unsettledData_ != request.data;
        watch_.distrust(lookalike ? transport_.now() : LineWatch::Time{});
    }
    receiver_.expect(expectation);
    for (int attemptNo = 1; attemptNo <= tries; ++attemptNo) {
        Answer got;
        std::string note;
        std::size_t late = 0;
        Outcome outcome = awaitTurn(&late, &note);
        if (late > 0 && attemptNo == 1) {
            report_ +=
                std::to_string(late) + " bytes of an earlier answer came late and were dropped; ";
        } else if (late > 0) {
            record.lineActive = true;
            report_ += " (" + std::to_string(late) + " bytes came late and were dropped)";
        }
        if (outcome == Outcome::Clear) outcome = attempt(frame, expectation, &got, &note);
        record.lastWasBusy = false;
        std::string failure;
        switch (outcome) {
            case Outcome::Clear:
            case Outcome::PortFailure:
            case Outcome::PortLost:
            case Outcome::LineBusy:
                report_ += (report_.empty() ? "" : "; ") + note;
                leaveUnsettled(request, record.unanswered);
                return outcome == Outcome::PortLost   ? Result::Disconnected
                       : outcome == Outcome::LineBusy ? Result::Communication
                                                      : Result::Resource;
            case Outcome::Answered:
                failure = retryReason(got, &record);
                if (failure.empty()) {
                    *answer = std::move(got);
                    // A try that went unanswered before this one may still
                    // send its answer.
                    leaveUnsettled(request, record.unanswered);
                    return Result::Ok;
                }
                break;
            case Outcome::Broken:
                record.lineActive = true;
                record.unanswered = true;
                failure = note;
                break;
            case Outcome::Silent:
                record.unanswered = true;
                failure = note;
                break;
        }
        report_ += (report_.empty() ? "" : "; ") + std::string("try ") + std::to_string(attemptNo) +
                   ": " + failure;
    }
    leaveUnsettled(request, record.unanswered);
    if (record.lastWasBusy) {
        // The device is there and says so; whether its status is fatal is
        // the caller's decision.
        *answer = std::move(record.busyAnswer);
        return Result::Ok;
    }
    return record.lineActive ? Result::Communication : Result::NoResponse;
}

void Master::leaveUnsettled(const Request& request, bool unanswered) {
    unsettled_ = unanswered;
    unsettledAddress_ = request.address;
    unsettledCommand_ = request.command;
    unsettledData_ = request.data;
}

Master::Outcome Master::awaitTurn(std::size_t* late, std::string* note) {
    using std::chrono::microseconds;
    const auto giveUp = transport_.now() + timing::lineBusyBound();
    // Input that waited unread has no time of arrival: it is parsed, and then
    // the line is listened to until it gives a turn.
    bool waiting = true;
    std::uint8_t buffer[64];
    for (;;) {
        const auto now = transport_.now();
        microseconds wait{0};
        if (!waiting) {
            if (watch_.inFrame()) {
                wait = gapTimeOut();
            } else {
                const auto start = watch_.mayStart(now);
                if (start <= now) return Outcome::Clear;
                wait = std::chrono::duration_cast<microseconds>(start - now);
            }
            const auto left = std::chrono::duration_cast<microseconds>(giveUp - now);
            if (left.count() <= 0) {
                *note = "line busy: no turn to send within " +
                        std::to_string(roundedMs(timing::lineBusyBound())) + " ms";
                return Outcome::LineBusy;
            }
            wait = std::min(wait, left);
        }
        std::size_t count = 0;
        const Outcome heard = hear(buffer, sizeof buffer, wait, waiting, &count, note);
        if (heard != Outcome::Clear) return heard;
        if (count == 0) {
            if (!waiting && watch_.inFrame()) frameBroke();
            waiting = false;
            continue;
        }
        *late += passFrames(buffer, count);
    }
}

Master::Outcome Master::hear(std::uint8_t* buffer, std::size_t capacity,
                             std::chrono::microseconds wait, bool waiting, std::size_t* count,
                             std::string* note) {
    const IoStatus read = transport_.read(buffer, capacity, wait, count);
    if (!read.ok) {
        *note = read.error;
        return read.lost ? Outcome::PortLost : Outcome::PortFailure;
    }
    const auto at = transport_.now();
    if (*count == 0)
        watch_.heardNothing(at);
    else if (waiting)
        watch_.feedWaiting(buffer, *count, at);
    else
        watch_.feed(buffer, *count, at);
    return Outcome::Clear;
}

std::size_t Master::passFrames(const std::uint8_t* bytes, std::size_t count) {
    std::size_t late = 0;
    for (std::size_t used = 0; used < count;) {
        used += receiver_.feed(bytes + used, count - used);
        if (!receiver_.frameEnded()) continue;
        const Verdict verdict = receiver_.verdict();
        const std::vector<std::uint8_t> wire = wireOf(receiver_.frame());
        trace(false, wire, std::string("passed before sending: ") + verdictText(verdict));
        if (verdict != Verdict::NotAResponse && verdict != Verdict::OtherMaster)
            late += wire.size();
    }
    return late;
}

void Master::answerBroke(Reception* reception) {
    reception->broken = true;
    reception->skipped = receiver_.brokenFrameText();
    frameBroke();
}

void Master::frameBroke() {
    receiver_.abandonFrame();
    watch_.frameBroke();
    trace(false, {}, "frame broke off");
}

Master::Outcome Master::attempt(const std::vector<std::uint8_t>& frame,
                                const Expectation& expectation, Answer* answer, std::string* note) {
    receiver_.expect(expectation);
    trace(true, frame, "");
    const auto started = transport_.now();
    const IoStatus written = transport_.write(frame.data(), frame.size(), settings_.keyRts);
    if (!written.ok) {
        *note = written.error;
        return written.lost ? Outcome::PortLost : Outcome::PortFailure;
    }

    using std::chrono::microseconds;
    // The slave's time-out runs from the end of the request on the wire. A
    // modem's write returns when the UART has sent the last bit; a line
    // without one (a pseudo-terminal) takes the bytes at once, while the
    // request still needs its wire time (a 40-byte write: 367 ms) to arrive.
    const auto sent = std::max(
        transport_.now(), started + timing::characters(static_cast<std::int64_t>(frame.size())));
    watch_.sent(sent);
    const auto startDeadline = sent + responseTimeOut();
    // However busy the line, one frame ends within the longest frame's time.
    const auto hardDeadline = startDeadline + timing::characters(timing::kLongestFrameChars);
    Reception reception;
    std::uint8_t buffer[64];
    for (;;) {
        const auto now = transport_.now();
        microseconds wait =
            receiver_.inFrame()
                ? std::min(gapTimeOut(),
                           std::chrono::duration_cast<microseconds>(hardDeadline - now))
                : std::chrono::duration_cast<microseconds>(startDeadline - now);
        if (wait.count() <= 0) {
            if (receiver_.inFrame()) answerBroke(&reception);
            break;
        }
        std::size_t count = 0;
        const Outcome heard = hear(buffer, sizeof buffer, wait, false, &count, note);
        if (heard != Outcome::Clear) return heard;
        if (count == 0) {
            // The rest of the frame did not come.
            if (receiver_.inFrame()) answerBroke(&reception);
            continue;
        }
        if (takeFrames(buffer, count, answer, &reception)) return Outcome::Answered;
    }
    return unanswered(reception, note);
}

bool Master::takeFrames(const std::uint8_t* bytes, std::size_t count, Answer* answer,
                        Reception* reception) {
    for (std::size_t used = 0; used < count;) {
        used += receiver_.feed(bytes + used, count - used);
        if (!receiver_.frameEnded()) continue;
        const ReceivedFrame& f = receiver_.frame();
        const Verdict verdict = receiver_.verdict();
        trace(false, wireOf(f), verdict == Verdict::Response ? "" : verdictText(verdict));
        switch (verdict) {
            case Verdict::Response:
                answer->status1 = f.status1();
                answer->status2 = f.status2();
                answer->data = f.data();
                return true;
            case Verdict::BadCheckByte:
            case Verdict::Malformed:
            case Verdict::OtherMaster:
            case Verdict::OtherDevice:
            case Verdict::OtherCommand:
                // A damaged frame, or an answer that does not echo what we
                // sent: no answer to us, but the line is not silent either.
                reception->broken = true;
                reception->skipped = verdictText(verdict);
                break;
            case Verdict::NotAResponse:
                break;  // our own echo, another master's request, a burst frame
        }
    }
    return false;
}

Master::Outcome Master::unanswered(const Reception& reception, std::string* note) const {
    if (reception.broken) {
        *note = reception.skipped.empty() ? "no valid answer (damaged frame)"
                                          : "no valid answer (" + reception.skipped + ")";
        return Outcome::Broken;
    }
    *note = "no answer within " + std::to_string(roundedMs(responseTimeOut())) + " ms";
    if (receiver_.noiseBytes() > 0)
        *note += " (" + std::to_string(receiver_.noiseBytes()) + " noise bytes)";
    return Outcome::Silent;
}

}  // namespace hartlink
