#include "ui/window/field_entry_popup.h"

#include <QApplication>
#include <QCursor>
#include <QDialogButtonBox>
#include <QEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "model/device_model.h"
#include "ui/window/field_controls.h"
#include "ui/window/field_diagnostics.h"
#include "ui/window/main_window.h"
#include "ui/window/qt_gadgets.h"

namespace zh {

namespace {
constexpr int kPopupWidth = 400;
constexpr int kPopupHeight = 300;

QString controlStateOf(const QtGadgets& gadgets, int gadget) {
    return QStringLiteral("text=") + gadgets.text(gadget) + QStringLiteral(" state=") +
           QString::number(gadgets.state(gadget));
}

// The report of the bound field under the mouse; "" when none is there.
QString fieldUnderMouse(MainWindow& window, DeviceModel& model, QtGadgets& gadgets,
                        FieldInspector& inspector) {
    // The inspector works in the window's design coordinates.
    const ScaledLayout& layout = window.scaledLayout();
    const QPoint mouse = window.canvas()->mapFromGlobal(QCursor::pos());
    const QPoint point(static_cast<int>(mouse.x() / (layout.scaleX() > 0 ? layout.scaleX() : 1.0)),
                       static_cast<int>(mouse.y() / (layout.scaleY() > 0 ? layout.scaleY() : 1.0)));
    InspectorView view;
    view.gadgets = &gadgets;
    view.tabShown = [&window](int panel, int tab) {
        return panel == kMainPanel && window.panel() &&
               window.panel()->currentWidget() == window.tabPage(tab);
    };
    view.panelOrigin = [](int panel) {
        const ControlInfo* info = findControl(panel);
        return info ? QPoint(info->x, info->y) : QPoint();
    };
    view.controlState = [&gadgets](int gadget) { return controlStateOf(gadgets, gadget); };
    return inspector.inspect(model, view, point);
}

// The report of the bound field that has the focus; "" when none has it.
// With the keyboard alone the mouse may be anywhere.
QString focusedField(DeviceModel& model, const QtGadgets& gadgets) {
    const int focused = gadgets.focusedGadget();
    const int index = focused > 0 ? recordOfControl(model.fields, focused) : -1;
    return index > 0 ? fieldReport(model, index, controlStateOf(gadgets, focused)) : QString();
}

// At the mouse, moved back onto the screen where it would stick out.
QRect placeAtMouse(const QWidget* window) {
    QRect place(QCursor::pos(), QSize(kPopupWidth, kPopupHeight));
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) screen = window->screen();
    if (!screen) return place;
    const QRect available = screen->availableGeometry();
    place.moveRight(std::min(place.right(), available.right()));
    place.moveBottom(std::min(place.bottom(), available.bottom()));
    place.moveLeft(std::max(place.left(), available.left()));
    place.moveTop(std::max(place.top(), available.top()));
    return place;
}

}  // namespace

FieldEntryPopup::FieldEntryPopup(QWidget* mainWindow, const QString& report)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("fieldEntry"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(report.section(QLatin1Char('\n'), 1, 1).section(QLatin1Char(':'), 1));

    text_ = new QPlainTextEdit(this);
    text_->setReadOnly(true);
    text_->setPlainText(report);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(text_);
    layout->addWidget(buttons);

    // Any click or key in the main window closes the entry, as a glance at
    // it is all it is for; the event still reaches the main window.
    qApp->installEventFilter(this);
}

QString FieldEntryPopup::report() const {
    return text_->toPlainText();
}

bool FieldEntryPopup::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() != this && widget->window() == parentWidget()) close();
    }
    return QDialog::eventFilter(watched, event);
}

bool showFieldEntry(MainWindow& window, DeviceModel& model, QtGadgets& gadgets,
                    FieldInspector& inspector) {
    QString report = fieldUnderMouse(window, model, gadgets, inspector);
    if (report.isEmpty()) report = focusedField(model, gadgets);
    if (report.isEmpty()) return false;

    // Only earlier pop-ups: a look by type would take every dialog, since
    // the class has no meta-object of its own.
    for (QDialog* dialog : window.findChildren<QDialog*>(QString(), Qt::FindDirectChildrenOnly))
        if (auto* earlier = dynamic_cast<FieldEntryPopup*>(dialog)) earlier->close();
    auto* popup = new FieldEntryPopup(&window, report);
    popup->setGeometry(placeAtMouse(&window));
    popup->show();
    popup->raise();
    popup->activateWindow();
    return true;
}

}  // namespace zh
