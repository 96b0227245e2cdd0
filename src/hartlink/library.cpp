#include "hartlink/library.h"

namespace hartlink {

Result settingsFromConfigureValues(std::uint8_t pollingAddress, std::uint8_t v2, std::uint8_t v3,
                                   std::uint8_t v4, std::uint8_t v5, std::uint8_t v6,
                                   std::uint16_t v7, std::uint16_t v8, std::uint16_t v9,
                                   Settings* settings, std::string* error) {
    auto invalid = [error](const std::string& text) {
        *error = "Configure: " + text;
        return Result::InvalidArgument;
    };
    if (pollingAddress > kMaxPollingAddress) {
        return invalid("polling address " + std::to_string(pollingAddress) +
                       " is out of range 0..63");
    }
    if (v3 != 0 && (v3 < kMinPreambles || v3 > kMaxPreambles)) {
        return invalid("preamble count " + std::to_string(v3) + " is out of range 2..20 (0 for 5)");
    }
    if (v4 > 10) return invalid("retry count " + std::to_string(v4) + " is out of range 0..10");
    if (v8 > 1000)
        return invalid("gap time-out " + std::to_string(v8) +
                       " characters is out of range 0..1000");
    if (v9 != 0)
        return invalid("the ninth value is reserved and must be 0, not " + std::to_string(v9));
    Settings s;
    s.pollingAddress = pollingAddress;
    s.master = v2 != 0 ? MasterKind::Primary : MasterKind::Secondary;
    s.preambles = v3 != 0 ? v3 : 5;
    s.retries = v4;
    s.adoptDevicePreambles = v5 != 0;
    s.keyRts = v6 == 0;
    s.responseTimeOut = std::chrono::milliseconds(v7);
    s.gapChars = v8;
    *settings = s;
    return Result::Ok;
}

Library::Library(TransportFactory factory) : factory_(std::move(factory)) {}

Library::~Library() {
    close();
}

Result Library::fail(Result result, std::string text) {
    lastError_ = std::move(text);
    return result;
}

Result Library::finish(Result result) {
    // The master's report: why it failed, or what it overcame on the way.
    lastError_ = master_ ? master_->report() : std::string();
    if (result != Result::Ok && lastError_.empty())
        lastError_ = resultText(result);
    else if (result != Result::Ok)
        lastError_ = std::string(resultText(result)) + ": " + lastError_;
    return result;
}

Result Library::configure(const Settings& settings) {
    settings_ = settings;
    if (master_) master_->configure(settings);
    lastError_.clear();
    return Result::Ok;
}

void Library::setPortName(std::uint16_t number, const std::string& name) {
    names_.set(number, name);
    lastError_.clear();
}

Result Library::open(std::uint16_t number) {
    close();
    const std::string name = names_.nameOf(number);
    if (name.empty()) {
        return fail(Result::Resource,
                    "Port number " + std::to_string(number) +
                        " has no name: name it with BaTinHrtCPr_SetPortName before Open");
    }
    std::string error;
    std::unique_ptr<Transport> transport = factory_(name, &error);
    if (!transport) return fail(Result::Resource, error);
    transport->setWaitHook(waitHook_, waitSlice_);
    const IoStatus opened = transport->open();
    if (!opened.ok) return fail(Result::Resource, opened.error);
    transport_ = std::move(transport);
    master_ = std::make_unique<Master>(*transport_, settings_);
    master_->setTrace(trace_);
    lastError_.clear();
    return Result::Ok;
}

void Library::setWaitHook(std::function<void()> hook, std::chrono::microseconds slice) {
    waitHook_ = std::move(hook);
    waitSlice_ = slice;
    if (transport_) transport_->setWaitHook(waitHook_, waitSlice_);
}

void Library::setTrace(TraceFn trace) {
    trace_ = std::move(trace);
    if (master_) master_->setTrace(trace_);
}

void Library::close() {
    master_.reset();
    if (transport_) transport_->close();
    transport_.reset();
    lastError_.clear();
}

Result Library::connect() {
    if (!master_) return fail(Result::InvalidHandle, "Connect: no port is open");
    return finish(master_->connect());
}

void Library::disconnect() {
    if (master_) master_->disconnect();
    lastError_.clear();
}

Result Library::sendRequest(std::uint8_t command, const std::vector<std::uint8_t>& request,
                            Answer* answer) {
    if (!master_) return fail(Result::InvalidHandle, "SendRequest: no port is open");
    if (!master_->connected())
        return fail(Result::InvalidHandle, "SendRequest: no device connected (call Connect)");
    return finish(master_->transact(command, request, answer));
}

}  // namespace hartlink
