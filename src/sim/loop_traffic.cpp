#include "loop_traffic.h"

#include <algorithm>
#include <cstdio>

#include "sim/slave_framing.h"

namespace hartsim {

namespace {

constexpr std::int64_t kQuietPrimaryChars = 33;    // RT1 of a primary master
constexpr std::int64_t kQuietSecondaryChars = 41;  // RT1 of a secondary master
constexpr std::int64_t kGrantChars = 8;            // RT2
constexpr std::int64_t kBurstSlotChars = 2;        // a burst device's slot after an answer
constexpr std::int64_t kHoldChars = kGrantChars + 2;

LineTime quietTime(bool primary) {
    return characterTime(primary ? kQuietPrimaryChars : kQuietSecondaryChars);
}

// The first bytes of a frame after its preambles (and any noise before them).
struct Header {
    std::uint8_t delimiter = 0;
    std::uint8_t address = 0;
    int command = -1;
};

Header header(const std::vector<std::uint8_t>& bytes) {
    Header h;
    std::size_t i = 0;
    while (i < bytes.size() && bytes[i] != 0xFF) ++i;
    while (i < bytes.size() && bytes[i] == 0xFF) ++i;
    if (i + 1 >= bytes.size()) return h;
    h.delimiter = bytes[i];
    h.address = bytes[i + 1];
    const std::size_t command =
        i + 1 + ((h.delimiter & kDelimiterLongAddress) ? 5 : 1) + ((h.delimiter >> 5) & 3);
    if (command < bytes.size()) h.command = bytes[command];
    return h;
}

bool hasPrimaryBit(const std::vector<std::uint8_t>& bytes) {
    return (header(bytes).address & kAddressMasterBit) != 0;
}

std::string at(LineTime t) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f ms", static_cast<double>(t.count()) / 1000.0);
    return text;
}

// One line of the frame log: the time the frame's first byte was on the
// wire (ms since the line started), then as appendFrameLog writes it, with
// "M2" for the second master's requests and "COLLISION" for collisions.
void appendEvent(const std::string& path, const LineEvent& e) {
    std::FILE* file = std::fopen(path.c_str(), "a");
    if (file == nullptr) return;
    std::fprintf(file, "%.3f ", static_cast<double>(e.at.count()) / 1000.0);
    switch (e.kind) {
        case LineEvent::Kind::ProgramFrame:
        case LineEvent::Kind::OtherRequest:
            std::fprintf(
                file, "%s command=%d (%s):", e.kind == LineEvent::Kind::ProgramFrame ? "RX" : "M2",
                e.command, Simulator::fateText(e.fate));
            break;
        case LineEvent::Kind::Answer:
            std::fprintf(file, "TX command=%d%s:", e.command, e.toOtherMaster ? " (to M2)" : "");
            break;
        case LineEvent::Kind::Burst:
            std::fprintf(file, "TX burst command=%d:", e.command);
            break;
        case LineEvent::Kind::Collision:
            std::fprintf(file, "COLLISION %s", e.text.c_str());
            break;
    }
    for (std::uint8_t byte : e.bytes) std::fprintf(file, " %02X", byte);
    std::fputc('\n', file);
    std::fclose(file);
}

}  // namespace

LoopTraffic::LoopTraffic(Line& line, LoopTiming timing)
    : line_(line),
      timing_(timing),
      logPath_(line.handOverFrameLog()),
      other_(line.config().otherMasterMs, line.config().seed),
      burstDue_(std::chrono::milliseconds(line.burstMs())) {
    line_.setFrameObserver([this](const std::vector<std::uint8_t>& bytes,
                                  Simulator::FrameFate fate) { heard_.emplace_back(bytes, fate); });
}

LoopTraffic::~LoopTraffic() {
    line_.setFrameObserver(nullptr);
}

void LoopTraffic::setObserver(std::function<void(const LineEvent&)> observer) {
    observer_ = std::move(observer);
}

void LoopTraffic::programBytes(const std::uint8_t* data, std::size_t size, LineTime arrival) {
    if (size == 0) return;
    if (!frameStart_) frameStart_ = std::max(arrival, programUntil_);
    programUntil_ = std::max(programUntil_, arrival) + wireTime(size);
    heard_.clear();
    const std::vector<Reply> replies = line_.receive(data, size);
    const auto heard = std::move(heard_);
    heard_.clear();
    std::size_t answered = 0;
    for (const auto& [bytes, fate] : heard) {
        const bool hasReply = fate == Simulator::FrameFate::Answered && answered < replies.size();
        programFrame(bytes, fate, hasReply ? &replies[answered++] : nullptr);
    }
    if (!line_.midFrame()) frameStart_.reset();
}

void LoopTraffic::lineIdle() {
    line_.lineIdle();
    frameStart_.reset();
}

void LoopTraffic::programFrame(const std::vector<std::uint8_t>& bytes, Simulator::FrameFate fate,
                               const Reply* reply) {
    const LineTime start = frameStart_.value_or(programUntil_);
    const LineTime end = start + wireTime(bytes.size());
    const Header h = header(bytes);
    const bool request = (h.delimiter & 0x07) == kFrameTypeRequest;
    // The second master is of the other kind than the program.
    if (request) programPrimary_ = (h.address & kAddressMasterBit) != 0;
    LineEvent frame;
    frame.kind = LineEvent::Kind::ProgramFrame;
    frame.at = start;
    frame.bytes = bytes;
    frame.command = h.command;
    frame.fate = fate;
    emit(frame);
    const std::string what = collision(bytes, start, end);
    if (!what.empty()) {
        line_.countCollision();
        LineEvent c;
        c.kind = LineEvent::Kind::Collision;
        c.at = start;
        c.text = what;
        emit(c);
    }
    last_ = request ? Last::ProgramRequest : Last::ProgramOther;
    lastPrimaryBit_ = programPrimary_;
    lastEnd_ = std::max(lastEnd_, end);
    frameStart_ = end;
    if (reply != nullptr) {
        LineEvent answer;
        answer.kind = LineEvent::Kind::Answer;
        answer.at = end + answerDelay(*reply);
        answer.bytes = reply->bytes;
        answer.command = h.command;
        queued_.push_back(std::move(answer));
    }
}

std::string LoopTraffic::collision(const std::vector<std::uint8_t>& bytes, LineTime start,
                                   LineTime end) const {
    if (ownEnd_ > start && ownStart_ < end) {
        return "two carriers at once: the program's frame at " + at(start) + " and " + ownName_ +
               " from " + at(ownStart_) + " to " + at(ownEnd_);
    }
    if ((header(bytes).delimiter & 0x07) != kFrameTypeRequest) return {};
    const std::string request = "the program's request at " + at(start);
    if (otherRequestEnd_ && start >= *otherRequestEnd_) {
        const LineTime slotEnd =
            otherAnswerEnd_ ? *otherAnswerEnd_ : *otherRequestEnd_ + quietTime(programPrimary_);
        if (start < slotEnd) {
            return "request into an answer slot: " + request +
                   ", the second master's request ended at " + at(*otherRequestEnd_) +
                   (otherAnswerEnd_ ? ", its answer at " : ", unanswered, RT1 at ") + at(slotEnd);
        }
    }
    const LineTime grant = characterTime(kGrantChars);
    if (ownAnswerEnd_ && start >= *ownAnswerEnd_ && start < *ownAnswerEnd_ + grant) {
        return "request in the other master's turn: " + request +
               ", less than RT2 after the answer to its last request ended at " +
               at(*ownAnswerEnd_);
    }
    if (otherBitBurstEnd_ && start >= *otherBitBurstEnd_ && start < *otherBitBurstEnd_ + grant) {
        return "request in the other master's turn: " + request +
               ", less than RT2 after a burst frame for the other master ended at " +
               at(*otherBitBurstEnd_);
    }
    return {};
}

LineTime LoopTraffic::answerDelay(const Reply& reply) const {
    int ms = reply.delayMs;
    if (!timing_.turnaround) ms = std::max(0, ms - line_.config().turnaroundMs);
    return std::chrono::milliseconds(ms);
}

LineTime LoopTraffic::wireTime(std::size_t bytes) const {
    return timing_.wire ? characterTime(static_cast<std::int64_t>(bytes)) : LineTime(0);
}

LineTime LoopTraffic::lineFree() const {
    return std::max(lastEnd_, programUntil_);
}

LineTime LoopTraffic::nextStart() const {
    LineTime start;
    nextSource(&start);
    return start;
}

LoopTraffic::Source LoopTraffic::nextSource(LineTime* start) const {
    // What waits for the line goes first: nobody talks into an answer.
    if (!queued_.empty()) {
        *start = std::max(queued_.front().at, lineFree());
        return Source::Queued;
    }
    Source source = Source::None;
    *start = LineTime::max();
    if (line_.burstMs() > 0) {
        *start = burstStart();
        source = Source::Burst;
    }
    if (other_.present()) {
        const LineTime t = otherMasterStart();
        if (t < *start) {
            *start = t;
            source = Source::OtherMaster;
        }
    }
    return source;
}

LineTime LoopTraffic::burstStart() const {
    const LineTime free = lineFree();
    const LineTime due = std::max(burstDue_, free);
    const bool afterAnswer =
        (last_ == Last::AnswerToProgram || last_ == Last::AnswerToOther) && free == lastEnd_;
    // Right after an answer, before any master's slot; else on a quiet line.
    if (afterAnswer && due < lastEnd_ + characterTime(1)) return due;
    return std::max(burstDue_, free + characterTime(kQuietSecondaryChars + 2));
}

LineTime LoopTraffic::otherMasterStart() const {
    const bool primary = !programPrimary_;
    const LineTime wish = other_.wish();
    Last last = last_;
    LineTime end = lastEnd_;
    if (programUntil_ > lastEnd_) {
        // Bytes of the program that made no frame (yet).
        last = Last::ProgramOther;
        end = programUntil_;
    }
    const LineTime quiet = std::max(wish, end + quietTime(primary));
    const bool ourBurst = last == Last::Burst && lastPrimaryBit_ == primary;
    if (last == Last::AnswerToProgram || ourBurst) {
        // Our turn: from the burst slot up to RT2, else after RT1.
        const LineTime t = std::max(wish, end + characterTime(kBurstSlotChars));
        return t <= end + characterTime(kGrantChars) ? t : quiet;
    }
    if (last == Last::AnswerToOther || last == Last::Burst)
        return std::max(wish, end + characterTime(kHoldChars));  // the program's turn first
    return quiet;
}

std::optional<LineEvent> LoopTraffic::next(LineTime until) {
    for (;;) {
        LineTime start;
        const Source source = nextSource(&start);
        if (source == Source::None || start > until) return std::nullopt;
        if (source == Source::Queued) {
            LineEvent e = std::move(queued_.front());
            queued_.pop_front();
            e.at = start;
            putOn(e);
            return e;
        }
        if (source == Source::Burst) {
            std::vector<Reply> frames = line_.burstFrames(burstPrimary_);
            burstDue_ = start + std::chrono::milliseconds(line_.burstMs());
            if (frames.empty()) continue;
            burstPrimary_ = !burstPrimary_;
            // Several devices in burst mode: one after the other.
            for (Reply& frame : frames) {
                LineEvent e;
                e.kind = LineEvent::Kind::Burst;
                e.at = start;
                e.bytes = std::move(frame.bytes);
                e.command = 1;
                queued_.push_back(std::move(e));
            }
            continue;
        }
        LineEvent e;
        e.kind = LineEvent::Kind::OtherRequest;
        e.at = start;
        e.bytes = other_.nextRequest(line_, !programPrimary_);
        e.command = header(e.bytes).command;
        other_.sent(start);
        // Whatever the program left unfinished has long been given up.
        if (line_.midFrame()) line_.lineIdle();
        heard_.clear();
        const std::vector<Reply> replies = line_.receiveFromOtherMaster(e.bytes);
        e.fate = heard_.empty() ? Simulator::FrameFate::NotForUs : heard_.front().second;
        heard_.clear();
        putOn(e);
        if (!replies.empty()) {
            LineEvent answer;
            answer.kind = LineEvent::Kind::Answer;
            answer.at = ownEnd_ + answerDelay(replies.front());
            answer.bytes = replies.front().bytes;
            answer.command = e.command;
            answer.toOtherMaster = true;
            otherAnswerEnd_ = answer.at + wireTime(answer.bytes.size());
            queued_.push_back(std::move(answer));
        }
        return e;
    }
}

void LoopTraffic::putOn(const LineEvent& e) {
    ownStart_ = e.at;
    ownEnd_ = e.at + wireTime(e.bytes.size());
    lastEnd_ = std::max(lastEnd_, ownEnd_);
    lastPrimaryBit_ = hasPrimaryBit(e.bytes);
    switch (e.kind) {
        case LineEvent::Kind::Answer:
            last_ = e.toOtherMaster ? Last::AnswerToOther : Last::AnswerToProgram;
            (e.toOtherMaster ? otherAnswerEnd_ : ownAnswerEnd_) = ownEnd_;
            ownName_ =
                e.toOtherMaster ? "the answer to the second master" : "the answer to the program";
            break;
        case LineEvent::Kind::Burst:
            last_ = Last::Burst;
            if (lastPrimaryBit_ != programPrimary_) otherBitBurstEnd_ = ownEnd_;
            ownName_ = "a burst frame";
            break;
        default:
            last_ = Last::OtherRequest;
            otherRequestEnd_ = ownEnd_;
            otherAnswerEnd_.reset();
            ownName_ = "the second master's request";
            break;
    }
    emit(e);
}

void LoopTraffic::emit(const LineEvent& e) {
    if (!logPath_.empty()) appendEvent(logPath_, e);
    if (observer_) observer_(e);
}

}  // namespace hartsim
