#include "ui/window/qt_gadgets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QEventLoop>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSlider>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <initializer_list>

#include "ui/window/control_widgets.h"
#include "ui/window/font_fallback.h"
#include "ui/window/palette_colours.h"
#include "ui/window/scaled_layout.h"

namespace zh {
namespace {

QColor colourOf(int c) {
    return QColor(redOf(c), greenOf(c), blueOf(c));
}

// A combo box or a check box has no read-only state of its own: it refuses
// input by being disabled. (Labels and pictures take none anyway.)
bool lockedByDisabling(const QWidget* w) {
    return qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractButton*>(w);
}

// Sets the value of a program-driven change without turning it into an event.
class QuietScope {
  public:
    explicit QuietScope(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
    ~QuietScope() { flag_ = previous_; }

  private:
    bool& flag_;
    bool previous_;
};

bool isCommand(const WindowEvent& e) {
    return e.type == EventMenu || (e.type == EventGadget && e.code == GadgetSelect);
}

}  // namespace

QtGadgets::~QtGadgets() {
    showBusy(false);
}

void QtGadgets::addControl(int number, int window, QWidget* widget, ScaledLayout* layout) {
    if (!widget) return;
    controls_.insert(number, Control{widget, window, layout});
    numbers_.insert(widget, number);
    missing_.removeAll(number);
    connectEvents(number, window, widget);
}

void QtGadgets::addWindow(int window, QWidget* widget) {
    windows_.insert(window, widget);
}

QWidget* QtGadgets::widget(int number) const {
    const auto it = controls_.constFind(number);
    return it == controls_.constEnd() ? nullptr : it->widget.data();
}

void QtGadgets::setStatusProgressBar(QProgressBar* bar) {
    progressBar_ = bar;
    setStatusProgress(progress_);
}

void QtGadgets::connectEvents(int number, int window, QWidget* widget) {
    widget->installEventFilter(this);
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        connect(button, &QAbstractButton::clicked, this,
                [=] { postGadget(window, number, GadgetSelect); });
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        connect(edit, &QLineEdit::textEdited, this,
                [=] { postGadget(window, number, GadgetTextChanged); });
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        connect(combo, &QComboBox::activated, this,
                [=] { postGadget(window, number, GadgetSelect); });
    } else if (auto* slider = qobject_cast<QSlider*>(widget)) {
        connect(slider, &QSlider::valueChanged, this, [=] {
            if (!quiet_) postGadget(window, number, GadgetSelect);
        });
    } else if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
        connect(tabs, &QTabWidget::tabBarClicked, this,
                [=] { postGadget(window, number, GadgetSelect); });
    }
}

bool QtGadgets::eventFilter(QObject* watched, QEvent* event) {
    const auto it = numbers_.constFind(watched);
    if (it == numbers_.constEnd()) return QObject::eventFilter(watched, event);
    auto* widget = static_cast<QWidget*>(watched);
    switch (event->type()) {
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            postGadget(controls_[*it].window, *it,
                       event->type() == QEvent::FocusIn ? GadgetFocusGained : GadgetFocusLost);
            break;
        // A disabled control says why it is off: in its tooltip, and in the
        // status line while the mouse is over it.
        case QEvent::ToolTip:
            if (isEnabled(*it) || !reasons_.contains(*it)) break;
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), shownToolTip(*it),
                               widget);
            return true;
        case QEvent::Enter:
        case QEvent::Leave: {
            const bool entered = event->type() == QEvent::Enter;
            const QString why = entered && !isEnabled(*it) ? reasons_.value(*it) : QString();
            if (why.isEmpty() && statusFrom_ != *it) break;
            statusFrom_ = why.isEmpty() ? -1 : *it;
            QStatusTipEvent tip(why);
            QCoreApplication::sendEvent(widget, &tip);
            break;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

void QtGadgets::postGadget(int window, int number, int code) {
    post(WindowEvent{EventGadget, window, number, -1, code});
}

void QtGadgets::post(const WindowEvent& event) {
    const bool repeatedSize = event.type == EventSizeWindow && !events_.empty() &&
                              events_.back().type == EventSizeWindow &&
                              events_.back().window == event.window;
    if (!repeatedSize) events_.push_back(event);
    if (listening_ == 0 && isCommand(event)) showBusy(true);
    if (waiting_) waiting_->quit();
}

void QtGadgets::clearEvents() {
    events_.clear();
    showBusy(false);
}

void QtGadgets::showBusy(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
}

void QtGadgets::postMenuEvent(int menuId) {
    post(WindowEvent{EventMenu, 1, -1, menuId, -1});
}

std::optional<WindowEvent> QtGadgets::waitEvent(int timeoutMs) {
    ++listening_;
    if (events_.empty()) {
        if (timeoutMs == 0) {
            QCoreApplication::processEvents();
        } else {
            QEventLoop loop;
            QTimer timer;
            if (timeoutMs > 0) {
                timer.setSingleShot(true);
                connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
                timer.start(timeoutMs);
            }
            // Waits may nest (a prompt inside a command); the newest is woken.
            QEventLoop* outer = waiting_;
            waiting_ = &loop;
            loop.exec();
            waiting_ = outer;
        }
    }
    --listening_;
    if (events_.empty()) return std::nullopt;
    const WindowEvent e = events_.front();
    events_.pop_front();
    // The command taken shows its own progress from here on.
    if (std::none_of(events_.begin(), events_.end(), isCommand)) showBusy(false);
    return e;
}

const QtGadgets::Control* QtGadgets::find(int gadget) const {
    const auto it = controls_.constFind(gadget);
    if (it != controls_.constEnd() && it->widget) return &*it;
    if (!missing_.contains(gadget)) missing_.append(gadget);
    return nullptr;
}

QWidget* QtGadgets::at(int gadget) const {
    const Control* c = find(gadget);
    return c ? c->widget.data() : nullptr;
}

bool QtGadgets::exists(int gadget) const {
    return find(gadget) != nullptr;
}

QString QtGadgets::text(int gadget) const {
    QWidget* w = at(gadget);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
    if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->currentText();
    if (auto* frame = qobject_cast<QGroupBox*>(w)) return frame->title();
    if (auto* view = qobject_cast<QTextEdit*>(w)) return view->toPlainText();
    if (auto* slider = qobject_cast<QSlider*>(w)) return QString::number(slider->value());
    if (auto* tabs = qobject_cast<QTabWidget*>(w)) return tabs->tabText(tabs->currentIndex());
    return QString();
}

void QtGadgets::setText(int gadget, const QString& text) {
    QWidget* w = at(gadget);
    QuietScope quiet(quiet_);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        const int index = combo->findText(text);
        if (index >= 0 || !combo->isEditable()) {
            combo->setCurrentIndex(index);
        } else {
            combo->setEditText(text);
        }
    } else if (auto* frame = qobject_cast<QGroupBox*>(w)) {
        frame->setTitle(text);
    } else if (auto* view = qobject_cast<QTextEdit*>(w)) {
        view->setPlainText(text);
    } else if (qobject_cast<QSlider*>(w)) {
        bool ok = false;
        const int value = text.trimmed().toInt(&ok);
        if (ok) setState(gadget, value);
    }
}

int QtGadgets::state(int gadget) const {
    QWidget* w = at(gadget);
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->isChecked() ? 1 : 0;
    if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->currentIndex();
    if (auto* slider = qobject_cast<QSlider*>(w)) return slider->value();
    if (auto* tabs = qobject_cast<QTabWidget*>(w)) return tabs->currentIndex();
    return 0;
}

void QtGadgets::setState(int gadget, int state) {
    QWidget* w = at(gadget);
    QuietScope quiet(quiet_);
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        if (button->isCheckable()) button->setChecked(state != 0);
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        combo->setCurrentIndex(state >= 0 && state < combo->count() ? state : -1);
    } else if (auto* slider = qobject_cast<QSlider*>(w)) {
        // A value the range does not hold would be silently clamped and read
        // back wrong; the range grows instead.
        if (state < slider->minimum()) slider->setMinimum(state);
        if (state > slider->maximum()) slider->setMaximum(state);
        slider->setValue(state);
    } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
        tabs->setCurrentIndex(state);
    }
}

QStringList QtGadgets::items(int gadget) const {
    QStringList out;
    QWidget* w = at(gadget);
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        for (int i = 0; i < combo->count(); ++i) out << combo->itemText(i);
    } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
        for (int i = 0; i < tabs->count(); ++i) out << tabs->tabText(i);
    }
    return out;
}

void QtGadgets::setItems(int gadget, const QStringList& items) {
    QWidget* w = at(gadget);
    QuietScope quiet(quiet_);
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        combo->clear();
        combo->addItems(items);
    } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
        for (int i = 0; i < tabs->count() && i < items.size(); ++i)
            tabs->setTabText(i, items.at(i));
    }
}

bool QtGadgets::isEnabled(int gadget) const {
    QWidget* w = at(gadget);
    return w && !w->testAttribute(Qt::WA_ForceDisabled);
}

void QtGadgets::setEnabled(int gadget, bool enabled) {
    QWidget* w = at(gadget);
    if (!w) return;
    const bool locked = inputLocked && inputLocked(gadget);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->setReadOnly(locked);
    w->setEnabled(enabled && !(locked && lockedByDisabling(w)));
}

bool QtGadgets::isHidden(int gadget) const {
    QWidget* w = at(gadget);
    return !w || w->isHidden();
}

void QtGadgets::setHidden(int gadget, bool hidden) {
    if (QWidget* w = at(gadget)) w->setHidden(hidden);
}

void QtGadgets::setColours(int gadget, int foreground, int background) {
    QWidget* w = at(gadget);
    if (!w) return;
    // Only the roles set here are resolved; every other colour, and a colour
    // given as -1, comes from the style again. The colours are those of a
    // control that can be used: a disabled one keeps the style's disabled
    // look, so that it never looks editable.
    QPalette p;
    const auto paint = [&p](std::initializer_list<QPalette::ColorRole> roles,
                            const QColor& colour) {
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
            for (QPalette::ColorRole role : roles) p.setColor(group, role, colour);
    };
    // On a dark desktop the state colours are shown in dark-palette variants.
    const QPalette desktop = QApplication::palette();
    if (foreground != -1)
        paint({QPalette::WindowText, QPalette::Text, QPalette::ButtonText},
              shownColour(colourOf(foreground), true, desktop));
    if (background != -1)
        paint({QPalette::Window, QPalette::Base, QPalette::Button},
              shownColour(colourOf(background), false, desktop));
    w->setPalette(p);
    // Labels and pictures draw no background of their own.
    const bool ownBackground = qobject_cast<QLabel*>(w) || dynamic_cast<ImageControl*>(w);
    if (ownBackground) w->setAutoFillBackground(background != -1);
}

void QtGadgets::setFocus(int gadget) {
    if (QWidget* w = at(gadget)) w->setFocus(Qt::OtherFocusReason);
}

int QtGadgets::focusedGadget() const {
    QWidget* focus = QApplication::focusWidget();
    if (!focus) {
        if (QWidget* main = windows_.value(1)) focus = main->focusWidget();
    }
    for (QWidget* w = focus; w; w = w->parentWidget()) {
        const auto it = numbers_.constFind(w);
        if (it != numbers_.constEnd()) return *it;
    }
    return -1;
}

void QtGadgets::setToolTip(int gadget, const QString& title, const QString& text) {
    QWidget* w = at(gadget);
    if (!w) return;
    if (title.isEmpty()) {
        w->setToolTip(text);
        return;
    }
    const auto html = [](const QString& s) {
        return s.toHtmlEscaped().replace(QLatin1Char('\n'), QLatin1String("<br>"));
    };
    w->setToolTip(QStringLiteral("<b>") + html(title) + QStringLiteral("</b><br>") + html(text));
}

void QtGadgets::setDisabledReason(int gadget, const QString& reason) {
    if (!at(gadget)) return;
    if (reason.isEmpty()) {
        reasons_.remove(gadget);
    } else {
        reasons_.insert(gadget, reason);
    }
}

QString QtGadgets::disabledReason(int gadget) const {
    return reasons_.value(gadget);
}

QString QtGadgets::shownToolTip(int gadget) const {
    const QWidget* w = at(gadget);
    if (!w) return QString();
    const QString own = w->toolTip();
    const QString why = isEnabled(gadget) ? QString() : reasons_.value(gadget);
    if (why.isEmpty()) return own;
    if (own.isEmpty()) return why;
    return Qt::mightBeRichText(own) ? own + QStringLiteral("<br>") + why.toHtmlEscaped()
                                    : own + QLatin1Char('\n') + why;
}

QRect QtGadgets::geometry(int gadget) const {
    const Control* c = find(gadget);
    if (!c) return QRect();
    if (c->layout && c->layout->contains(c->widget)) return c->layout->designRect(c->widget);
    return c->widget->geometry();
}

void QtGadgets::setImage(int gadget, const QString& file) {
    if (!at(gadget)) return;
    // A missing or unreadable file leaves the control empty.
    setPixmap(gadget, file.isEmpty() ? QPixmap() : QPixmap(file));
}

void QtGadgets::setPixmap(int gadget, const QPixmap& pixmap) {
    QWidget* w = at(gadget);
    if (auto* image = dynamic_cast<ImageControl*>(w)) {
        image->setPixmap(pixmap);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setIcon(QIcon(pixmap));
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setPixmap(pixmap);
    }
}

void QtGadgets::setFont(int gadget, const QString& family, int size, bool bold) {
    const Control* c = find(gadget);
    if (!c) return;
    const QFont f = programFont(family, size, bold);
    if (c->layout && c->layout->contains(c->widget)) {
        c->layout->setDesignFont(c->widget, f);
    } else {
        c->widget->setFont(f);
    }
}

void QtGadgets::setWindowEnabled(int window, bool enabled) {
    if (QWidget* w = windows_.value(window)) w->setEnabled(enabled);
}

void QtGadgets::setStatusProgress(int percent) {
    progress_ = percent;
    if (!progressBar_) return;
    progressBar_->setValue(std::clamp(percent, 0, 100));
    progressBar_->setVisible(percent > 0);
}

}  // namespace zh
