#pragma once
// The library's one set of result codes (the C interface returns them as
// numbers, see hartlink.h) and the one place that names them.

#include <cstdint>

namespace hartlink {

enum class Result : std::int32_t {
    Ok = 0,
    InvalidHandle = 1,
    Resource = 2,
    Communication = 3,
    NoResponse = 4,
    InvalidArgument = 5,
    NotSupported = 6,
    Disconnected = 7,  // the port went away while in use: the modem was unplugged
};

// "no device response" etc.; never null.
const char* resultText(Result result);

inline std::int32_t code(Result result) {
    return static_cast<std::int32_t>(result);
}

}  // namespace hartlink
