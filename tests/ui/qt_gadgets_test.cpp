// The Qt controls behind the Gadgets seam: values in and out, controls that
// do not exist, colours and tooltips, and Qt's signals as window events.

#include "ui/window/qt_gadgets.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStatusTipEvent>
#include <QTimer>

#include "ui/window/gadget_colours.h"
#include "ui/window/palette_colours.h"

namespace zh {
namespace {

class QtGadgetsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gadgets.addControl(kEdit, 1, edit);
        gadgets.addControl(kCombo, 1, combo);
        gadgets.addControl(kButton, 1, button);
        gadgets.addControl(kSlider, 2, slider);
    }

    static constexpr int kEdit = 64, kCombo = 62, kButton = 76, kSlider = 397, kMissing = 999;
    QWidget host;
    QLineEdit* edit = new QLineEdit(&host);
    QComboBox* combo = new QComboBox(&host);
    QPushButton* button = new QPushButton(QStringLiteral("On"), &host);
    QSlider* slider = new QSlider(Qt::Horizontal, &host);
    QtGadgets gadgets;
};

TEST_F(QtGadgetsTest, TextFieldAndComboBoxRoundTrips) {
    gadgets.setText(kEdit, QStringLiteral("12.5"));
    EXPECT_EQ(gadgets.text(kEdit), "12.5");

    gadgets.setItems(kCombo, {QStringLiteral("Off"), QStringLiteral("On")});
    EXPECT_EQ(gadgets.items(kCombo), QStringList({"Off", "On"}));
    gadgets.setState(kCombo, 1);
    EXPECT_EQ(gadgets.state(kCombo), 1);
    EXPECT_EQ(gadgets.text(kCombo), "On");
    gadgets.setText(kCombo, QStringLiteral("Off"));
    EXPECT_EQ(gadgets.state(kCombo), 0);
    gadgets.setState(kCombo, 7);  // no such item: nothing selected
    EXPECT_EQ(gadgets.state(kCombo), -1);

    // Programmatic changes are not the user's doing and make no events.
    EXPECT_EQ(gadgets.pendingEvents(), 0u);
}

TEST_F(QtGadgetsTest, SliderTakesAValueOutsideItsRange) {
    gadgets.setState(kSlider, 8192);
    EXPECT_EQ(gadgets.state(kSlider), 8192);
    EXPECT_EQ(gadgets.text(kSlider), "8192");
    EXPECT_EQ(gadgets.pendingEvents(), 0u);
}

TEST_F(QtGadgetsTest, MissingControlsAreSkippedAndRemembered) {
    gadgets.setText(kMissing, QStringLiteral("x"));
    gadgets.setState(kMissing, 3);
    gadgets.setItems(kMissing, {QStringLiteral("a")});
    gadgets.setColours(kMissing, rgb(1, 2, 3), -1);
    gadgets.setToolTip(kMissing, QStringLiteral("t"), QStringLiteral("x"));
    gadgets.setImage(kMissing, QStringLiteral("nothing.png"));
    gadgets.setFont(kMissing, QStringLiteral("Arial"), 8, false);
    gadgets.setHidden(kMissing, false);
    EXPECT_FALSE(gadgets.exists(kMissing));
    EXPECT_EQ(gadgets.text(kMissing), "");
    EXPECT_EQ(gadgets.state(kMissing), 0);
    EXPECT_TRUE(gadgets.items(kMissing).isEmpty());
    EXPECT_TRUE(gadgets.isHidden(kMissing));
    EXPECT_FALSE(gadgets.isEnabled(kMissing));
    EXPECT_TRUE(gadgets.geometry(kMissing).isNull());
    EXPECT_EQ(gadgets.missingControls(), QList<int>{kMissing});
}

TEST_F(QtGadgetsTest, ColoursAndTooltips) {
    gadgets.setColours(kEdit, rgb(255, 0, 0), rgb(0, 0, 255));
    EXPECT_EQ(edit->palette().color(QPalette::Text), QColor(255, 0, 0));
    EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(0, 0, 255));
    gadgets.setColours(kEdit, -1, rgb(1, 1, 1));
    EXPECT_EQ(edit->palette().color(QPalette::Text), host.palette().color(QPalette::Text));
    EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(1, 1, 1));
    gadgets.setColours(kEdit, -1, -1);
    EXPECT_EQ(edit->palette().color(QPalette::Base), host.palette().color(QPalette::Base));
    // A disabled control looks disabled, whatever colours its state gave it.
    gadgets.setColours(kEdit, rgb(255, 0, 0), rgb(255, 255, 255));
    gadgets.setEnabled(kEdit, false);
    EXPECT_EQ(edit->palette().color(QPalette::Text),
              host.palette().color(QPalette::Disabled, QPalette::Text));
    EXPECT_EQ(edit->palette().color(QPalette::Base),
              host.palette().color(QPalette::Disabled, QPalette::Base));
    gadgets.setEnabled(kEdit, true);
    EXPECT_EQ(edit->palette().color(QPalette::Text), QColor(255, 0, 0));

    gadgets.setToolTip(kEdit, QStringLiteral("Set point 1"),
                       QStringLiteral("Range: 0 ... 10\n<bar>"));
    EXPECT_EQ(edit->toolTip(), "<b>Set point 1</b><br>Range: 0 ... 10<br>&lt;bar&gt;");
    gadgets.setToolTip(kEdit, QString(), QStringLiteral("plain"));
    EXPECT_EQ(edit->toolTip(), "plain");

    // A disabled control says why it is off, after its own tooltip and in
    // the status line while pointed at; enabled it says nothing more.
    struct StatusLine : QObject {
        QString shown;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::StatusTip) shown = static_cast<QStatusTipEvent*>(e)->tip();
            return false;
        }
    } status;
    host.installEventFilter(&status);
    const QString why = QStringLiteral("Read or connect the module first");
    gadgets.setToolTip(kButton, QString(), QStringLiteral("Loop test"));
    gadgets.setEnabled(kButton, false);
    gadgets.setDisabledReason(kButton, why);
    EXPECT_EQ(gadgets.shownToolTip(kButton), "Loop test\n" + why);
    QEvent enter(QEvent::Enter), leave(QEvent::Leave);
    QApplication::sendEvent(button, &enter);
    EXPECT_EQ(status.shown, why);
    QApplication::sendEvent(button, &leave);
    EXPECT_EQ(status.shown, "");
    gadgets.setEnabled(kButton, true);
    EXPECT_EQ(gadgets.shownToolTip(kButton), "Loop test");
    QApplication::sendEvent(button, &enter);
    EXPECT_EQ(status.shown, "");
}

// On a dark desktop palette every state's colours stay readable on a dark
// field (the light palette shows them as given, above).
TEST_F(QtGadgetsTest, StateColoursKeepTheirContrastOnADarkPalette) {
    const QPalette light = QApplication::palette();
    QApplication::setPalette(QPalette(QColor(53, 53, 53)));
    for (int index : {0, 1, 2, 3, 4, 10, 15, 16, 17}) {
        const std::optional<GadColours> c = gadColours(index);
        ASSERT_TRUE(c.has_value()) << index;
        gadgets.setColours(kEdit, c->foreground, c->background);
        const QColor text = edit->palette().color(QPalette::Text);
        const QColor field = edit->palette().color(QPalette::Base);
        EXPECT_GE(contrastRatio(text, field), 4.5) << index;
        EXPECT_LT(field.lightness(), 100) << index;
    }
    QApplication::setPalette(light);
}

// A locked control shows its value and takes no input, whatever the rules
// enable: a text field ignores typing, a combo box stays disabled.
TEST_F(QtGadgetsTest, LockedControlsTakeNoInput) {
    bool locked = true;
    gadgets.inputLocked = [&](int gadget) { return locked && gadget != kButton; };
    gadgets.setText(kEdit, QStringLiteral("16"));
    gadgets.setEnabled(kEdit, true);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_2, Qt::NoModifier, QStringLiteral("2"));
    QApplication::sendEvent(edit, &key);
    EXPECT_EQ(edit->text(), "16");
    EXPECT_TRUE(edit->isEnabled());
    gadgets.setEnabled(kCombo, true);
    EXPECT_FALSE(combo->isEnabled());
    gadgets.setEnabled(kButton, true);
    EXPECT_TRUE(button->isEnabled());

    locked = false;
    gadgets.setEnabled(kEdit, true);
    gadgets.setEnabled(kCombo, true);
    QApplication::sendEvent(edit, &key);
    EXPECT_EQ(edit->text(), "162");
    EXPECT_TRUE(combo->isEnabled());
}

TEST_F(QtGadgetsTest, SignalsBecomeWindowEvents) {
    button->click();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_5, Qt::NoModifier, QStringLiteral("5"));
    QApplication::sendEvent(edit, &key);
    QFocusEvent focusOut(QEvent::FocusOut);
    QApplication::sendEvent(edit, &focusOut);
    gadgets.post(WindowEvent{EventSizeWindow, 1, -1, -1, -1});
    gadgets.post(WindowEvent{EventSizeWindow, 1, -1, -1, -1});  // kept as one
    gadgets.postMenuEvent(2093);

    const auto expectGadget = [&](int gadget, int code, int window) {
        const std::optional<WindowEvent> e = gadgets.waitEvent(0);
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->type, EventGadget);
        EXPECT_EQ(e->gadget, gadget);
        EXPECT_EQ(e->code, code);
        EXPECT_EQ(e->window, window);
    };
    expectGadget(kButton, GadgetSelect, 1);
    expectGadget(kEdit, GadgetTextChanged, 1);
    expectGadget(kEdit, GadgetFocusLost, 1);
    EXPECT_EQ(gadgets.waitEvent(-1)->type, EventSizeWindow);
    const std::optional<WindowEvent> menu = gadgets.waitEvent(-1);
    ASSERT_TRUE(menu.has_value());
    EXPECT_EQ(menu->type, EventMenu);
    EXPECT_EQ(menu->menu, 2093);
    EXPECT_EQ(edit->text(), "5");

    // Nothing more comes: the wait ends with its time-out.
    EXPECT_FALSE(gadgets.waitEvent(20).has_value());
}

TEST_F(QtGadgetsTest, AWaitEndsWhenAnEventArrives) {
    QTimer::singleShot(10, button, [this] { button->click(); });
    const std::optional<WindowEvent> e = gadgets.waitEvent(5000);
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->gadget, kButton);
}

}  // namespace
}  // namespace zh
