#pragma once
// The program's core: the HART session, the device model, the read and
// write sequences and the data session. main() builds it once and hands it
// to the window or to the batch commands, so both run the same code from
// the field table to the frames; neither wires a model of its own.

#include <QString>

#include "data_session.h"
#include "hart/hart_session.h"
#include "model/device_model.h"
#include "model/live_display.h"
#include "model/read_write_sequences.h"

namespace zh {

struct Program;
class LinkLibrary;
class ConnectionProbe;

struct DeviceCore {
    DeviceCore(Program& program, LinkLibrary& link, ConnectionProbe& probe);
    DeviceCore(const DeviceCore&) = delete;
    DeviceCore& operator=(const DeviceCore&) = delete;

    // The parts a sequence asks for by the profile's setting: Transmitter,
    // Display, or All (which, under "auto", the sequences narrow to what
    // the connected device has).
    Presence target() const;
    // Reads the device: all, the transmitter or the display by the profile.
    int read();
    // Writes the current data.
    int write(WriteScope scope);
    // The field table of the profile's first measurand, before any data.
    void defineFirstMeasurand();

    Program& program;
    LinkLibrary& link;  // for what talks to the line without a session (the address scan)
    HartSession session;
    DeviceModel model;
    DeviceSequences sequences;
    DataSession data;
    LiveDisplay live;
};

}  // namespace zh
