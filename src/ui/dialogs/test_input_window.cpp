#include "ui/dialogs/test_input_window.h"

#include <QCloseEvent>

#include "ui/window/control_widgets.h"
#include "ui/window/field_controls.h"
#include "ui/window/qt_gadgets.h"

namespace zh {

TestInputWindow::TestInputWindow(QWidget* owner, const QString& title, const QFont& font,
                                 QtGadgets& gadgets)
    : QWidget(owner, Qt::Tool), gadgets_(gadgets) {
    setWindowTitle(title);
    setFont(font);
    setGeometry(724, 33, 500, 111);
    setFixedSize(500, 111);
    for (const ControlInfo* c = controlsBegin(); c != controlsEnd(); ++c) {
        if (c->window != kTestInputWindow) continue;
        QWidget* w = createControlWidget(*c, QString(), this);
        w->setGeometry(c->x, c->y, c->width, c->height);
        gadgets.addControl(c->number, kTestInputWindow, w);
    }
    gadgets.addWindow(kTestInputWindow, this);
    // A converter value to start from, until the live display sets the
    // slider to the converter's limits.
    const int start = 8192;
    gadgets.setState(controlNumber(QStringLiteral("TstSlider")), start);
    gadgets.setText(controlNumber(QStringLiteral("TstInput")), QString::number(start));
    hide();
}

void TestInputWindow::closeEvent(QCloseEvent* event) {
    // The window is only put away; the program decides what closing means.
    event->ignore();
    hide();
    gadgets_.post(WindowEvent{EventCloseWindow, kTestInputWindow, -1, -1, -1});
}

}  // namespace zh
