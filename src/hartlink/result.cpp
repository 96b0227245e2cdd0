#include "hartlink/result.h"

namespace hartlink {

const char* resultText(Result result) {
    switch (result) {
        case Result::Ok:
            return "ok";
        case Result::InvalidHandle:
            return "invalid handle (port not open or device not connected)";
        case Result::Resource:
            return "resource error (port)";
        case Result::Communication:
            return "communication error";
        case Result::NoResponse:
            return "no device response";
        case Result::InvalidArgument:
            return "invalid argument";
        case Result::NotSupported:
            return "not supported";
        case Result::Disconnected:
            return "the port was disconnected (modem unplugged)";
    }
    return "unknown result";
}

}  // namespace hartlink
