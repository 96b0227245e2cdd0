#include "answer_cache.h"

#include <algorithm>
#include <iterator>

namespace zh {
namespace {

// Commands that only read: they leave every kept answer as it is. Any other
// command (a write, an action, one this list does not know) may change the
// device and forgets them all.
constexpr std::uint8_t kPlainReads[] = {0, 1, 2, 3, 12, 13, 14, 15, 16, 20, 48, 141, 142, 151, 191};

// The answers kept: the identity, the transmitter's configuration, the two
// display-module blocks detection reads, and block 000, which a read of a
// module on its own asks first for the measurand and again with the table
// built for it (command 191 with the block number as its request).
struct Kept {
    std::uint8_t command;
    int block;  // the one request byte; -1: no request data
};
constexpr Kept kKept[] = {{0, -1}, {141, -1}, {191, 0}, {191, 12}, {191, 89}};

QByteArray keyOf(std::uint8_t command, const QByteArray& request) {
    return QByteArray(1, static_cast<char>(command)) + request;
}

bool worthKeeping(std::uint8_t command, const QByteArray& request) {
    return std::any_of(std::begin(kKept), std::end(kKept), [&](const Kept& k) {
        if (k.command != command) return false;
        if (k.block < 0) return request.isEmpty();
        return request.size() == 1 && static_cast<std::uint8_t>(request[0]) == k.block;
    });
}

}  // namespace

void AnswerCache::sending(std::uint8_t command) {
    if (std::find(std::begin(kPlainReads), std::end(kPlainReads), command) == std::end(kPlainReads))
        clear();
}

void AnswerCache::keep(std::uint8_t command, const QByteArray& request, const Answer& answer) {
    if (answer.status1 != 0 || !worthKeeping(command, request)) return;
    answers_[keyOf(command, request)] = answer;
}

const AnswerCache::Answer* AnswerCache::find(std::uint8_t command, const QByteArray& request,
                                             int expectedLength) const {
    if (!serving_) return nullptr;
    const auto it = answers_.find(keyOf(command, request));
    if (it == answers_.end()) return nullptr;
    if (expectedLength != 0 && it->second.data.size() != expectedLength) return nullptr;
    return &it->second;
}

}  // namespace zh
