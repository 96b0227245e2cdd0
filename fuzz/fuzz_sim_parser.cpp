// Feeds arbitrary bytes, cut into arbitrary pieces, to the device simulator
// and checks that whatever it answers is a well-formed HART response frame.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "sim/simulator.h"

namespace {

// Every reply: optional noise (never 0xFF), the configured preambles, an
// 0x06/0x86 delimiter, address, command, a byte count of at least 2 that
// matches the bytes sent (unless the fault cuts the answer off), and a
// check byte that XORs the frame to zero.
void checkReply(const hartsim::Reply& reply, const hartsim::DeviceConfig& config,
                bool badCheckAllowed, bool cutAllowed) {
    const std::vector<std::uint8_t>& b = reply.bytes;
    if (reply.delayMs < 0) std::abort();
    std::size_t i = 0;
    while (i < b.size() && b[i] != 0xFF) ++i;
    int preambles = 0;
    while (i < b.size() && b[i] == 0xFF) {
        ++preambles;
        ++i;
    }
    // An answer cut off on the line may end in or right after its preambles.
    if (cutAllowed && i >= b.size()) return;
    if (preambles != config.preambles || i >= b.size()) std::abort();
    const std::size_t start = i;
    const std::uint8_t delimiter = b[i++];
    if (delimiter != 0x06 && delimiter != 0x86) std::abort();
    i += delimiter == 0x86 ? 5 : 1;
    i += 1;  // command
    if (i >= b.size()) {
        if (cutAllowed) return;
        std::abort();
    }
    const std::size_t count = b[i++];
    if (count < 2) std::abort();
    // An answer cut off on the line ends before its byte count says.
    if (cutAllowed && i + count + 1 > b.size()) return;
    if (i + count + 1 != b.size()) std::abort();
    std::uint8_t x = 0;
    for (std::size_t k = start; k < b.size(); ++k) x ^= b[k];
    if (x != 0 && !badCheckAllowed) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    // The first bytes choose the device and the faults, the rest is the line.
    hartsim::DeviceConfig config;
    config.presence = static_cast<hartsim::Presence>(data[0] % 3);
    config.pollingAddress = static_cast<std::uint8_t>((data[0] >> 2) & 0x0F);
    config.preambles = 2 + data[1] % 19;
    hartsim::Simulator sim(config);
    const bool faults = (data[1] & 0x80) != 0;
    bool cut = false;
    if (faults) {
        hartsim::Fault f;
        f.kind = static_cast<hartsim::Fault::Kind>(
            data[2] % (static_cast<int>(hartsim::Fault::Kind::Noise) + 1));
        f.count = 1 + data[2] / 8 % 4;
        f.code = 1 + data[2] % 100;
        f.delayMs = data[2];
        f.noiseBytes = 1 + data[2] % 20;
        cut = f.kind == hartsim::Fault::Kind::Truncated;
        sim.injectFault(f);
    }
    std::size_t pos = 3;
    // Piece lengths come from the data itself, so cuts fall anywhere.
    while (pos < size) {
        const std::size_t piece = 1 + data[pos] % 37;
        const std::size_t n = piece < size - pos ? piece : size - pos;
        for (const hartsim::Reply& reply : sim.receive(data + pos, n))
            checkReply(reply, config, faults, cut);
        pos += n;
        if (data[pos - 1] == 0x5A) sim.lineIdle();
    }
    const hartsim::Statistics& s = sim.statistics();
    if (s.answers > s.framesForUs || s.framesForUs + s.badCheckBytes > s.framesReceived)
        std::abort();
    return 0;
}
