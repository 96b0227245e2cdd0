#pragma once
// What the C interface keeps between calls: the settings, the port names,
// the open port and the master on it, and the text of the last error. The
// C entry points (abi.cpp) check their arguments and forward here; tests
// build their own Library with a transport factory of their choice.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "hartlink/master.h"
#include "hartlink/port_names.h"
#include "hartlink/result.h"
#include "hartlink/transport.h"

namespace hartlink {

// The nine Configure values as settings (their meaning is documented in
// hartlink.h). InvalidArgument with the reason when one is out of range.
Result settingsFromConfigureValues(std::uint8_t pollingAddress, std::uint8_t v2, std::uint8_t v3,
                                   std::uint8_t v4, std::uint8_t v5, std::uint8_t v6,
                                   std::uint16_t v7, std::uint16_t v8, std::uint16_t v9,
                                   Settings* settings, std::string* error);

class Library {
  public:
    using TransportFactory =
        std::function<std::unique_ptr<Transport>(const std::string& name, std::string* error)>;

    explicit Library(TransportFactory factory = makeTransportForName);
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    Result configure(const Settings& settings);
    void setPortName(std::uint16_t number, const std::string& name);
    Result open(std::uint16_t number);
    void close();
    Result connect();
    void disconnect();
    // `request` holds at most 255 bytes (the caller checks).
    Result sendRequest(std::uint8_t command, const std::vector<std::uint8_t>& request,
                       Answer* answer);

    // See Transport::setWaitHook; kept for every port opened later.
    void setWaitHook(std::function<void()> hook, std::chrono::microseconds slice);
    // Every frame sent and received (see Master::setTrace); kept for every
    // port opened later.
    void setTrace(TraceFn trace);

    bool portOpen() const { return master_ != nullptr; }
    bool connected() const { return master_ != nullptr && master_->connected(); }
    const Settings& settings() const { return settings_; }
    Master* master() { return master_.get(); }

    // The text of the last error; see BaTinHrtCPr_GetLastErrorText.
    const std::string& lastError() const { return lastError_; }
    void setLastError(std::string text) { lastError_ = std::move(text); }

  private:
    Result fail(Result result, std::string text);
    Result finish(Result result);

    TransportFactory factory_;
    Settings settings_;
    PortNames names_;
    std::function<void()> waitHook_;
    std::chrono::microseconds waitSlice_{0};
    TraceFn trace_;
    std::unique_ptr<Transport> transport_;
    std::unique_ptr<Master> master_;
    std::string lastError_;
};

}  // namespace hartlink
