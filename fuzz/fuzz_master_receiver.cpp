// Arbitrary bytes, in arbitrary pieces, into the master's frame receiver.
// The first bytes choose what the receiver waits for and how the rest is
// cut up; every frame that comes out must be consistent with the bytes it
// was read from.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "hartlink/receiver.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 8) return 0;
    hartlink::Receiver rx;
    // Bytes 0..6: the expectation (or none), byte 7: the piece size seed.
    if (data[0] & 1) {
        hartlink::Expectation e;
        e.master = (data[0] & 2) ? hartlink::MasterKind::Primary : hartlink::MasterKind::Secondary;
        e.command = data[1];
        if (data[0] & 4) {
            e.address =
                hartlink::DeviceAddress::longAddress({data[2], data[3], data[4], data[5], data[6]});
        } else {
            e.address = hartlink::DeviceAddress::polling(data[2]);
        }
        rx.expect(e);
    } else {
        rx.expectAnyResponse();
    }
    std::size_t pieceSeed = data[7];
    data += 8;
    size -= 8;

    std::size_t at = 0;
    while (at < size) {
        // Piece sizes 1..16, varied along the input.
        const std::size_t piece = std::min<std::size_t>(1 + (pieceSeed % 16), size - at);
        pieceSeed = pieceSeed * 33 + data[at];
        std::size_t used = 0;
        while (used < piece) {
            const std::size_t taken = rx.feed(data + at + used, piece - used);
            require(taken >= 1 && taken <= piece - used);
            used += taken;
            if (!rx.frameEnded()) {
                require(used == piece);  // only a frame's end stops a feed early
                continue;
            }
            const hartlink::ReceivedFrame& f = rx.frame();
            // The frame is the last bytes fed, and hangs together.
            require(f.raw.size() <= at + used);
            require(f.raw.back() == data[at + used - 1]);
            require(f.raw.front() == f.delimiter);
            require(f.address.size() == (f.isLong() ? 5u : 1u));
            require(f.expansion.size() == static_cast<std::size_t>((f.delimiter >> 5) & 3));
            require(f.body.size() == f.byteCount);
            require(f.raw.size() ==
                    1 + f.address.size() + f.expansion.size() + 2 + f.body.size() + 1);
            require(f.preambles >= 2);
            std::uint8_t x = 0;
            for (std::uint8_t b : f.raw) x ^= b;
            const hartlink::Verdict v = rx.verdict();
            require((x == 0) == (v != hartlink::Verdict::BadCheckByte));
            if (v == hartlink::Verdict::Response) {
                require(f.frameType() == 6 && f.body.size() >= 2);
                require(f.data().size() + 2 == f.byteCount);
            }
            if (v == hartlink::Verdict::Malformed) require(f.body.size() < 2);
        }
        at += piece;
    }
    if (rx.inFrame()) {
        const std::size_t before = rx.noiseBytes();
        rx.abandonFrame();
        require(!rx.inFrame() && rx.noiseBytes() > before);
    }
    require(rx.noiseBytes() <= size);
    return 0;
}
