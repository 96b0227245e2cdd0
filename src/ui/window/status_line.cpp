#include "ui/window/status_line.h"

#include "app/gadgets.h"
#include "app/program.h"
#include "hart/port_entry.h"
#include "hart/response_codes.h"
#include "ui/window/field_controls.h"
#include "ui/window/program_images.h"
#include "ui/window/window_frame.h"

namespace zh {
namespace {

enum class Lamp { Off, Green, Red };

void setLamp(Program& p, const char* control, Lamp lamp) {
    const int n = controlNumber(QLatin1String(control));
    if (n < 0 || !p.gadgets.exists(n)) return;
    const ProgramImage image = lamp == Lamp::Green ? ProgramImage::LampGreen
                               : lamp == Lamp::Red ? ProgramImage::LampRed
                                                   : ProgramImage::LampOff;
    p.gadgets.setImage(n, programImageFile(p.state, image));
}

// " (device status: malfunction, ...)" in the language of the window; ""
// when the device flagged nothing or its status is not known.
QString deviceStatusLine(Program& p, int status) {
    const QStringList words = deviceStatusWords(status);
    if (words.isEmpty()) return QString();
    const QString section = QStringLiteral("Application");
    QStringList shown;
    for (const QString& word : words) shown << p.messages.lookupMessage(word, section);
    return QStringLiteral(" (") +
           p.messages.lookupMessage(QStringLiteral("device status"), section) +
           QStringLiteral(": ") + shown.join(QStringLiteral(", ")) + QLatin1Char(')');
}

}  // namespace

void updateStatusLine(Program& p, WindowFrame& frame, int moduleState,
                      const QString& connectionDetail, int deviceStatus) {
    AppState& s = p.state;
    Messages& msg = p.messages;

    QString port = s.ComPort;
    if (port.isEmpty())
        port = p.profile.readProfile(QStringLiteral("Serial_IO"), QStringLiteral("ComPort"),
                                     QStringLiteral("Com4"), s.ProfilePath);
    port = shownPortName(port);
    const bool online = s.ConnectionState == 1;
    frame.setStatusText(
        0, online ? port + QLatin1Char(' ') + msg.lookupMessage(QStringLiteral("Online")) +
                        QLatin1Char(' ') + connectionDetail
                  : port + QLatin1Char(' ') + msg.lookupMessage(QStringLiteral("Offline")));
    setLamp(p, "ImgOnline", online ? Lamp::Green : Lamp::Red);

    // -1 nothing loaded, 0 changed here, 1 as loaded; otherwise the change flag decides.
    const bool saved = s.DataTrigger == 1 || (s.DataTrigger != 0 && !s.DataChanged);
    if (s.DataTrigger == -1) {
        frame.setStatusText(1, QString());
        setLamp(p, "ImgStatusFile", Lamp::Off);
    } else {
        // The file texts are common texts.
        frame.setStatusText(1, msg.lookupMessage(saved ? QStringLiteral("File: updated")
                                                       : QStringLiteral("File: not updated"),
                                                 QStringLiteral("Common")));
        setLamp(p, "ImgStatusFile", saved ? Lamp::Green : Lamp::Red);
    }

    const bool current = moduleState != 0;
    frame.setStatusText(2, msg.lookupMessage(current ? QStringLiteral("Module: updated")
                                                     : QStringLiteral("Module: not updated"),
                                             QStringLiteral("Application")) +
                               deviceStatusLine(p, deviceStatus));
    setLamp(p, "ImgStatusModule", current ? Lamp::Green : Lamp::Red);
}

void updateLiveLamps(Program& p, int switch1, int switch2, bool onlineLit) {
    // Unknown (before the first value, after Disconnect) is dark; a closed
    // switch output green, an open one red.
    const auto lampOf = [](int state) {
        return state < 0 ? Lamp::Off : state == 1 ? Lamp::Green : Lamp::Red;
    };
    setLamp(p, "ImgLimit1", lampOf(switch1));
    setLamp(p, "ImgLimit2", lampOf(switch2));
    // The Online lamp blinks once per value received.
    if (p.state.ConnectionState == 1 && p.state.DynamicDisplayOn)
        setLamp(p, "ImgOnline", onlineLit ? Lamp::Green : Lamp::Off);
}

}  // namespace zh
