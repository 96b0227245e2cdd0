// The way from the field table to the controls: contents, item lists and
// access pushed by showFieldsInForm, group switching and painting by
// updateAllGadgets, pairs copied by syncFields, and the single-field operations.

#include "ui/window/control_refresh.h"

#include <gtest/gtest.h>

#include "app/dialogs.h"
#include "model/device_types.h"
#include "ui/window/gadget_colours.h"
#include "window_model.h"

namespace zh {
namespace {

const int kRead = rgb(0, 80, 0);
const int kErrorBackground = rgb(255, 255, 53);

class ControlRefreshTest : public ::testing::Test {
  protected:
    test::WindowModel w;
    ControlRefresh refresh{w.model};
};

TEST_F(ControlRefreshTest, InternToFormPushesEveryShownField) {
    w.f("TagID").Content = "PT-101";
    w.f("Unit").Content = "1";  // mbar
    w.f("OutputFunction2").Content = "3";
    w.f("SetPoint1").GadUnit = "[mbar]";
    w.f("DelaySwitch1").Visibility = "hidden";
    w.f("DelaySwitch1").Content = "7.5";
    w.c("CmbUnitAdm").text = "untouched";
    w.c("TagID").enabled = false;

    refresh.showFieldsInForm();
    EXPECT_EQ(w.c("TagID").text, "PT-101");
    EXPECT_TRUE(w.c("TagID").enabled);
    EXPECT_EQ(w.c("CmbUnit").items.value(1), "mbar");
    EXPECT_EQ(w.c("CmbUnit").state, 1);
    EXPECT_EQ(w.c("CmbOutFunc2").items.size(), 4);
    EXPECT_EQ(w.c("CmbOutFunc2").state, 3);
    EXPECT_EQ(w.c("UnitSetPoint1").text, "mbar");
    EXPECT_NE(w.c("FldDelaySet1").text, "7.5");      // hidden fields are not written
    EXPECT_EQ(w.c("CmbUnitAdm").text, "untouched");  // nor "nodisplay" ones
    EXPECT_FALSE(w.c("FldHWVers1").enabled);         // Access "disabled"
    EXPECT_FALSE(w.c("UpperNominalVal").enabled);    // Access "readonly"
    EXPECT_TRUE(w.t.dialogs.boxes.empty());
    EXPECT_FALSE(w.t.program.messages.silent());
}

TEST_F(ControlRefreshTest, InternToFormSelectsOneFieldOrRebuildsTheTable) {
    w.f("TagID").Content = "A";
    w.f("TagIDAdm").Content = "B";
    refresh.showFieldsInForm("gadname=TagID");
    EXPECT_EQ(w.c("TagID").text, "A");
    EXPECT_EQ(w.c("TagIDAdm").text, "");

    refresh.showFieldsInForm("GadID=" + QString::number(controlNumber("TagIDAdm")));
    EXPECT_EQ(w.c("TagIDAdm").text, "B");

    const int records = w.model.fields.count();
    refresh.showFieldsInForm("gadname=NoSuchField");
    refresh.showFieldsInForm("gadid=999");
    EXPECT_EQ(w.model.fields.count(), records);

    refresh.showFieldsInForm("new");
    EXPECT_EQ(w.f("TagID").Content, "");
    EXPECT_EQ(w.c("TagID").text, "");
}

TEST_F(ControlRefreshTest, TheModelRefreshesThroughItsHook) {
    refresh.installModelHooks();
    w.f("ADCByte8").RawVal = "1";
    syncTransmitterConfigFields(w.model, QLatin1String(kTransmitterMap), TypeUpdate::Catalogue);
    EXPECT_EQ(w.f("CalcMethod").Content, "1");
    EXPECT_EQ(w.c("CmbCalcMethod").state, 1);
    // The configuration's list and description reach their controls, too.
    updateDeviceType(w.model, -1, 0, 0, TypeUpdate::New);
    EXPECT_EQ(w.c("CmbDevType").items.value(0), "No configuration");
    EXPECT_EQ(w.c("CmbDevType").state, 0);
    EXPECT_EQ(w.c("MeasElemConfigName").text, "---");
}

TEST_F(ControlRefreshTest, FailedChecksPaintTheErrorColour) {
    refresh.checks.typeCheck = [](FieldRecord& f, const QString& text) {
        return f.Name == "TagID" ? CheckResult::correct() : CheckResult(text.trimmed());
    };
    refresh.checks.checkLimits = [](const QString& name, const QString& content) {
        return name == "SetPoint1" ? CheckResult::undo() : CheckResult(content);
    };
    w.f("TagID").Content = "bad";
    w.f("TagIDAdm").Content = " ok ";
    w.f("TagIDAdm").ColorIndx = 15;  // left from an earlier failure
    refresh.showFieldsInForm();
    EXPECT_EQ(w.c("TagID").text, "bad");
    EXPECT_EQ(w.c("TagID").background, kErrorBackground);
    EXPECT_EQ(w.f("TagID").ColorIndx, 15);
    EXPECT_EQ(w.c("FldSetPoint1").background, kErrorBackground);
    EXPECT_EQ(w.c("TagIDAdm").text, "ok");
    EXPECT_EQ(w.f("TagIDAdm").ColorIndx, 1);
    EXPECT_EQ(w.c("TagIDAdm").foreground, rgb(255, 0, 0));
    EXPECT_EQ(w.c("TagIDAdm").background, rgb(255, 255, 255));
}

TEST_F(ControlRefreshTest, UpdAllGadsSwitchesAndPaintsItsRange) {
    refresh.updateAllGadgets("disabled;setcolor", "COMMON;", 2);
    EXPECT_FALSE(w.c("TagID").enabled);
    EXPECT_EQ(w.c("TagID").foreground, kRead);
    EXPECT_EQ(w.f("TagID").GadStatus, "read");
    EXPECT_FALSE(w.c("TempDamping").enabled);      // "TEMPERATURE;[s];COMMON;"
    EXPECT_TRUE(w.c("FldUpperRangeVal").enabled);  // ADMIN only: not in the range
    EXPECT_EQ(w.c("FldUpperRangeVal").foreground, -1);

    w.f("TagID").setColourState(ColourChanged);
    refresh.updateAllGadgets("enable", "COMMON;", -1);
    EXPECT_TRUE(w.c("TagID").enabled);
    EXPECT_EQ(w.c("TagID").foreground, kRead);  // colours kept
    EXPECT_EQ(w.f("TagID").GadStatus, "changed");

    refresh.updateAllGadgets("setcolor", "all", 3);
    EXPECT_EQ(w.f("Display").ColorIndx, 16);  // a fixed colour is never repainted
    EXPECT_EQ(w.c("FldDisplay").foreground, -1);
    EXPECT_EQ(w.f("TagID").GadStatus, "updated");

    w.model.cal.DispUnit = "[%]";
    refresh.updateAllGadgets("disable", "TEMPERATURE;", -1);
    refresh.updateAllGadgets("enable", "TEMPERATURE;", -1);
    EXPECT_FALSE(w.c("TempUpper").enabled);
    EXPECT_TRUE(w.c("HartAddress").enabled);

    refresh.updateAllGadgets("writeable", "SYSTEM;TRANSMITTER;", 0);
    EXPECT_EQ(w.f("ADCByte5").Access, "enabled");
    EXPECT_FALSE(w.f("ADCByte5").Attributes.contains("readonly"));
    EXPECT_TRUE(w.c("ADCByte5").enabled);
    EXPECT_EQ(w.c("ADCByte5").background, rgb(255, 255, 255));
    refresh.updateAllGadgets("readonly", "SYSTEM;TRANSMITTER;", -1);  // and back: no more input
    EXPECT_EQ(w.f("ADCByte5").Access, "readonly");
    EXPECT_TRUE(w.f("ADCByte5").is(FlagReadOnly));
}

TEST_F(ControlRefreshTest, SyncGadgetsCopiesPairs) {
    FieldRecord& adm = w.f("TagIDAdm");
    w.f("TagID").Content = "  T-7 ";
    w.f("TagID").RawVal = "raw";
    w.f("TagID").setColourState(ColourUpdated);
    refresh.syncFields("TagIDAdm=TagID", ControlRefresh::SyncMode::RawOnly);
    EXPECT_EQ(adm.RawVal, "raw");
    EXPECT_EQ(adm.Content, "");
    EXPECT_NE(adm.GadStatus, "updated");

    refresh.syncFields("TagIDAdm=TagID;Nothing=TagID", ControlRefresh::SyncMode::Update);
    EXPECT_EQ(adm.Content, "T-7");
    EXPECT_EQ(adm.GadStatus, "updated");
    EXPECT_EQ(w.c("TagIDAdm").text, "T-7");
    EXPECT_FALSE(w.model.fields.contains("Nothing"));

    // A combo box takes the code, a converted field derives its text.
    w.f("ADCByte16").RawVal = "1";
    w.f("ADCByte16").Content = "01";
    refresh.syncFields("HallSwitch=ADCByte16", ControlRefresh::SyncMode::Copy);
    EXPECT_EQ(w.f("HallSwitch").Content, "1");
    w.f("HallSwitch").RawVal = "2";
    refresh.syncFields("ADCByte16=HallSwitch", ControlRefresh::SyncMode::Copy);
    EXPECT_EQ(w.f("ADCByte16").Content, "02");
}

TEST_F(ControlRefreshTest, UpdUnitFormFldsReformatsAndMarksChanged) {
    FieldRecord& sp = w.f("SetPoint1");
    sp.Content = "2.5";
    sp.GadUnit = "[bar]";
    const QString base = sp.BaseValue;
    FieldRecord& on = w.f("CurrentOn");
    ASSERT_EQ(on.GadUnit, "[mA]");
    const QString current = on.Content;

    refresh.updateUnitFormFields("SetPoint1;CurrentOn;Unknown", 1);  // mbar
    EXPECT_EQ(sp.Content.toDouble(), 2500.0);
    EXPECT_EQ(sp.GadUnit, "[mbar]");
    EXPECT_EQ(sp.BaseValue, base);
    EXPECT_EQ(sp.GadStatus, "changed");
    EXPECT_EQ(w.c("FldSetPoint1").text, sp.Content);
    EXPECT_EQ(w.c("FldSetPoint1").foreground, rgb(255, 0, 0));
    EXPECT_EQ(w.c("UnitSetPoint1").text, "mbar");
    EXPECT_EQ(on.Content, current);
    EXPECT_EQ(on.GadUnit, "[mA]");
    EXPECT_FALSE(w.model.fields.contains("Unknown"));
}

TEST_F(ControlRefreshTest, SetGadParamsReplacesAComboList) {
    refresh.setGadParams("AddUnit", "Never=5;Always=6", "6");
    EXPECT_EQ(w.f("AddUnit").Content, "6");  // "0" is not in the new list
    EXPECT_EQ(w.c("CmbAddUnit").items, QStringList({"Never", "Always"}));
    EXPECT_EQ(w.c("CmbAddUnit").state, 1);

    refresh.setGadParams("AddUnit", "Seldom^sepRarely=4;Always=6", QString());
    EXPECT_EQ(w.f("AddUnit").Content, "6");  // still in the list: kept
    EXPECT_EQ(w.c("CmbAddUnit").items.value(0), "Seldom;Rarely");
    refresh.setGadParams("TagID", "8", "ignored");
    EXPECT_EQ(w.f("TagID").Params, "8");
    EXPECT_EQ(w.f("TagID").Content, "");
}

TEST_F(ControlRefreshTest, StoredValueSetsComeBack) {
    w.f("TagID").Content = "kept";
    w.f("ValLoopTest").Content = "abc";  // no number: never loaded into a float
    const int set = refresh.storeValues();
    w.f("TagID").Content = "changed";
    w.f("ValLoopTest").Content = "8.0";

    EXPECT_TRUE(refresh.setValues(set));
    EXPECT_EQ(w.f("TagID").Content, "kept");
    EXPECT_EQ(w.c("TagID").text, "kept");
    EXPECT_EQ(w.f("ValLoopTest").Content, "8.0");
    EXPECT_FALSE(refresh.setValues(set + 1));
    EXPECT_FALSE(refresh.setValues(-1));
}

}  // namespace
}  // namespace zh
