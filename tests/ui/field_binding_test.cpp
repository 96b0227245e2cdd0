// The window's side of the field table: labels, combobox items and
// tooltips filled from the fields, and the controls' places read back.

#include "ui/window/field_binding.h"

#include <gtest/gtest.h>

#include "model/device_model.h"
#include "model/field_definitions.h"
#include "support/test_program.h"
#include "ui/window/field_diagnostics.h"

namespace zh {
namespace {

using test::TestProgram;

class FieldBindingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        t.usePressureProfile();
        m.cal.Measurand = QStringLiteral("Pressure");
        m.hooks.bindFields = [this] { bindFieldControls(m, captions); };
    }
    FieldRecord& field(const char* name) { return m.fields.at(m.fields.find(QLatin1String(name))); }
    TestProgram t;
    DeviceModel m{t.program};
    FieldCaptions captions;
};

TEST_F(FieldBindingTest, TooltipsFromTheLanguageFileAndRanges) {
    t.writeFile("Language/English.ini",
                "[ToolTips]\nDamping=Damping|Filter time<br>in seconds\nSetPoint1=|whole text\n");
    // The window's list gives SetPoint1 and ResetPoint1 their labels (63,
    // 65); the labels of Damping, HartAddress and TimeUnit are missing.
    for (int g : {46, 64, 48, 53, 66}) t.gadgets.control(g);
    t.gadgets.control(63).text = QStringLiteral("Label text");
    t.gadgets.control(65).text = QStringLiteral("Reset label");
    beginFieldPass(m);
    defineField(m, true, "Damping", "Float", "1.0", "2.1;0.1;99.9", "", "built-in");
    defineField(m, true, "SetPoint1", "String", "", "", "");
    defineField(m, true, "HartAddress", "Number", "5", "2;0;15", "");
    defineField(m, true, "TimeUnit", "Number", "5", "6", "");
    defineField(m, true, "ResetPoint1", "String", "", "", "", "Built in tip");
    endFieldPass(m);
    EXPECT_EQ(t.gadgets.control(46).toolTipTitle, "Damping");
    EXPECT_EQ(t.gadgets.control(46).toolTip, "Filter time\nin seconds");
    EXPECT_EQ(t.gadgets.control(64).toolTipTitle, "Label text");
    EXPECT_EQ(t.gadgets.control(64).toolTip, "|whole text");
    EXPECT_EQ(t.gadgets.control(48).toolTip, "Range: 0 ... 15");
    EXPECT_EQ(t.gadgets.control(53).toolTip, "");
    EXPECT_EQ(t.gadgets.control(66).toolTipTitle, "Reset label");
    EXPECT_EQ(t.gadgets.control(66).toolTip, "Built in tip");
    EXPECT_EQ(captions.value("SetPoint1"), "Label text");
    EXPECT_EQ(captions.value("Damping"), "");
}

TEST_F(FieldBindingTest, ComboboxControlsGetTheirItemsAndSelection) {
    t.gadgets.control(260);
    t.gadgets.control(253);
    defineDataStructure(m, "[bar]", 0, -11);
    EXPECT_EQ(t.gadgets.items(260), QStringList({"Yes", "No"}));
    EXPECT_EQ(t.gadgets.state(260), 1);  // default 2 = "No"
    EXPECT_EQ(t.gadgets.state(253), 1);  // Zelmark=148 in this edition
}

TEST_F(FieldBindingTest, InspectorFindsTheFieldUnderThePoint) {
    t.gadgets.control(105).geometry = QRect(10, 10, 100, 20);
    t.gadgets.control(48).geometry = QRect(10, 40, 100, 20);
    beginFieldPass(m);
    defineField(m, true, "TagID", "String", "x", "", "");
    defineField(m, true, "HartAddress", "String", "y", "", "hidden;");
    endFieldPass(m);
    FieldInspector inspector;
    InspectorView view;
    view.gadgets = &t.gadgets;
    const QString hit = inspector.inspect(m, view, QPoint(50, 15));
    EXPECT_TRUE(hit.contains("\nName:TagID\n"));
    EXPECT_TRUE(hit.contains("\nContent:x\n"));
    EXPECT_EQ(inspector.inspect(m, view, QPoint(50, 45)), "");   // hidden fields are passed over
    EXPECT_EQ(inspector.inspect(m, view, QPoint(110, 15)), "");  // right edge is outside
}

}  // namespace
}  // namespace zh
