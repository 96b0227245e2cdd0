// The user-mode rules: which tabs remain, which controls a mode may see and
// change, how the connection and data state switch menu entries, buttons
// and field groups, the switch channels, and the option groups the model
// asks for.

#include "ui/window/user_modes.h"

#include <gtest/gtest.h>

#include <QHash>
#include <QSet>

#include "app/menu_ids.h"
#include "app/menu_items.h"
#include "model/device_types.h"
#include "ui/window/control_refresh.h"
#include "ui/window/visibility_groups.h"
#include "ui/window/window_frame.h"
#include "window_model.h"

namespace zh {
namespace {

class RecordedMenus final : public MenuItems {
  public:
    QSet<int> present{menu::kFirstPort, menu::kFirstPort + 1};
    QHash<int, bool> enabled;
    QHash<int, QString> reasons;
    bool hasItem(int id) const override { return present.contains(id) || enabled.contains(id); }
    void setItemEnabled(int id, bool on) override { enabled[id] = on; }
    bool isItemEnabled(int id) const override { return enabled.value(id, true); }
    void setItemReason(int id, const QString& why) override { reasons[id] = why; }
    QString itemReason(int id) const override { return reasons.value(id); }
    void setItemChecked(int, bool) override {}
    bool isItemChecked(int) const override { return false; }
    void setItemHidden(int, bool) override {}
    bool isItemHidden(int) const override { return false; }
};

class RecordedFrame final : public WindowFrame {
  public:
    QList<int> removed;
    QHash<int, QString> status;
    void removePanelTab(int panel, int tab) override {
        EXPECT_EQ(panel, kMainPanel);
        removed << tab;
    }
    void setStatusText(int field, const QString& text) override { status[field] = text; }
};

class UserModesTest : public ::testing::Test {
  protected:
    void state(bool connected, bool data) {
        w.t.program.state.ConnectionState = connected ? 1 : 0;
        w.t.program.state.DataTrigger = data ? 0 : -1;
    }
    bool item(int id) const { return menus.enabled.value(id, false); }

    test::WindowModel w;
    RecordedMenus menus;
    RecordedFrame frame;
    ControlRefresh refresh{w.model};
    UserModes modes{w.model, refresh, menus, frame};
    int linkOpen = 0;
    void SetUp() override {
        modes.inputs.linkOpen = [this] { return linkOpen; };
    }
};

TEST_F(UserModesTest, TabsRemainByModeDeviceAndSwitches) {
    struct Case {
        const char* mode;
        int devIndx;
        bool graph, diagnostics;
        QList<int> remaining;
    };
    const Case cases[] = {
        {"user", 0, false, false, {0}},
        {"administrator", 16, false, false, {0, 1}},
        {"customizer", 0, false, false, {0, 1, 2}},
        {"administrator", 1, false, false, {1}},
        {"administrator", 1, true, true, {1, 3, 4}},
        {"customizer", 2, false, true, {1, 2, 4}},
        {"customizer", 4, false, false, {1, 2}},
        {"user", 4, false, false, {1}},
        {"customizer", 3, false, false, {0, 1}},
        {"guest", 0, false, false, {0}},  // an unknown mode sees what "user" sees
        // A device not yet known keeps the tabs of a display module.
        {"user", -1, false, false, {0}},
        {"customizer", -1, true, false, {0, 1, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " " + std::to_string(c.devIndx));
        AppState& s = w.t.program.state;
        s.UserMode = c.mode;
        s.GraphMode = c.graph ? "ON" : "OFF";
        s.Diagnostics = c.diagnostics ? "ON" : "OFF";
        w.model.selection.DevIndx = c.devIndx;
        RecordedFrame fresh;
        UserModes m(w.model, refresh, menus, fresh);
        m.updatePanelTabs();
        EXPECT_EQ(m.remainingTabs(), c.remaining);
        EXPECT_EQ(fresh.removed.size() + c.remaining.size(), kTabCount);
        for (int i = 1; i < fresh.removed.size(); ++i)
            EXPECT_GT(fresh.removed[i - 1], fresh.removed[i]);  // last first
    }
}

TEST_F(UserModesTest, AdminControlsPerModeConfigurationAndEdition) {
    AppState& s = w.t.program.state;
    s.UserMode = "user";
    modes.hideAdminGadgets(s.UserMode);
    for (const char* name : {"CmbSelCmd", "BtnSendCmd", "CmbSelCmdAdm", "BtnSendCmdAdm",
                             "FldADhigh", "FldADlow", "ComboDecPULRV"})
        EXPECT_TRUE(w.c(name).hidden) << name;
    EXPECT_FALSE(w.c("CmbSelEquip").enabled);
    EXPECT_EQ(w.f("SelectEquip").Access, "disabled");
    EXPECT_EQ(w.f("NominalRangeLow").Access, "readonly");  // stays read-only
    EXPECT_FALSE(w.c("CmbUnitULRV").hidden);
    EXPECT_FALSE(w.c("FldDscSerialNo3").hidden);

    s.UserMode = "customizer";
    s.TransmitterDisplay = "auto";
    modes.hideAdminGadgets(s.UserMode);
    EXPECT_FALSE(w.c("BtnSendCmdAdm").hidden);
    EXPECT_FALSE(w.c("DscSelCmd").hidden);
    EXPECT_EQ(w.f("SelectEquip").Access, "enabled");
    EXPECT_EQ(w.f("LowerRangeVal").Access, "enabled");
    s.TransmitterDisplay = "transmitter";
    modes.hideAdminGadgets(s.UserMode);
    EXPECT_TRUE(w.c("BtnSendCmdAdm").hidden);

    s.UserMode = "user";
    s.TestMode = "IV";
    s.EditionName = "KALVERO_S";
    modes.hideAdminGadgets(s.UserMode);
    EXPECT_FALSE(w.c("FldADhigh").hidden);
    EXPECT_TRUE(w.c("FldADhigh").enabled);
    EXPECT_EQ(w.f("UpperRangeADVal").Access, "enabled");
    EXPECT_TRUE(w.c("FldDscSerialNo3").hidden);
}

// An entry is enabled when it gives no reason; a disabled one says why.
TEST_F(UserModesTest, StateWordDrivesMenuEntries) {
    AppState& s = w.t.program.state;
    const char* noData = "Read the module or open a data file first";
    const char* noPort = "No port configured";
    const char* notLive = "The module is not connected";
    struct Case {
        bool connected, data;
        int link;
        const char* noWrite;
        const char* port;
        bool live;
        const char *write, *connect, *disconnect;
        bool ports;
        bool save() const { return data; }  // saving needs data, whatever the connection
    };
    const Case cases[] = {
        {false, false, 0, "OFF", "Sim", false, noData, noData, notLive, true},
        // Data from a file or New: a port to open is all a write and Connect need.
        {false, true, 0, "OFF", "Sim", false, "", "", notLive, true},
        {false, true, 0, "OFF", "", false, noPort, noPort, notLive, true},
        {false, true, 0, "OFF", "Auto", false, noPort, noPort, notLive, true},
        {true, true, 0, "OFF", "", false, "", "", notLive, false},
        {false, true, 0, "ON", "", false, "", "", notLive, true},  // as if the interface were open
        {true, true, 1, "OFF", "Sim", true, "", "The module is connected already", "", false},
        {true, false, 1, "OFF", "Sim", false, noData, noData, notLive, false},
    };
    for (const Case& c : cases) {
        state(c.connected, c.data);
        SCOPED_TRACE(modes.stateWord().toStdString() + " link " + std::to_string(c.link) +
                     " port " + c.port);
        linkOpen = c.link;
        s.NoWrite = c.noWrite;
        s.ComPort = c.port;
        s.DynamicDisplayOn = c.live;
        menus.enabled.clear();
        modes.updateGadgetItems(-1);
        for (int id : {menu::kNew, menu::kNew + 1, menu::kToolOpen, menu::kReadAll, menu::kToolRead,
                       menu::kStartLog, menu::kStopLog})
            EXPECT_TRUE(item(id)) << id;
        const auto expect = [&](std::initializer_list<int> ids, const char* why) {
            for (int id : ids) {
                EXPECT_EQ(item(id), QString(why).isEmpty()) << id;
                EXPECT_EQ(menus.reasons.value(id), why) << id;
            }
        };
        expect({menu::kWriteAll, menu::kWriteChanges, menu::kToolWrite}, c.write);
        expect({menu::kConnect, menu::kToolConnect}, c.connect);
        expect({menu::kDisconnect, menu::kToolDisconnect}, c.disconnect);
        expect({menu::kSave, menu::kSaveAs, menu::kToolSave}, c.save() ? "" : noData);
        EXPECT_EQ(item(menu::kFirstPort + 1), c.ports);
        EXPECT_EQ(menus.reasons.value(menu::kFirstPort + 1),
                  c.ports ? "" : "Disconnect the module first");
    }
    state(true, false);
    EXPECT_EQ(modes.stateWord(), "connected nodata");
}

TEST_F(UserModesTest, CommandButtonsByModeAndInterface) {
    AppState& s = w.t.program.state;
    s.UserMode = "user";
    state(true, false);
    modes.updateGadgetItems(-1);
    EXPECT_TRUE(w.c("BtnFactSet").enabled);  // works on a connected device without data
    EXPECT_FALSE(w.c("BtnSetTeachLower").enabled);
    EXPECT_FALSE(w.c("BtnAdmTLR").enabled);  // never for "user"

    s.UserMode = "guest";  // only "user" itself loses the teach buttons
    state(true, true);
    modes.updateGadgetItems(-1);
    EXPECT_TRUE(w.c("BtnAdmTLR").enabled);
    EXPECT_TRUE(w.c("BtnSet4mAOnOffu").enabled);

    s.UserMode = "administrator";
    w.c("BtnSet4mAOnOff").enabled = false;
    state(false, true);
    modes.updateGadgetItems(-1);
    EXPECT_FALSE(w.c("BtnSet4mAOnOff").enabled);  // left alone without the interface
    linkOpen = 1;
    modes.updateGadgetItems(-1);
    EXPECT_TRUE(w.c("BtnSet4mAOnOff").enabled);
    EXPECT_TRUE(w.c("BtnSetTeachLower").enabled);
    s.UserMode = "user";
    modes.updateGadgetItems(-1);
    EXPECT_FALSE(w.c("BtnSet4mAOnOff").enabled);

    // The output switches in mode "user" without the interface; a current
    // is trimmed while its output is on, and the other output waits; what
    // the device does not have cannot be worked. A disabled button says why.
    bool on4 = false;
    modes.inputs.output4mAOn = [&] { return on4; };
    const struct {
        const char* mode;
        int link;
        bool on4;
        const char *configured, *found, *button;
        const char* why;  // "" while enabled
    } rows[] = {
        {"user", 0, false, "auto", "all", "BtnSet4mAOnOff", "Not in this user mode"},
        {"administrator", 0, false, "auto", "all", "BtnFactSet",
         "Read or connect the module first"},
        {"administrator", 0, false, "auto", "all", "BtnSetTeachLower", "Read the module first"},
        {"administrator", 1, false, "auto", "all", "BtnSet4mA", "Switch this output on first"},
        {"administrator", 1, false, "auto", "all", "BtnSet20mAOnOff", ""},
        {"administrator", 1, true, "auto", "all", "BtnTempSet4mA", ""},
        {"administrator", 1, true, "auto", "all", "BtnSet20mA", "Switch this output on first"},
        {"administrator", 1, true, "auto", "all", "BtnSet20mAOnOffu",
         "Switch the other output off first"},
        {"administrator", 1, false, "auto", "display", "BtnLoopStartStop",
         "The device has no transmitter"},
        {"administrator", 1, false, "auto", "display", "BtnTestSW1", ""},
        {"administrator", 1, false, "transmitter", "display", "BtnLoopStartStop", ""},
        {"administrator", 1, false, "transmitter", "all", "BtnSet4mADisp",
         "The device has no display module"},
        // A display command's list can be chosen from while its button sends.
        {"customizer", 1, false, "auto", "all", "CmbSelCmd", ""},
        {"customizer", 1, false, "auto", "all", "CmbSelCmdAdm", ""},
        {"customizer", 1, false, "auto", "transmitter", "BtnSendCmd",
         "The device has no display module"},
        {"customizer", 1, false, "auto", "transmitter", "CmbSelCmdAdm",
         "The device has no display module"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.button) + " " + r.mode + " " + r.found);
        s.UserMode = r.mode;
        linkOpen = r.link;
        on4 = r.on4;
        s.TransmitterDisplay = r.configured;
        s.TransmDisplay = r.found;
        const bool enabled = QString(r.why).isEmpty();
        w.c(r.button).enabled = !enabled;
        modes.updateGadgetItems(-1);
        EXPECT_EQ(w.c(r.button).enabled, enabled);
        EXPECT_EQ(w.c(r.button).disabledReason, r.why);
    }
}

TEST_F(UserModesTest, FieldGroupsFollowDataModeAndMeasurand) {
    AppState& s = w.t.program.state;
    s.UserMode = "user";
    state(false, false);
    modes.updateGadgetItems(-1);
    for (const PackedEntry& e : w.model.fields.packedEntries()) {
        if (e.Visibility == "nodisplay") continue;
        const FieldRecord& f = w.model.fields.at(w.model.fields.find(e.Name));
        EXPECT_FALSE(w.c(boundControl(f)).enabled) << e.Name.toStdString();
    }

    state(false, true);
    modes.updateGadgetItems(2);
    EXPECT_TRUE(w.c("TagID").enabled);
    EXPECT_EQ(w.f("TagID").GadStatus, "read");
    EXPECT_TRUE(w.c("DspMBE").enabled);             // PRESSURE
    EXPECT_FALSE(w.c("TempUpper").enabled);         // TEMPERATURE stays off for pressure
    EXPECT_FALSE(w.c("FldUpperRangeVal").enabled);  // ADMIN
    EXPECT_FALSE(w.c("Val4mAu").enabled);  // the output group stays off while both outputs are

    s.UserMode = "customizer";
    w.model.cal.Measurand = "Temperature";
    modes.updateGadgetItems(-1);
    EXPECT_TRUE(w.c("FldUpperRangeVal").enabled);
    EXPECT_EQ(w.f("ADCByte0").Access, "enabled");  // made writeable for temperature
    EXPECT_FALSE(w.f("ADCByte0").Attributes.contains("readonly"));
    EXPECT_TRUE(w.c("ADCByte0").enabled);

    w.define("Pressure", "[bar]");
    modes.updateGadgetItems(-1);
    EXPECT_FALSE(w.c("ADCByte1").enabled);
}

TEST_F(UserModesTest, SwitchChannelsFollowEquipmentAndOutputFunction) {
    state(false, true);
    w.f("SelectEquip").RawVal = "0";
    w.f("OutputFunction1").RawVal = "2";
    modes.updateGadgetItems(-1);
    for (const char* name : {"FrmSwitch1", "FldSetPoint1", "UnitSetPoint1", "FldFrameHi1",
                             "BtnTestSW1", "FrmSwitch2", "FldResetPoint2", "UnitDelayReset2"})
        EXPECT_TRUE(w.c(name).hidden) << name;
    EXPECT_EQ(w.f("SetPoint1").Visibility, "hidden");

    w.f("SelectEquip").RawVal = "1";
    modes.updateGadgetItems(-1);
    EXPECT_FALSE(w.c("FldFrameHi1").hidden);
    EXPECT_FALSE(w.c("DscFrameLow1").hidden);
    EXPECT_TRUE(w.c("FldSetPoint1").hidden);
    EXPECT_TRUE(w.c("UnitSetPoint1").hidden);  // the unit goes with its field
    EXPECT_FALSE(w.c("FldDelaySet1").hidden);
    EXPECT_TRUE(w.c("FldSetPoint2").hidden);

    w.f("SelectEquip").RawVal = "3";
    w.f("OutputFunction2").RawVal = "1";
    modes.updateGadgetItems(-1);
    EXPECT_FALSE(w.c("FldSetPoint2").hidden);
    EXPECT_FALSE(w.c("UnitResetPoint2").hidden);
    EXPECT_TRUE(w.c("FldFrameLow2").hidden);
    EXPECT_EQ(w.f("SetPoint2").Visibility, "visible");
}

TEST_F(UserModesTest, FieldGadgetsKeepNodisplayAndReadonly) {
    const int unitAdm = controlNumber(QStringLiteral("CmbUnitAdm"));
    ASSERT_EQ(w.f("UnitAdm").Visibility, "nodisplay");
    hideFieldGadget(w.model, unitAdm, 0);
    EXPECT_TRUE(w.c(unitAdm).hidden);
    EXPECT_EQ(w.f("UnitAdm").Visibility, "nodisplay");

    hideFieldGadget(w.model, controlNumber(QStringLiteral("TempUpper")), 1);
    EXPECT_TRUE(w.c("UnitDspMBE").hidden);  // the limit's unit control
    hideFieldGadget(w.model, controlNumber(QStringLiteral("TempUpper")), 0);
    EXPECT_FALSE(w.c("UnitDspMBE").hidden);

    const int nominal = controlNumber(QStringLiteral("UpperNominalVal"));
    w.c(nominal).enabled = true;
    disableFieldGadget(w.model, nominal, 1);
    EXPECT_EQ(w.f("NominalRangeHigh").Access, "readonly");
    EXPECT_TRUE(w.c(nominal).enabled);

    disableFieldGadget(w.model, controlNumber(QStringLiteral("TagID")), 1);
    EXPECT_EQ(w.f("TagID").Access, "disabled");
    EXPECT_FALSE(w.c("TagID").enabled);
    EXPECT_EQ(w.c("TagID").background, rgb(240, 240, 240));
}

TEST_F(UserModesTest, DeviceSelectionShowsItsOptionGroups) {
    installVisibilityHooks(w.model);
    updateDeviceType(w.model, 2, 0, 0, TypeUpdate::New);
    EXPECT_FALSE(w.c("CmbHallSwitch").hidden);
    EXPECT_FALSE(w.c("UnitSwitchPoint").hidden);
    EXPECT_TRUE(w.c("CmbCalcMethod").hidden);
    EXPECT_TRUE(w.c("MW0").hidden);
    EXPECT_TRUE(w.c("CoeffA0").hidden);

    w.f("ADCByte8").RawVal = "1";  // ADC table
    updateDeviceType(w.model, 4, 0, 1, TypeUpdate::New);
    EXPECT_TRUE(w.c("CmbHallSwitch").hidden);
    EXPECT_FALSE(w.c("CmbCalcMethod").hidden);
    EXPECT_FALSE(w.c("BtnADC10").hidden);
    EXPECT_TRUE(w.c("CoeffA3").hidden);

    updateDeviceType(w.model, -1, 0, 0, TypeUpdate::New);
    for (const char* name : {"CmbHallSwitch", "CmbCalcMethod", "MW5", "CoeffA1"})
        EXPECT_FALSE(w.c(name).hidden) << name;

    showMeasurandGroups(w.model, 1);
    EXPECT_TRUE(w.c("DspMBA").hidden);
    EXPECT_FALSE(w.c("TempLower").hidden);
    EXPECT_FALSE(w.c("UnitDspMBA").hidden);  // shared with the temperature limit
    EXPECT_TRUE(w.c("CmbHallSwitch").hidden);
}

TEST_F(UserModesTest, EveryRuleNamesExistingControls) {
    AppState& s = w.t.program.state;
    for (const char* mode : {"user", "administrator", "customizer"}) {
        s.UserMode = mode;
        for (const char* config : {"auto", "display", "transmitter"}) {
            s.TransmitterDisplay = config;
            s.TestMode = "ON";
            modes.updatePanelTabs();
            s.TestMode = "OFF";
            modes.hideAdminGadgets(mode);
            for (bool connected : {false, true})
                for (bool data : {false, true}) {
                    state(connected, data);
                    modes.updateGadgetItems(-1);
                }
        }
    }
    for (int st : {0, 1}) {
        hideTestGadgets(w.model, st);
        showMeasurandGroups(w.model, st);
    }
    for (int d : {-1, 1, 4}) showOptionGroups(w.model, d);
    for (int c : {-1, 0, 1, 2}) showCalcMethodGroups(w.model, c);
    EXPECT_FALSE(w.log().contains("unknown control")) << w.log().toStdString();
}

TEST_F(UserModesTest, StatusLineShowsPortFileAndModule) {
    AppState& s = w.t.program.state;
    s.ComPort = "Com3";
    state(false, false);
    modes.updateGadgetItems(-1);
    EXPECT_EQ(frame.status[0], "Com3 Offline");
    EXPECT_EQ(frame.status[1], "");
    EXPECT_TRUE(w.c("ImgStatusFile").image.endsWith("lamp_off.png"));
    EXPECT_EQ(frame.status[2], "Module: not updated");
    EXPECT_TRUE(w.c("ImgOnline").image.endsWith("lamp_red.png"));

    modes.inputs.moduleState = [] { return 1; };
    modes.inputs.connectionDetail = [] { return QStringLiteral("all"); };
    state(true, true);
    modes.updateGadgetItems(-1);
    EXPECT_EQ(frame.status[0], "Com3 Online all");
    EXPECT_EQ(frame.status[1], "File: not updated");
    EXPECT_EQ(frame.status[2], "Module: updated");
    EXPECT_TRUE(w.c("ImgStatusModule").image.endsWith("lamp_green.png"));

    for (auto [trigger, changed, text] : {std::tuple{1, true, "File: updated"},
                                          {2, true, "File: not updated"},
                                          {2, false, "File: updated"}}) {
        s.DataTrigger = trigger;
        s.DataChanged = changed;
        modes.updateGadgetItems(-1);
        EXPECT_EQ(frame.status[1], text) << trigger;
    }
}

}  // namespace
}  // namespace zh
