// The Graph tab while the live display runs: drawn when it comes into
// view and on every value while it is in view, never with GraphMode "OFF";
// the loop current in the status line while connected.

#include "app_rig.h"
#include "ui/control_widgets.h"

#include <gtest/gtest.h>

namespace zh {
namespace {

TEST(GraphTab, DrawnInViewOnEveryValueAndNeverWithGraphModeOff) {
    for (const bool on : {false, true}) {
        SCOPED_TRACE(on ? "GraphMode=ON" : "GraphMode=OFF");
        AppRig rig("ZEL-HART", {{"GraphMode=OFF", on ? "GraphMode=ON" : "GraphMode=OFF"}});
        ASSERT_TRUE(rig.app->VANTOMain(0));
        const auto image = [&](const char* name) {
            const auto* control = dynamic_cast<ImageControl*>(rig.gadgets.widget(rig.control(name)));
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
        EXPECT_TRUE(rig.window().statusText(3).endsWith(" [mA]")) << qPrintable(rig.window().statusText(3));
        panel->setCurrentIndex(0);
        rig.app->refreshLiveValues();
        if (on) {
            EXPECT_NE(inView, beforeView);
            EXPECT_NE(polled, inView);
            EXPECT_EQ(picture("Diagram1"), polled);  // out of view: not drawn
            EXPECT_FALSE(image("Diagram2").isNull());
        } else {
            for (const char* name : {"Diagram1", "Diagram2"}) EXPECT_TRUE(image(name).isNull()) << name;
        }
        rig.app->command(menu::kDisconnect);
        EXPECT_EQ(rig.window().statusText(3), "");
        EXPECT_TRUE(rig.boxes.texts.isEmpty()) << qPrintable(rig.boxes.texts.join('|'));
    }
}

}  // namespace
}  // namespace zh
