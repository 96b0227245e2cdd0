// The main window as built from the registry: every control where it was
// designed, nothing cut off, the status area's fixed looks, and scaling that
// survives a tiny window.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTabWidget>

#include "app/gadgets.h"
#include "ui/window/control_widgets.h"
#include "ui/window/field_controls.h"
#include "ui/window/font_fallback.h"
#include "window_rig.h"

namespace zh {
namespace {

QRect designRect(const ControlInfo& c) {
    return QRect(c.x, c.y, c.width, c.height);
}

TEST(MainWindow, ControlsSitWhereDesignedAndShowTheirCaptionsWhole) {
    test::WindowRig rig;
    MainWindow& w = rig.build();
    w.show();
    QApplication::processEvents();

    EXPECT_EQ(w.canvas()->size(), QSize(kDesignWidth, kDesignHeight));
    EXPECT_EQ(w.pos(), QPoint(95, 96));
    ASSERT_EQ(w.panel()->count(), kTabCount);
    EXPECT_EQ(w.panel()->tabText(0), "Base");
    EXPECT_EQ(w.panel()->tabText(4), "Diagnostics");

    for (const ControlInfo* c = controlsBegin(); c != controlsEnd(); ++c) {
        if (c->window != kMainWindow) continue;
        QWidget* widget = rig.gadgets.widget(c->number);
        ASSERT_NE(widget, nullptr) << c->name;
        EXPECT_EQ(widget->geometry(), designRect(*c)) << c->name;
        EXPECT_EQ(rig.gadgets.geometry(c->number), designRect(*c)) << c->name;
        EXPECT_EQ(widget->parentWidget(), c->tab >= 0 ? w.tabPage(c->tab) : w.canvas()) << c->name;
        // Only the current page has been laid out; all pages share its size.
        const QRect area = c->tab >= 0 ? w.tabPage(0)->rect() : w.canvas()->rect();
        EXPECT_TRUE(area.contains(widget->geometry())) << c->name;

        const QString text = rig.gadgets.text(c->number);
        const int room = c->kind == ControlKind::Button  ? c->width - 6
                         : c->kind == ControlKind::Frame ? c->width - 16
                                                         : c->width;
        if (c->kind == ControlKind::Text || c->kind == ControlKind::Button ||
            c->kind == ControlKind::Frame) {
            EXPECT_LE(QFontMetrics(widget->font()).horizontalAdvance(text), room)
                << c->name << " cuts \"" << qPrintable(text) << '"';
        }
    }

    // The test-input window and its two controls.
    QWidget* test = w.testInputWindow();
    EXPECT_TRUE(test->isHidden());
    EXPECT_EQ(test->geometry(), QRect(724, 33, 500, 111));
    EXPECT_EQ(test->windowTitle(), "Test input");
    EXPECT_EQ(rig.gadgets.widget(397)->geometry(), QRect(15, 35, 400, 30));
    EXPECT_EQ(rig.control("TstInput")->geometry(), QRect(440, 48, 40, 20));
    EXPECT_EQ(w.statusBar()->findChildren<QLabel*>().size(), 4);
}

TEST(MainWindow, StatusAreaLooks) {
    test::WindowRig rig;
    QImage red(20, 20, QImage::Format_RGB32);
    red.fill(Qt::red);
    QDir().mkpath(rig.t.path(QStringLiteral("Images")));
    ASSERT_TRUE(red.save(rig.t.path(QStringLiteral("Images/lamp_red.png"))));
    rig.build();
    auto* readOut = qobject_cast<QLabel*>(rig.control("FldDisplay"));
    ASSERT_NE(readOut, nullptr);
    EXPECT_EQ(readOut->alignment(), Qt::AlignCenter);
    EXPECT_EQ(readOut->frameShape(), QFrame::Box);
    EXPECT_EQ(readOut->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    EXPECT_EQ(readOut->palette().color(QPalette::Window), QColor(1, 1, 1));
    EXPECT_EQ(readOut->font().family(), availableFontFamily(QStringLiteral("Arial")));
    EXPECT_EQ(readOut->font().pointSizeF(), 20.0);
    EXPECT_EQ(rig.control("CmbOutFunc2")->font().family(),
              availableFontFamily(QStringLiteral("Arial")));
    // Where the Windows fonts are missing, the Liberation fonts stand in.
    if (!QFontDatabase::families().contains(QStringLiteral("MS Sans Serif"))) {
        EXPECT_EQ(rig.control("DscAddUnit")->font().family(), "Liberation Sans");
    }
    // The lamps show the program's images; one that is missing leaves its lamp empty.
    EXPECT_EQ(dynamic_cast<ImageControl*>(rig.control("ImageLEDred"))->pixmap().size(),
              QSize(20, 20));
    EXPECT_TRUE(dynamic_cast<ImageControl*>(rig.control("ImageLEDgreen"))->pixmap().isNull());
}

TEST(MainWindow, ATinyWindowScalesDownAndComesBackAsDesigned) {
    test::WindowRig rig;
    MainWindow& w = rig.build();
    w.show();
    QApplication::processEvents();
    const QSize designed = w.size();
    QWidget* field = rig.control("FldSetPoint1");
    const QRect before = field->geometry();
    const qreal fontBefore = field->font().pointSizeF();

    // Smaller than the frame of menus and bars: nothing to lay out, nothing breaks.
    w.resize(1, 1);
    QApplication::processEvents();
    w.resize(80, 90);
    QApplication::processEvents();
    EXPECT_LT(w.canvas()->width(), kDesignWidth / 4);
    EXPECT_LT(field->width(), before.width());
    EXPECT_LT(w.panel()->width(), 1010 / 4);
    EXPECT_GT(field->font().pointSizeF(), 0.0);

    w.resize(designed * 2);
    QApplication::processEvents();
    EXPECT_NEAR(field->width(), before.width() * 2, 2);
    EXPECT_GT(field->font().pointSizeF(), fontBefore);

    w.resize(designed);
    QApplication::processEvents();
    EXPECT_EQ(w.canvas()->size(), QSize(kDesignWidth, kDesignHeight));
    for (const ControlInfo* c = controlsBegin(); c != controlsEnd(); ++c) {
        if (c->window == kMainWindow) {
            EXPECT_EQ(rig.gadgets.widget(c->number)->geometry(), designRect(*c)) << c->name;
        }
    }
    EXPECT_EQ(field->font().pointSizeF(), fontBefore);
    // A caption that grew while the window was open takes the room beside it at the next resize.
    QWidget* unit = rig.control("UnitHiTrailing");
    for (const char* text : {"bar", "mbar/min"}) {
        rig.gadgets.setText(controlNumber(QStringLiteral("UnitHiTrailing")), QLatin1String(text));
        w.resize(w.size() + QSize(0, 10));
        QApplication::processEvents();
    }
    EXPECT_GT(unit->width(), 32);
    // The program saw the window change its size.
    bool sized = false;
    while (const std::optional<WindowEvent> e = rig.gadgets.waitEvent(0))
        sized |= e->type == EventSizeWindow;
    EXPECT_TRUE(sized);
}

TEST(MainWindow, RemovedTabsKeepTheirControls) {
    test::WindowRig rig;
    MainWindow& w = rig.build();
    w.removePanelTab(kMainPanel, 1);
    w.removePanelTab(kMainPanel, 1);  // already gone
    w.removePanelTab(kMainPanel, 3);
    w.removePanelTab(7, 0);  // no such panel
    EXPECT_EQ(rig.gadgets.items(kMainPanel), QStringList({"Base", "Transmitter", "Diagnostics"}));
    const int admin = controlNumber(QStringLiteral("FldUpperRangeVal"));
    rig.gadgets.setText(admin, QStringLiteral("16.0"));
    EXPECT_EQ(rig.gadgets.text(admin), "16.0");
    EXPECT_EQ(rig.gadgets.widget(admin)->parentWidget(), w.tabPage(1));
    w.removePanelTab(kMainPanel, 4);
    EXPECT_EQ(w.panel()->indexOf(w.tabPage(2)), 1);
}

TEST(MainWindow, CloseBoxAsksTheProgramFirst) {
    test::WindowRig rig;
    MainWindow w(rig.t.program, rig.gadgets);
    w.show();
    QApplication::processEvents();
    rig.gadgets.clearEvents();
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    const std::optional<WindowEvent> e = rig.gadgets.waitEvent(0);
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->type, EventCloseWindow);
    EXPECT_EQ(e->window, kMainWindow);
    w.allowClose();
    EXPECT_TRUE(w.close());
}

}  // namespace
}  // namespace zh
