#include "field_entry_popup.h"

#include <QCursor>
#include <QPlainTextEdit>
#include <QTabWidget>

#include "control_registry.h"
#include "main_window.h"
#include "model/field_diagnostics.h"
#include "qt_gadgets.h"

namespace zh {

namespace {
constexpr int kPopupWidth = 400;
constexpr int kPopupHeight = 300;
}  // namespace

bool showFieldEntry(MainWindow& window, DeviceModel& model, QtGadgets& gadgets, FieldInspector& inspector) {
    // The inspector works in the window's design coordinates.
    const ScaledLayout& layout = window.scaledLayout();
    const QPoint mouse = window.canvas()->mapFromGlobal(QCursor::pos());
    const QPoint point(static_cast<int>(mouse.x() / (layout.scaleX() > 0 ? layout.scaleX() : 1.0)),
                       static_cast<int>(mouse.y() / (layout.scaleY() > 0 ? layout.scaleY() : 1.0)));
    InspectorView view;
    view.tabShown = [&window](int panel, int tab) {
        return panel == kMainPanel && window.panel() && window.panel()->currentWidget() == window.tabPage(tab);
    };
    view.panelOrigin = [](int panel) {
        const ControlInfo* info = findControl(panel);
        return info ? QPoint(info->x, info->y) : QPoint();
    };
    view.controlState = [&gadgets](int gadget) {
        return QStringLiteral("text=") + gadgets.text(gadget) + QStringLiteral(" state=") +
               QString::number(gadgets.state(gadget));
    };
    const QString report = inspector.inspect(model, view, point);
    if (report.isEmpty()) return false;

    auto* popup = new QPlainTextEdit(&window);
    popup->setWindowFlags(Qt::Popup);
    popup->setAttribute(Qt::WA_DeleteOnClose);
    popup->setReadOnly(true);
    popup->setPlainText(report);
    popup->setGeometry(QRect(QCursor::pos(), QSize(kPopupWidth, kPopupHeight)));
    popup->show();
    return true;
}

}  // namespace zh
