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
                "[ToolTips]\nTitled=Damping|Filter time<br>in seconds\nSetPoint1=|whole text\n");
    // SetPoint1 and ResetPoint1 take their labels (63, 65) from the field list.
    for (int g : {601, 64, 603, 604, 66}) t.gadgets.control(g);
    t.gadgets.control(63).text = QStringLiteral("Label text");
    t.gadgets.control(65).text = QStringLiteral("Reset label");
    defineField(m, -1, "", "", "", "", "");
    defineField(m, 601, "Titled", "Float", "1.0", "2.1;0.1;99.9", "", "built-in");
    defineField(m, 64, "SetPoint1", "String", "", "", "");
    defineField(m, 603, "Ranged", "Number", "5", "2;0;15", "");
    defineField(m, 604, "WidthOnly", "Number", "5", "6", "");
    defineField(m, 66, "ResetPoint1", "String", "", "", "", "Built in tip");
    defineField(m, -2, "", "", "", "", "");
    EXPECT_EQ(t.gadgets.control(601).toolTipTitle, "Damping");
    EXPECT_EQ(t.gadgets.control(601).toolTip, "Filter time\nin seconds");
    EXPECT_EQ(t.gadgets.control(64).toolTipTitle, "Label text");
    EXPECT_EQ(t.gadgets.control(64).toolTip, "|whole text");
    EXPECT_EQ(t.gadgets.control(603).toolTip, "Range: 0 ... 15");
    EXPECT_EQ(t.gadgets.control(604).toolTip, "");
    EXPECT_EQ(t.gadgets.control(66).toolTipTitle, "Reset label");
    EXPECT_EQ(t.gadgets.control(66).toolTip, "Built in tip");
    EXPECT_EQ(captions.value("SetPoint1"), "Label text");
    EXPECT_EQ(captions.value("Titled"), "");
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
    t.gadgets.control(801).geometry = QRect(10, 10, 100, 20);
    t.gadgets.control(802).geometry = QRect(10, 40, 100, 20);
    defineField(m, -1, "", "", "", "", "");
    defineField(m, 801, "First", "String", "x", "", "");
    defineField(m, 802, "Second", "String", "y", "", "hidden;");
    defineField(m, -2, "", "", "", "", "");
    FieldInspector inspector;
    InspectorView view;
    view.gadgets = &t.gadgets;
    const QString hit = inspector.inspect(m, view, QPoint(50, 15));
    EXPECT_TRUE(hit.contains("\nName:First\n"));
    EXPECT_TRUE(hit.contains("\nContent:x\n"));
    EXPECT_EQ(inspector.inspect(m, view, QPoint(50, 45)), "");   // hidden fields are passed over
    EXPECT_EQ(inspector.inspect(m, view, QPoint(110, 15)), "");  // right edge is outside
}

}  // namespace
}  // namespace zh
