#include "device_core.h"

#include "app/presence.h"
#include "app/program.h"
#include "hart/link_library.h"
#include "model/field_definitions.h"

namespace zh {

DeviceCore::DeviceCore(Program& p, LinkLibrary& link, ConnectionProbe& probe)
    : program(p),
      link(link),
      session(p, link, probe),
      model(p),
      sequences(model, session, link),
      data(model),
      live(model, session, sequences) {
    data.device.write = [this](WriteScope scope) { return write(scope) == 0; };
    data.device.testConnection = [this] {
        const bool answered = session.connectDevice() == 1;
        if (answered) session.disconnectDevice();
        program.state.ConnectionState = 0;
        // The port is closed again: whoever connects next finds out anew
        // which parts answer (another device may be on the line by then).
        session.LinkOpen = 0;
        return answered;
    };
    sequences.hooks.setModuleState = [this](int state) { data.file.moduleState = state; };
    // A read keeps the read-out as the module shows it, with its decimal
    // point, so a data file saves what the window showed.
    sequences.hooks.showReadOut = [this] { live.showLiveBlock(); };
    // The program outlives this core and the link; the frame monitor asks it.
    Program* const whole = &p;
    link.setFrameMonitor([whole] { return whole->state.FrameMonitor; });
}

Presence DeviceCore::target() const {
    const Presence asked = parsePresence(program.state.TransmitterDisplay.toLower());
    return asked == Presence::Transmitter || asked == Presence::Display ? asked : Presence::All;
}

int DeviceCore::read() {
    return sequences.readDevice(target());
}

int DeviceCore::write(WriteScope scope) {
    return sequences.writeDevice(target(), scope);
}

void DeviceCore::defineFirstMeasurand() {
    const AppState& s = program.state;
    if (!s.MeasurandList.empty()) model.cal.Measurand = s.MeasurandList.front().Name;
    defineDataStructure(
        model, s.MeasurandList.empty() ? QStringLiteral("[-]") : s.MeasurandList.front().BaseUnit,
        0, -11);
}

}  // namespace zh
