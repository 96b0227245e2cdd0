// The live display in the window: the Graph tab drawn when it comes into
// view and on every value while it is in view, never with GraphMode "OFF";
// the loop current in the status line while connected; test mode, fed by
// the "Test input" window without a word to the device.

#include <gtest/gtest.h>

#include "app_rig.h"
#include "ui/window/control_widgets.h"

namespace zh {
namespace {

TEST(GraphTab, DrawnInViewOnEveryValueAndNeverWithGraphModeOff) {
    for (const bool on : {false, true}) {
        SCOPED_TRACE(on ? "GraphMode=ON" : "GraphMode=OFF");
        AppRig rig("ZEL-HART", {{"GraphMode=OFF", on ? "GraphMode=ON" : "GraphMode=OFF"}});
        ASSERT_TRUE(rig.app->buildMainWindow(0));
        const auto image = [&](const char* name) {
            const auto* control =
                dynamic_cast<ImageControl*>(rig.gadgets.widget(rig.control(name)));
            return control ? control->pixmap() : QPixmap();
        };
        const auto picture = [&](const char* name) { return image(name).cacheKey(); };
        rig.app->command(menu::kConnect);
        ASSERT_TRUE(rig.program.state.DynamicDisplayOn);
        auto* panel = rig.window().panel();
        const qint64 beforeView = picture("Diagram1");
        panel->setCurrentWidget(rig.window().tabPage(3));
        const qint64 inView = picture("Diagram1");
        rig.app->refreshLiveValues();
        const qint64 polled = picture("Diagram1");
        EXPECT_TRUE(rig.window().statusText(3).endsWith(" [mA]"))
            << qPrintable(rig.window().statusText(3));
        panel->setCurrentIndex(0);
        rig.app->refreshLiveValues();
        if (on) {
            EXPECT_NE(inView, beforeView);
            EXPECT_NE(polled, inView);
            EXPECT_EQ(picture("Diagram1"), polled);  // out of view: not drawn
            EXPECT_FALSE(image("Diagram2").isNull());
        } else {
            for (const char* name : {"Diagram1", "Diagram2"})
                EXPECT_TRUE(image(name).isNull()) << name;
        }
        rig.app->command(menu::kDisconnect);
        EXPECT_EQ(rig.window().statusText(3), "");
        EXPECT_TRUE(rig.boxes.texts.isEmpty()) << qPrintable(rig.boxes.texts.join('|'));
    }
}

TEST(GraphTab, TestModeShowsWhatTheTestInputWindowSays) {
    AppRig rig("ZEL-HART", {{"TestMode=OFF", "TestMode=ON"}});
    const QString frames = rig.dir.filePath("frames.log");
    qputenv("HARTSIM_OPTIONS", ("presence=both,log=" + frames).toUtf8());
    ASSERT_TRUE(rig.app->buildMainWindow(0));
    rig.app->command(menu::kConnect);
    ASSERT_TRUE(rig.program.state.DynamicDisplayOn);
    const int input = rig.control("TstInput"), slider = rig.control("TstSlider");
    const auto shown = [&] { return rig.gadgets.text(boundControl(rig.field("Display"))); };
    // Typed: 6000 counts of 4000 .. 20000 is an eighth of the range.
    rig.gadgets.setText(input, "6000");
    rig.app->refreshLiveValues();
    EXPECT_EQ(rig.gadgets.state(slider), 6000);
    EXPECT_EQ(shown(), "2.000");  // of 0 .. 16 bar
    // Then the slider moved: it wins, and the text field follows it.
    rig.gadgets.setState(slider, 20000);
    rig.app->refreshLiveValues();
    EXPECT_EQ(rig.gadgets.text(input), "20000");
    EXPECT_EQ(shown(), "16.00");
    EXPECT_EQ(rig.field("ADactRaw").RawVal, "20000");
    rig.app->command(menu::kDisconnect);
    EXPECT_EQ(shown(), "");
    EXPECT_FALSE(QFile::exists(frames));  // the device never heard of it
    EXPECT_TRUE(rig.boxes.texts.isEmpty()) << qPrintable(rig.boxes.texts.join('|'));
}

}  // namespace
}  // namespace zh
