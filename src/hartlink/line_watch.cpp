#include "hartlink/line_watch.h"

#include <algorithm>

#include "hartlink/timing.h"

namespace hartlink {

LineWatch::LineWatch(MasterKind kind, Time now)
    : kind_(kind), since_(now), lastByte_(now), listened_(now) {
    receiver_.expectAnyResponse();
}

void LineWatch::feed(const std::uint8_t* bytes, std::size_t count, Time at) {
    if (count == 0) return;
    // A line without a modem (a pseudo-terminal) may answer before our
    // request has had its wire time.
    lastByte_ = std::max(lastByte_, at);
    listened_ = at;
    for (std::size_t used = 0; used < count;) {
        const std::size_t noise = receiver_.noiseBytes();
        used += receiver_.feed(bytes + used, count - used);
        if (receiver_.frameEnded()) {
            frameEnded(at);
        } else if (receiver_.noiseBytes() != noise) {
            after_ = After::Unknown;
            since_ = at;
        }
    }
}

void LineWatch::feedWaiting(const std::uint8_t* bytes, std::size_t count, Time at) {
    if (count == 0) return;
    const bool fresh = at - listened_ <= timing::characters(1);
    feed(bytes, count, at);
    if (fresh) return;
    after_ = After::Unknown;
    since_ = at;
}

void LineWatch::frameBroke() {
    receiver_.abandonFrame();
    after_ = After::Unknown;
    since_ = lastByte_;
}

void LineWatch::sent(Time at) {
    receiver_.abandonFrame();
    after_ = After::Request;
    since_ = at;
    lastByte_ = at;
}

void LineWatch::distrust(Time from) {
    after_ = After::Unknown;
    since_ = std::max(lastByte_, from);
}

bool LineWatch::carriesOurBit(const ReceivedFrame& frame) const {
    const bool primary = (frame.address[0] & kPrimaryMasterBit) != 0;
    return primary == (kind_ == MasterKind::Primary);
}

void LineWatch::frameEnded(Time at) {
    since_ = at;
    const ReceivedFrame& f = receiver_.frame();
    if (receiver_.verdict() == Verdict::BadCheckByte) {
        after_ = After::Unknown;
        return;
    }
    switch (f.frameType()) {
        case kFrameTypeRequest:
            after_ = After::Request;
            break;
        case kFrameTypeResponse:
            after_ = carriesOurBit(f) ? After::Hold : After::Turn;
            break;
        default:  // a burst frame gives the turn to the master whose bit it carries
            after_ = carriesOurBit(f) ? After::Turn : After::Hold;
            break;
    }
}

LineWatch::Time LineWatch::mayStart(Time now) const {
    const auto quiet = since_ + timing::quietTime(kind_ == MasterKind::Primary);
    switch (after_) {
        case After::Unknown:
        case After::Request:
            break;
        case After::Hold:
            return std::max(now, since_ + timing::holdTime());
        case After::Turn:
            if (now < since_ + timing::burstSlot()) return since_ + timing::burstSlot();
            if (now <= since_ + timing::turnEnd()) return now;
            break;
    }
    return std::max(now, quiet);
}

}  // namespace hartlink
