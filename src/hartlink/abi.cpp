// The C entry points of libhartlink. Each checks its arguments here, once,
// and forwards to the one Library of the process: a C interface without a
// handle has to keep its state somewhere, and this file is the only place
// that does. Calls are serialised, although the program calls from one
// thread only. A call made from inside the wait callback (on the thread
// whose call is waiting) is refused: it would interleave a second exchange
// with the one on the line, or deadlock on the gate.

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "hartlink/hartlink.h"
#include "hartlink/library.h"

#ifdef _WIN32
#define HARTLINK_EXPORT extern "C" __declspec(dllexport)
#else
#define HARTLINK_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

std::mutex& gate() {
    static std::mutex m;
    return m;
}

thread_local bool t_inCall = false;  // this thread is inside an entry point

// One entry point's hold on the library, or its refusal when this thread
// is already inside one (through the wait callback).
class Entry {
  public:
    Entry() : refused_(t_inCall) {
        if (refused_) return;
        lock_ = std::unique_lock<std::mutex>(gate());
        t_inCall = true;
    }
    ~Entry() {
        if (!refused_) t_inCall = false;
    }
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;
    bool refused() const { return refused_; }

  private:
    bool refused_;
    std::unique_lock<std::mutex> lock_;
};

constexpr std::int32_t kRefused = HARTLINK_ERR_INVALID_HANDLE;

hartlink::Library& library() {
    static hartlink::Library lib;
    return lib;
}

std::int32_t invalidArgument(hartlink::Library& lib, const char* text) {
    lib.setLastError(std::string("invalid argument: ") + text);
    return hartlink::code(hartlink::Result::InvalidArgument);
}

}  // namespace

HARTLINK_EXPORT int32_t BaTinHrtCPr_Configure(uint8_t pollingAddress, uint8_t v2, uint8_t v3,
                                              uint8_t v4, uint8_t v5, uint8_t v6, uint16_t v7,
                                              uint16_t v8, uint16_t v9) {
    const Entry entry;
    if (entry.refused()) return kRefused;
    hartlink::Library& lib = library();
    hartlink::Settings settings;
    std::string error;
    const hartlink::Result checked = hartlink::settingsFromConfigureValues(
        pollingAddress, v2, v3, v4, v5, v6, v7, v8, v9, &settings, &error);
    if (checked != hartlink::Result::Ok) {
        lib.setLastError(error);
        return hartlink::code(checked);
    }
    return hartlink::code(lib.configure(settings));
}

HARTLINK_EXPORT int32_t BaTinHrtCPr_SetPortName(uint16_t portNumber, const char* name) {
    const Entry entry;
    if (entry.refused()) return kRefused;
    hartlink::Library& lib = library();
    if (name == nullptr) return invalidArgument(lib, "SetPortName: name is null");
    if (std::strlen(name) > 4096)
        return invalidArgument(lib, "SetPortName: name longer than 4096 characters");
    lib.setPortName(portNumber, name);
    return HARTLINK_ERR_OK;
}

HARTLINK_EXPORT int32_t BaTinHrtCPr_Open(uint16_t portNumber) {
    const Entry entry;
    if (entry.refused()) return kRefused;
    return hartlink::code(library().open(portNumber));
}

HARTLINK_EXPORT int32_t BaTinHrtCPr_Close(void) {
    const Entry entry;
    if (entry.refused()) return kRefused;
    library().close();
    return HARTLINK_ERR_OK;
}

HARTLINK_EXPORT int32_t BaTinHrtCPr_Connect(uint8_t* /*arg: reserved, never read or written*/) {
    const Entry entry;
    if (entry.refused()) return kRefused;
    return hartlink::code(library().connect());
}

HARTLINK_EXPORT int32_t BaTinHrtCPr_Disconnect(void) {
    const Entry entry;
    if (entry.refused()) return kRefused;
    library().disconnect();
    return HARTLINK_ERR_OK;
}

HARTLINK_EXPORT int32_t BaTinHrtCPr_SendRequest(uint8_t command, uint8_t requestLength,
                                                const uint8_t* request, uint8_t* responseLength,
                                                uint8_t* response, uint8_t* status1,
                                                uint8_t* status2) {
    const Entry entry;
    if (entry.refused()) return kRefused;
    hartlink::Library& lib = library();
    if (request == nullptr && requestLength > 0)
        return invalidArgument(lib, "SendRequest: request is null");
    if (responseLength == nullptr || response == nullptr || status1 == nullptr ||
        status2 == nullptr) {
        return invalidArgument(lib, "SendRequest: a response pointer is null");
    }
    const std::vector<uint8_t> data(request, request + requestLength);
    hartlink::Answer answer;
    const hartlink::Result result = lib.sendRequest(command, data, &answer);
    if (result != hartlink::Result::Ok) return hartlink::code(result);  // outputs untouched
    // Room for the expected length is all a caller with an expectation owes
    // us; a caller expecting anything (0) provides room for 253 bytes.
    const std::size_t expected = *responseLength;
    const std::size_t copied =
        expected > 0 ? std::min(expected, answer.data.size()) : answer.data.size();
    if (copied > 0) std::memcpy(response, answer.data.data(), copied);
    *responseLength = static_cast<uint8_t>(answer.data.size());
    *status1 = answer.status1;
    *status2 = answer.status2;
    return HARTLINK_ERR_OK;
}

HARTLINK_EXPORT int32_t BaTinHrtCPr_GetConnectionStatus(void) {
    const Entry entry;
    if (entry.refused()) return kRefused;
    return library().connected() ? HARTLINK_ERR_OK : HARTLINK_ERR_INVALID_HANDLE;
}

HARTLINK_EXPORT int32_t BaTinHrtCPr_GetComPortStatus(void) {
    const Entry entry;
    if (entry.refused()) return kRefused;
    return library().portOpen() ? HARTLINK_ERR_OK : HARTLINK_ERR_INVALID_HANDLE;
}

HARTLINK_EXPORT int32_t BaTinHrtCPr_GetDevInfo(void) {
    const Entry entry;
    if (entry.refused()) return kRefused;
    return library().connected() ? HARTLINK_ERR_OK : HARTLINK_ERR_INVALID_HANDLE;
}

HARTLINK_EXPORT int32_t BaTinHrtCPr_GetIdentity(uint8_t* length, uint8_t* data) {
    const Entry entry;
    if (entry.refused()) return kRefused;
    hartlink::Library& lib = library();
    if (length == nullptr || data == nullptr)
        return invalidArgument(lib, "GetIdentity: a pointer is null");
    if (!lib.connected()) {
        lib.setLastError("GetIdentity: no device connected (call Connect)");
        return HARTLINK_ERR_INVALID_HANDLE;
    }
    const std::vector<std::uint8_t>& identity = lib.master()->connectAnswer().data;
    const std::size_t copied = std::min<std::size_t>(*length, identity.size());
    if (copied > 0) std::memcpy(data, identity.data(), copied);
    *length = static_cast<uint8_t>(copied);
    return HARTLINK_ERR_OK;
}

HARTLINK_EXPORT int32_t BaTinHrtCPr_ReadCurrPerc(void) {
    const Entry entry;
    if (entry.refused()) return kRefused;
    library().setLastError("ReadCurrPerc is not supported by this library");
    return HARTLINK_ERR_NOT_SUPPORTED;
}

HARTLINK_EXPORT const char* BaTinHrtCPr_GetLastErrorText(void) {
    const Entry entry;
    if (entry.refused()) return "called from inside the wait callback";
    return library().lastError().c_str();
}

namespace {

// A callback the program registered, with the context it wants back; one of
// each kind per process, like the library itself.
template <typename Function>
struct Callback {
    Function function = nullptr;
    void* context = nullptr;

    static Callback& registered() {
        static Callback callback;
        return callback;
    }
};

using WaitCallback = Callback<BaTinHrtCPr_WaitCallback_t>;
using FrameCallback = Callback<BaTinHrtCPr_FrameCallback_t>;

WaitCallback& waitCallback() {
    return WaitCallback::registered();
}

}  // namespace

HARTLINK_EXPORT int32_t BaTinHrtCPr_SetWaitCallback(BaTinHrtCPr_WaitCallback_t callback,
                                                    void* context, uint16_t sliceMs) {
    const Entry entry;
    if (entry.refused()) return kRefused;
    hartlink::Library& lib = library();
    if (callback != nullptr && (sliceMs < 1 || sliceMs > 1000))
        return invalidArgument(lib, "SetWaitCallback: slice out of range 1..1000 ms");
    waitCallback() = WaitCallback{callback, context};
    if (callback == nullptr) {
        lib.setWaitHook(nullptr, std::chrono::microseconds(0));
    } else {
        lib.setWaitHook(
            [] {
                const WaitCallback wait = waitCallback();
                if (wait.function != nullptr) wait.function(wait.context);
            },
            std::chrono::milliseconds(sliceMs));
    }
    return HARTLINK_ERR_OK;
}

HARTLINK_EXPORT int32_t BaTinHrtCPr_SetFrameCallback(BaTinHrtCPr_FrameCallback_t callback,
                                                     void* context) {
    const Entry entry;
    if (entry.refused()) return kRefused;
    FrameCallback::registered() = FrameCallback{callback, context};
    if (callback == nullptr) {
        library().setTrace(nullptr);
        return HARTLINK_ERR_OK;
    }
    library().setTrace(
        [](bool sent, const std::vector<std::uint8_t>& bytes, const std::string& note) {
            const FrameCallback& to = FrameCallback::registered();
            if (!to.function) return;
            const auto length = static_cast<uint16_t>(std::min<std::size_t>(bytes.size(), 0xFFFF));
            to.function(to.context, sent ? 1 : 0, bytes.data(), length, note.c_str());
        });
    return HARTLINK_ERR_OK;
}
