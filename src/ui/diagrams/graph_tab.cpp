#include "ui/diagrams/graph_tab.h"

#include <QPixmap>

#include "app/dialogs.h"
#include "app/program.h"
#include "model/device_model.h"
#include "model/live_display.h"
#include "ui/diagrams/display_diagram.h"
#include "ui/diagrams/transmitter_diagram.h"
#include "ui/window/field_controls.h"
#include "ui/window/qt_gadgets.h"

namespace zh {

GraphTab::GraphTab(Program& program, DeviceModel& model, QtGadgets& gadgets, const LiveState& live)
    : p_(program), m_(model), gadgets_(gadgets), live_(live) {}

void GraphTab::redraw(Presence configuration) {
    const int display = controlNumber(QStringLiteral("Diagram1"));
    const int transmitter = controlNumber(QStringLiteral("Diagram2"));
    const bool withDisplay = configuration != Presence::Transmitter;
    const bool withTransmitter = configuration != Presence::Display;
    if (gadgets_.exists(display)) {
        if (withDisplay) {
            const DisplayDiagramValues v = displayDiagramValues(m_.fields, live_.ActADvalue);
            show(display, 0, drawDisplayGraph(v, gadgets_.geometry(display).size()));
        } else {
            gadgets_.setPixmap(display, QPixmap());
        }
    }
    if (gadgets_.exists(transmitter)) {
        if (withTransmitter) {
            const TransmitterDiagramValues v = transmitterDiagramValues(m_.fields, live_);
            p_.log.debugLog(QStringLiteral("Ilow=") + QString::number(v.currentLow, 'f', 2) +
                                QStringLiteral(" Ihigh=") + QString::number(v.currentHigh, 'f', 2),
                            6);
            show(transmitter, 1, drawTransmitterGraph(v, gadgets_.geometry(transmitter).size()));
        } else {
            gadgets_.setPixmap(transmitter, QPixmap());
        }
    }
}

void GraphTab::show(int control, int which, const Diagram& d) {
    p_.log.debugLog(QStringLiteral(">>> DrawDiagram(GW=") + QString::number(d.image.width()) +
                        QStringLiteral(", GH=") + QString::number(d.image.height()) +
                        QLatin1Char(')'),
                    6);
    if (!d.image.isNull()) {
        gadgets_.setPixmap(control, QPixmap::fromImage(d.image));
        failed_[which] = false;
        return;
    }
    // Told once, not on every live value while the control stays too small.
    if (failed_[which]) return;
    failed_[which] = true;
    const QSize size = gadgets_.geometry(control).size();
    p_.log.debugLog(QStringLiteral("!!! DrawDiagram: gw, gh, iw, ih = ") +
                        QString::number(size.width()) + QStringLiteral(", ") +
                        QString::number(size.height()) + QStringLiteral(", ") +
                        QString::number(d.image.width()) + QStringLiteral(", ") +
                        QString::number(d.image.height()),
                    1);
    p_.messages.showMessageBox(p_.state.WindowTitle, d.failure, mb::Ok | mb::IconError);
}

}  // namespace zh
