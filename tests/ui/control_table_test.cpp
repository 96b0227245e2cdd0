// The control registry: its counts, the numbers the rest of the program
// relies on, every field's control on the tab of its group, and a layout
// without overlaps.

#include <gtest/gtest.h>

#include <QSet>
#include <map>

#include "model/device_model.h"
#include "model/field_definitions.h"
#include "ui/window/field_binding.h"
#include "ui/window/field_controls.h"
#include "window_rig.h"

namespace zh {
namespace {

struct Table {
    const ControlInfo* begin() const { return controlsBegin(); }
    const ControlInfo* end() const { return controlsEnd(); }
};
Table all() {
    return {};
}

QRect rectOf(const ControlInfo& c) {
    return QRect(c.x, c.y, c.width, c.height);
}

TEST(ControlRegistry, CountsNumbersAndNames) {
    std::map<ControlKind, int> kinds;
    QSet<int> numbers;
    QSet<QString> names;
    for (const ControlInfo& c : all()) {
        ++kinds[c.kind];
        EXPECT_FALSE(numbers.contains(c.number)) << c.number;
        numbers.insert(c.number);
        const QString name = symbolicName(c);
        EXPECT_FALSE(names.contains(name)) << qPrintable(name);
        names.insert(name);
        // A button's command word is the third "_"-separated part of its name.
        EXPECT_EQ(name.split(QLatin1Char('_')).size(), 3) << qPrintable(name);
        EXPECT_EQ(findControl(c.number), &c);
        EXPECT_EQ(findControl(name), &c);
        EXPECT_EQ(c.panel, c.tab >= 0 ? kMainPanel : -1) << c.name;
    }
    EXPECT_EQ(kinds[ControlKind::Text], 161);
    EXPECT_EQ(kinds[ControlKind::String], 123);
    EXPECT_EQ(kinds[ControlKind::Button], 47);
    EXPECT_EQ(kinds[ControlKind::ComboBox], 21);
    EXPECT_EQ(kinds[ControlKind::Image], 15);
    int counted = 0;
    for (const ControlInfo& c : all()) counted += isCountedKind(c.kind);
    EXPECT_EQ(counted, 367);
    EXPECT_EQ(findControl(12345), nullptr);
    EXPECT_EQ(controlNumber(QStringLiteral("NoSuchControl")), -1);
    // A name is its own window's: another window's prefix or a prefix alone names nothing.
    EXPECT_EQ(controlNumber(QStringLiteral("FldSetPoint1")), 64);
    EXPECT_EQ(controlNumber(QStringLiteral("#Gadget_InputTest_FldSetPoint1")), -1);
    EXPECT_EQ(controlNumber(QStringLiteral("#Gadget_ZELHart_")), -1);
}

TEST(ControlRegistry, KeepsTheNumbersOtherPartsUse) {
    // Recorded event logs replay by these numbers.
    EXPECT_EQ(controlNumber(QStringLiteral("CmbDevType")), 257);
    EXPECT_EQ(controlNumber(QStringLiteral("CmbCalcMethod")), 306);
    EXPECT_EQ(controlNumber(QStringLiteral("MeasElemConfigName")), 389);
    EXPECT_EQ(controlNumber(QStringLiteral("TstInput")), 398);
    EXPECT_EQ(findControl(kMainPanel)->kind, ControlKind::Panel);
    EXPECT_EQ(findControl(397)->kind, ControlKind::TrackBar);
    EXPECT_EQ(findControl(397)->window, kTestInputWindow);
    EXPECT_EQ(symbolicName(*findControl(QStringLiteral("TstInput"))), "#Gadget_InputTest_TstInput");
    for (int n : {399, 400, 402, 403}) EXPECT_EQ(findControl(n)->window, kProgressWindow) << n;
    // The rules for user modes and the commands address these by name.
    for (const char* name : {"BtnSetTeachLower",
                             "BtnSetSwitchPoint",
                             "BtnClearHiTrailing",
                             "BtnClearLowTrailing",
                             "BtnFactSet",
                             "BtnFactSetRest",
                             "BtnFactSetStore",
                             "BtnLoopStartStop",
                             "BtnTestSW1",
                             "BtnTestSW2",
                             "BtnLoopStartStopAdm",
                             "BtnTempTLR",
                             "BtnTempTUR",
                             "BtnAdmTLR",
                             "BtnAdmTUR",
                             "BtnSet4mADisp",
                             "BtnSet20mADisp",
                             "BtnSet4mAOnOffu",
                             "BtnSet20mAOnOffu",
                             "BtnSet4mAOnOff",
                             "BtnSet20mAOnOff",
                             "BtnTempSet4mA",
                             "BtnTempSet20mA",
                             "BtnSet4mA",
                             "BtnSet20mA",
                             "DscDscSerialNo3",
                             "FldDscSerialNo3",
                             "CmbSelEquip",
                             "FldHWVers1Adm",
                             "FldSWVers2Adm",
                             "LowerNominalVal",
                             "UpperNominalVal",
                             "CmbSelCmd",
                             "BtnSendCmd",
                             "CmbSelCmdAdm",
                             "BtnSendCmdAdm",
                             "FldLowerRangeVal",
                             "FldUpperRangeVal",
                             "CmbUnitULRV",
                             "FldADhigh",
                             "FldADlow",
                             "ComboDecPULRV",
                             "FldADact",
                             "DscSetPoint2",
                             "FldFrameLow2",
                             "BtnADC10",
                             "BtnFillADC",
                             "BtnClrADC",
                             "BtnReadTransm",
                             "BtnWriteTransm",
                             "BtnStoreConfig",
                             "Diagram1",
                             "Diagram2",
                             "ImageLEDblack",
                             "LogoPlaceholder",
                             "ImgLogoEN"}) {
        EXPECT_NE(findControl(QString::fromLatin1(name)), nullptr) << name;
    }
}

TEST(ControlRegistry, TabsHoldNoOverlapsAndStayInsideTheirArea) {
    // The page of the 1010 x 418 tab panel, less its frame and tab bar.
    const QRect page(0, 0, 1004, 390);
    const QRect window(0, 0, kDesignWidth, kDesignHeight);
    for (const ControlInfo& a : all()) {
        if (a.window != kMainWindow) continue;
        EXPECT_TRUE((a.tab >= 0 ? page : window).contains(rectOf(a))) << a.name;
        if (a.tab < 0) continue;
        for (const ControlInfo& b : all()) {
            if (&b <= &a || b.window != kMainWindow || b.tab != a.tab) continue;
            if (!rectOf(a).intersects(rectOf(b))) continue;
            // A frame may hold controls, never another frame or half a control.
            const bool framed = (a.kind == ControlKind::Frame) != (b.kind == ControlKind::Frame) &&
                                (a.kind == ControlKind::Frame ? rectOf(a).contains(rectOf(b))
                                                              : rectOf(b).contains(rectOf(a)));
            EXPECT_TRUE(framed) << a.name << " overlaps " << b.name;
        }
    }
}

// The tab each field's group belongs to: the transmitter's configuration on
// tab 2, the user's settings on tab 0, the administration on tab 1; the
// read-out and the raw AD value sit above the panel.
int expectedTab(const FieldRecord& r) {
    static const QStringList userTab = {"Unit",
                                        "HiTrail",
                                        "LoTrail",
                                        "DspMBE",
                                        "DspMBA",
                                        "TempUpper",
                                        "TempLower",
                                        "Damping",
                                        "HartAddress",
                                        "AddUnit",
                                        "TimeUnit",
                                        "TimeData",
                                        "Rotate",
                                        "DecimalPoint",
                                        "OutputFunction1",
                                        "SetPoint1",
                                        "FrameHi1",
                                        "ResetPoint1",
                                        "FrameLow1",
                                        "DelaySwitch1",
                                        "ResDelaySwitch1",
                                        "OutputFunction2",
                                        "SetPoint2",
                                        "FrameHi2",
                                        "ResetPoint2",
                                        "FrameLow2",
                                        "DelaySwitch2",
                                        "ResDelaySwitch2",
                                        "TagID",
                                        "HWVersion1",
                                        "SWVersion1",
                                        "HWVersion2",
                                        "SWVersion2",
                                        "SerialNo1",
                                        "SerialNo2",
                                        "ValLoopTest",
                                        "Val4mAu",
                                        "Val20mAu"};
    if (r.Name == QLatin1String("Display") || r.Name == QLatin1String("ADactRaw")) return -1;
    if (r.Attributes.contains(QLatin1String("TRANSMITTER;"))) return 2;
    return userTab.contains(r.Name) ? 0 : 1;
}

class FieldBinding : public ::testing::TestWithParam<const char*> {};

TEST_P(FieldBinding, EveryFieldsControlsExistOnTheTabOfItsGroup) {
    // Every control the window's list names is in the control table, and
    // the list has the shown fields of the field list, no more and no less.
    EXPECT_EQ(fieldControlProblems().join('\n'), "");
    test::WindowRig rig;
    rig.useShippedProfile(GetParam());
    // The field table sees the real controls, so a label or unit control the
    // definitions name but the window lacks shows up as a missing number.
    Program program(rig.t.dialogs, rig.gadgets, rig.t.clock);
    program.state = rig.t.program.state;
    program.log.setFile(QString());
    MainWindow window(program, rig.gadgets);
    for (int intSerIO : {0, 1}) {
        DeviceModel model(program);
        FieldCaptions captions;
        model.hooks.bindFields = [&] { bindFieldControls(model, captions); };
        registerControls(model.fields);
        model.cal.Measurand = QStringLiteral("Pressure");
        defineDataStructure(model, QStringLiteral("[bar]"), intSerIO, -11);
        ASSERT_GT(model.fields.packedEntries().size(), 100u);
        for (const PackedEntry& e : model.fields.packedEntries()) {
            const FieldRecord& r = model.fields.at(model.fields.find(e.Name));
            const ControlInfo* c = findControl(boundControl(r));
            ASSERT_NE(c, nullptr) << qPrintable(e.Name);
            EXPECT_EQ(c->window, kMainWindow) << qPrintable(e.Name);
            EXPECT_EQ(c->tab, expectedTab(r)) << qPrintable(e.Name);
            EXPECT_EQ(placeOf(model.fields, model.fields.find(e.Name)).tab, c->tab)
                << qPrintable(e.Name);
            if (const int number = controlsOf(e.Name).unit; number > 0) {
                const ControlInfo* unit = findControl(number);
                ASSERT_NE(unit, nullptr) << qPrintable(e.Name);
                EXPECT_EQ(unit->kind, ControlKind::Text) << qPrintable(e.Name);
                EXPECT_EQ(unit->tab, c->tab) << qPrintable(e.Name);
            }
            const QString caption = captions.value(e.Name);
            if (!caption.isEmpty()) {
                // The description is the text of a label on the field's own tab.
                bool labelled = false;
                for (const ControlInfo& l : all()) {
                    labelled |= l.kind == ControlKind::Text && l.window == kMainWindow &&
                                l.tab == c->tab && rig.gadgets.text(l.number) == caption;
                }
                EXPECT_TRUE(labelled) << qPrintable(e.Name);
            }
        }
        // Only the "no label" 0 of the two status currents may be asked for in vain.
        QList<int> missing = rig.gadgets.missingControls();
        missing.removeAll(0);
        EXPECT_TRUE(missing.isEmpty()) << missing.size() << " missing, first " << missing.value(0);
    }
}

INSTANTIATE_TEST_SUITE_P(ShippedProfiles, FieldBinding,
                         ::testing::Values("Config.ini", "Config-125.ini"));

TEST(ControlRegistry, ControlAndFieldShareOneRecordInEitherOrder) {
    test::TestProgram t;
    t.usePressureProfile();
    for (bool controlsFirst : {true, false}) {
        DeviceModel model(t.program);
        if (controlsFirst) registerControls(model.fields);
        model.cal.Measurand = QStringLiteral("Pressure");
        defineDataStructure(model, QStringLiteral("[bar]"), 0, -11);
        if (!controlsFirst) registerControls(model.fields);

        const int index = model.fields.find(QStringLiteral("SetPoint1"));
        ASSERT_EQ(index, model.fields.find(QStringLiteral("64")));
        const FieldRecord& r = model.fields.at(index);
        EXPECT_EQ(controlOfRecord(model.fields, index), findControl(64));
        EXPECT_EQ(placeOf(model.fields, index).panel, kMainPanel);
        EXPECT_EQ(placeOf(model.fields, index).tab, 0);
        EXPECT_EQ(placeOf(model.fields, index).rect, rectOf(*findControl(64)));

        EXPECT_EQ(boundField(model.fields, 64), &r);
        EXPECT_EQ(boundField(model.fields, 63), nullptr);  // a label shows no field
        // A control that shows no field has a record of its own.
        const int label = recordOfControl(model.fields, 63);
        ASSERT_GT(label, 0);
        EXPECT_NE(label, index);
        EXPECT_EQ(controlOfRecord(model.fields, label), findControl(63));
        const int readOut = recordOfControl(model.fields, 212);
        EXPECT_EQ(model.fields.at(readOut).Name, "Display");
        EXPECT_EQ(placeOf(model.fields, readOut).panel, -1);
        EXPECT_EQ(placeOf(model.fields, readOut).tab, -1);
    }
}

}  // namespace
}  // namespace zh
