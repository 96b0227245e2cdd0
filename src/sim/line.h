#pragma once
// A HART loop with one or more devices on it, each at its own polling
// address: every frame on the line reaches every device, and the one it is
// addressed to answers. With one device the line is that device.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/simulator.h"
#include "sim/slave_framing.h"

namespace hartsim {

// Appends one frame (and the answer to it) to a frame log: "RX command=N
// (fate): FF ...", then "TX command=N: FF ...".
void appendFrameLog(const std::string& path, int command, Simulator::FrameFate fate,
                    const std::vector<std::uint8_t>& frame,
                    const std::vector<std::uint8_t>* answer);

struct LineDevice {
    DeviceConfig config;
    std::vector<Fault> faults;
};

// Parses the options of the devices on a line, separated by ';' (each as
// parseOptions reads them, e.g. "identity=hart7,address=1;identity=hart5,
// address=2"). The line takes realtime, turnaround, othermaster and log=
// from the first device; a later device keeps a state file only when it names its own;
// devices whose unique addresses would be equal get distinct device IDs.
// Nothing is changed on an error. Two devices at one polling address are
// an error.
bool parseLineOptions(const std::string& text, std::vector<LineDevice>* devices,
                      std::string* error);

class Line {
  public:
    explicit Line(const std::vector<LineDevice>& devices);

    // As Simulator::receive, for all devices: the answers of the devices
    // the frames were addressed to.
    std::vector<Reply> receive(const std::uint8_t* data, std::size_t size);
    // As receive, for a second master's request: the devices' injected
    // faults are kept for the master they are meant for.
    std::vector<Reply> receiveFromOtherMaster(const std::vector<std::uint8_t>& frame);
    void lineIdle();
    bool midFrame() const;
    // Complete frames seen on the line so far.
    std::uint64_t framesReceived() const;

    std::size_t size() const { return devices_.size(); }
    Simulator& device(std::size_t index) { return *devices_[index]; }
    const DeviceConfig& config() const { return devices_.front()->config(); }

    // The shortest burst period of the devices (0: none bursts) and the
    // burst frames of every device in burst mode, with the bit of the
    // primary or the secondary master.
    int burstMs() const;
    std::vector<Reply> burstFrames(bool primaryMaster = true);

    // Called once for every complete frame on the line.
    void setFrameObserver(Simulator::FrameObserver observer);

    // The line's frame log (log= of the first device), which from now on
    // the caller keeps: the line and its devices stop writing it.
    std::string handOverFrameLog();

    // Collisions on the line seen so far (counted by whoever watches the
    // timing of the frames, see loop_traffic.h).
    void countCollision() { ++collisions_; }
    std::uint64_t collisions() const { return collisions_; }

  private:
    std::vector<std::unique_ptr<Simulator>> devices_;
    MasterFrameParser parser_;
    std::string logPath_;
    bool logHere_ = true;
    Simulator::FrameObserver observer_;
    std::uint64_t frames_ = 0;
    std::uint64_t collisions_ = 0;
};

}  // namespace hartsim
