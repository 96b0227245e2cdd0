// The "Sim" port of a build without the device simulator: it exists, and
// says why it does not open.

#include "hartlink/transport.h"

namespace hartlink {

namespace {

class UnavailableSim final : public Transport {
  public:
    IoStatus open() override {
        return IoStatus::failure("The device simulator is not part of this build");
    }
    void close() override {}
    IoStatus write(const std::uint8_t*, std::size_t, bool) override { return open(); }
    IoStatus read(std::uint8_t*, std::size_t, std::chrono::microseconds,
                  std::size_t* count) override {
        *count = 0;
        return open();
    }
    void flushInput() override {}
    Clock::time_point now() override { return Clock::now(); }
    std::string describe() const override { return "Sim"; }
};

}  // namespace

std::unique_ptr<Transport> makeSimTransport(const std::string&) {
    return std::make_unique<UnavailableSim>();
}

std::uint64_t simCollisions(const std::string&) {
    return 0;
}

}  // namespace hartlink
