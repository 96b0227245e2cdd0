// The service buttons against the simulated device: what they leave in
// the device's memory, what the loop current does, and what the window
// shows while a function runs or after the device refused it.

#include <cstring>

#include "app_rig.h"
#include "hart/hart_session.h"
#include "ui/progress_window.h"

namespace zh {
namespace {

// A window program in the administrator's mode on a device whose memory
// lives in a file, with short confirmations.
struct ServiceRig : AppRig {
    explicit ServiceRig(const QByteArray& options = {}, const QByteArray& mode = "administrator")
        : AppRig("ZEL-HART", {{"UserMode=user", "UserMode=" + mode}}) {
        state = dir.filePath("device.state");
        qputenv("HARTSIM_OPTIONS", "presence=both,hold=50,state=" + state.toUtf8() + options);
        program.state.MessageDisplayTime = 100;
        EXPECT_TRUE(app->VANTOMain(0));
        read();
    }
    void press(const char* button) {
        app->dispatch(WindowEvent{EventGadget, 1, control(button), -1, GadgetSelect});
        QApplication::processEvents();
    }
    QString caption(const char* button) const { return gadgets.text(control(button)); }
    bool enabled(const char* name) const { return gadgets.isEnabled(control(name)); }
    // "name[=caption][ locked]" of each control, one line: what the output
    // controls show at a glance.
    QString look(std::initializer_list<const char*> names) const {
        QStringList parts;
        for (const char* name : names) {
            QString part = QLatin1String(name);
            if (QLatin1String(name).startsWith(QLatin1String("Btn"))) part += "=" + caption(name);
            parts << (enabled(name) ? part : part + " locked");
        }
        return parts.join(", ");
    }
    hartsim::Memory memory() const { return deviceMemory(state); }
    std::string changedSince(const hartsim::Memory& before) const {
        return hartsim::describeDifferences(hartsim::configurationDifferences(before, memory()));
    }
    // What the device answers to command 2: the loop current, and whether
    // its status says the current is fixed.
    std::pair<float, bool> loop() {
        HartSession& s = app->session();
        EXPECT_EQ(s.HartConnect(QString(), -1), 1);
        EXPECT_EQ(app->sequences().universal().Com2(1), 0);
        const bool fixed = (s.ResCode2 & 0x08) != 0;
        float current = 0;
        std::memcpy(&current, app->sequences().universal().buffers(2).response.constData(),
                    sizeof current);
        s.HartDisConnect();
        dialogs.progressClose();
        return {current, fixed};
    }
    QString state;
};

// Keeps every status text the progress window shows, and presses its OK
// button when a failure waits for it.
struct ProgressTexts {
    explicit ProgressTexts(QtDialogs& d) : dialogs(d) {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            ProgressWindow* w = dialogs.progressWindow();
            if (!w) return;
            const auto gadget = [w](int n) {
                return QStringLiteral("gadget") + QString::number(n);
            };
            auto* status = w->findChild<QLabel*>(gadget(ProgressWindow::kStatus));
            if (status && !status->text().isEmpty() && !texts.contains(status->text()))
                texts << status->text();
            auto* ok = w->findChild<QAbstractButton*>(gadget(ProgressWindow::kButton));
            if (ok && ok->text() == "OK" && status && status->text().contains("failed!"))
                ok->click();
        });
        timer.start();
    }
    QtDialogs& dialogs;
    QTimer timer;
    QStringList texts;
};

}  // namespace

// The loop test and the fixed 4 mA point hold the current while they run
// and lock the other functions; afterwards the device measures again and
// the only thing left in its memory is the zero trim.
TEST(ServiceFunctions, FixedCurrentsLeaveOnlyTheTrimInTheDevice) {
    ServiceRig rig;
    const hartsim::Memory before = rig.memory();
    ASSERT_EQ(rig.app->applicationCheck().UpdApplGadget(0, "ValLoopTestAdm", "8.5"), "8.5");

    rig.press("BtnLoopStartStopAdm");
    EXPECT_EQ(
        rig.look({"BtnLoopStartStop", "BtnLoopStartStopAdm", "ValLoopTest", "BtnSet4mAOnOff"}),
        "BtnLoopStartStop=Off, BtnLoopStartStopAdm=Off, ValLoopTest locked, BtnSet4mAOnOff=On "
        "locked");
    EXPECT_EQ(rig.loop(), std::make_pair(8.5f, true));
    rig.press("BtnLoopStartStop");
    EXPECT_EQ(
        rig.look({"BtnLoopStartStopAdm", "ValLoopTest", "ValLoopTestAdm", "BtnSet4mA"}),
        "BtnLoopStartStopAdm=On, ValLoopTest, ValLoopTestAdm, BtnSet4mA=Trim locked");  // a trim
                                                                                        // needs its
                                                                                        // point on
    EXPECT_FALSE(rig.loop().second);
    EXPECT_EQ(rig.changedSince(before), "");

    rig.press("BtnSet4mAOnOff");
    EXPECT_EQ(rig.look({"BtnSet4mAOnOff", "BtnSet4mAOnOffu", "BtnSet20mAOnOff",
                        "BtnLoopStartStopAdm", "BtnSet4mA", "Val4mA"}),
              "BtnSet4mAOnOff=Off, BtnSet4mAOnOffu=Off, BtnSet20mAOnOff=On locked, "
              "BtnLoopStartStopAdm=On locked, "
              "BtnSet4mA=Trim, Val4mA");
    EXPECT_EQ(rig.loop(), std::make_pair(4.0f, true));
    ASSERT_EQ(rig.app->applicationCheck().UpdApplGadget(0, "Val4mA", "4.02"), "4.02");
    rig.press("BtnSet4mA");
    rig.press("BtnSet4mAOnOff");  // the second press gives the loop back
    EXPECT_EQ(rig.look({"BtnSet4mAOnOff", "BtnSet4mA", "BtnSet20mAOnOff"}),
              "BtnSet4mAOnOff=On, BtnSet4mA=Trim locked, BtnSet20mAOnOff=On");
    EXPECT_FALSE(rig.loop().second);
    // The zero trim: a float at 61..64 (bytes that happen to stay may not show).
    const QString changed = QString::fromStdString(rig.changedSince(before));
    EXPECT_TRUE(
        QRegularExpression("^transmitter\\.ram@6[1-4](,6[1-4])*$").match(changed).hasMatch())
        << qPrintable(changed);
    EXPECT_TRUE(rig.boxes.texts.isEmpty()) << qPrintable(rig.boxes.texts.join('|'));
}

// A device that refuses the fixed current leaves the window as it was and
// says which command it refused and why.
TEST(ServiceFunctions, ARefusedLoopTestChangesNothingAndSaysWhy) {
    ServiceRig rig(",fault=error:16*3@40");
    ProgressTexts progress(rig.dialogs);
    rig.press("BtnLoopStartStop");
    EXPECT_EQ(rig.caption("BtnLoopStartStop") + rig.caption("BtnLoopStartStopAdm"), "OnOn");
    EXPECT_TRUE(rig.enabled("ValLoopTest"));
    // The failure names the command and the device's reason.
    const QString failure = progress.texts.filter("Function failed!").value(0);
    if (!failure.isEmpty()) {
        EXPECT_EQ(failure,
                  "Function failed! (Enter/Exit fixed current mode: access restricted (16))");
    }
    EXPECT_FALSE(rig.loop().second);
}

// Teaching a range end moves in the device what the device moves, and the
// display module takes the new range over; the window then shows the range
// and the switch points as the device holds them (the module keeps its
// points at their share of the range), and says what the device did when
// it did it its own way (a warning) or refused.
TEST(ServiceFunctions, TeachingARangeEndShowsWhatTheDeviceDid) {
    struct Row {
        const char* button;
        const char* options;
        const char* changed;  // the bytes of the device that change
        double lower, upper;  // the range shown afterwards, bar
        const char* setPoint;
        const char* box;      // the message after the confirmation
        const char* failure;  // the progress window's failure
    };
    const Row rows[] = {
        // At half the range (8 bar): the upper value comes down to it.
        {"BtnAdmTUR", "", "display.ram.12@13,14 transmitter.ram@51", 0, 8, "4.800", "", ""},
        // The lower value goes up to it; the span would end at 24 bar, so the
        // device leaves the upper value at its sensor limit and warns.
        {"BtnTempTLR", "", "display.ram.12@11,12 transmitter.ram@56", 8, 16, "12.80",
         "The device carried out the function with a warning: Set lower lange: new lower range "
         "value pushed the upper range value (14)\nMeasuring range now: 8.0 [bar] ... 16.0 "
         "[bar]",
         ""},
        // 24 bar is beyond the sensor: the device refuses, nothing changes.
        {"BtnAdmTUR", ",hold=150", "", 0, 16, "9.600", "",
         "Function failed! (Set upper range: applied process too high (9))"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.button) + row.options);
        ServiceRig rig(row.options);
        const hartsim::Memory before = rig.memory();
        const QString tag = rig.field("TagID").Content;
        rig.press(row.button);
        EXPECT_EQ(rig.changedSince(before), row.changed);
        EXPECT_NEAR(rig.field("LowerRangeVal").Content.toDouble(), row.lower, 0.01);
        EXPECT_NEAR(rig.field("UpperRangeVal").Content.toDouble(), row.upper, 0.01);
        EXPECT_EQ(rig.field("SetPoint1").Content, row.setPoint);
        EXPECT_EQ(rig.field("TagID").Content, tag);
        QStringList boxes{"Please confirm function! "};
        if (*row.box) boxes << row.box;
        EXPECT_EQ(rig.boxes.texts, boxes);
        EXPECT_EQ(rig.boxes.progressMessages.filter("failed").join('|'), row.failure);
    }
}

// A teach of the display module takes the loop current present as its
// point: the module keeps it for good (RAM and EEPROM) and nothing else
// changes; the window reads the new calibration and says so. A tag entered
// and not written stays entered, and the module counts as not updated.
TEST(ServiceFunctions, DisplayTeachesKeepTheirPointAndShowIt) {
    struct Row {
        const char* before;  // the button that sets the loop up first
        const char* button;
        const char* changed;
        const char* calibration;  // the module's 4 and 20 mA points as read afterwards
        const char* boxes;
    };
    const Row rows[] = {
        // At 12 mA (half the range): both points move by 8 mA, the span stays.
        {"", "BtnSetTeachLower", "display.eeprom.13@1,2,3,4 display.ram.13@1,2,3,4", "12008 28008",
         "Please confirm function! |Calibration has been changed and read again!"},
        // The 4 mA point at what the loop carries with 4 mA fixed (the DAC's
        // error untrimmed).
        {"BtnSet4mAOnOff", "BtnSet4mADisp", "display.eeprom.13@1 display.ram.13@1", "4005 20000",
         "Calibration has been changed and read again!"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.button);
        ServiceRig rig;
        if (*row.before) rig.press(row.before);
        ASSERT_EQ(rig.app->applicationCheck().UpdApplGadget(0, "TagID", "KEPT"), "KEPT");
        const hartsim::Memory before = rig.memory();
        rig.press(row.button);
        if (*row.before) rig.press(row.before);
        EXPECT_EQ(rig.changedSince(before), row.changed);
        EXPECT_EQ(rig.field("TagID").Content, "KEPT");
        EXPECT_EQ(rig.field("TagID").ColorIndx, ColourChanged);
        EXPECT_EQ(rig.app->data().file.moduleState, 0);
        EXPECT_EQ(rig.field("LowerRangeADVal").RawVal + " " + rig.field("UpperRangeADVal").RawVal,
                  row.calibration);
        EXPECT_EQ(rig.boxes.texts.join('|'), row.boxes);
    }
}

// The factory setting stored before a change comes back with a restore:
// display and transmitter hold again exactly what they held.
TEST(ServiceFunctions, RestoreGivesBackTheStoredFactorySetting) {
    ServiceRig rig;
    rig.press("BtnFactSetStore");
    const hartsim::Memory stored = rig.memory();
    const QString setPoint = QString::number((rig.field("SetPoint1").Content.toDouble() +
                                              rig.field("UpperRangeVal").Content.toDouble()) /
                                                 2,
                                             'f', 1);
    ASSERT_EQ(rig.app->applicationCheck().UpdApplGadget(0, "SetPoint1", setPoint), setPoint);
    ASSERT_FALSE(rig.app->applicationCheck().UpdApplGadget(0, "Damping", "3.5").isEmpty());
    rig.app->command(menu::kWriteChanges);
    EXPECT_NE(rig.changedSince(stored), "");
    rig.press("BtnFactSetRestAdm");
    EXPECT_EQ(rig.changedSince(stored), "") << qPrintable(rig.boxes.texts.join('|'));
    EXPECT_NE(rig.field("SetPoint1").Content, setPoint);  // read again
}

}  // namespace zh

namespace zh {

// The converter counts present and the measured value present land in the
// form as entries of the person's: marked changed, for the next write.
TEST(ServiceFunctions, DeviceValuesAreTakenAsEntries) {
    ServiceRig rig;
    const hartsim::Memory before = rig.memory();
    rig.press("BtnADC3");
    rig.press("BtnSetSwitchPoint");
    const FieldRecord& adc = rig.field("ADC3");
    const FieldRecord& point = rig.field("SwitchPoint");
    // Held at half the measuring range: the middle of the converter's
    // table (-25000 ... 25000) and of the range shown.
    EXPECT_EQ(adc.Content, "0");
    EXPECT_EQ(adc.ColorIndx, ColourChanged);
    const double middle = (rig.field("LowerRangeVal").Content.toDouble() +
                           rig.field("UpperRangeVal").Content.toDouble()) /
                          2;
    EXPECT_NEAR(point.Content.toDouble(), middle, 0.1) << qPrintable(point.Content);
    EXPECT_EQ(point.ColorIndx, ColourChanged);
    EXPECT_EQ(rig.changedSince(before), "");
}

}  // namespace zh

namespace zh {

// A cleared trailing pointer starts again from the loop current present,
// and the window shows both pointers as the module holds them, without
// waiting for a live value.
TEST(ServiceFunctions, AClearedTrailingPointerShowsWhereTheModuleStartsIt) {
    ServiceRig rig;
    ASSERT_EQ(rig.app->applicationCheck().UpdApplGadget(0, "ValLoopTestAdm", "8.5"), "8.5");
    rig.press("BtnLoopStartStopAdm");
    rig.press("BtnLoopStartStopAdm");
    rig.read();
    const QString high = rig.field("HiTrail").RawVal;
    EXPECT_EQ(rig.field("LoTrail").RawVal, "8507");  // the fixed 8.5 mA, DAC untrimmed
    rig.press("BtnClearLowTrailing");
    EXPECT_EQ(rig.field("LoTrail").RawVal + " " + rig.field("HiTrail").RawVal, "12008 " + high);
    EXPECT_FALSE(rig.field("LoTrail").Content.isEmpty());
    EXPECT_TRUE(rig.boxes.progressMessages.filter("failed").isEmpty());
}

// Write Config says what came of it once its progress window has gone; the
// values written are those read, so the device holds what it held.
TEST(ServiceFunctions, WriteConfigSaysWhatCameOfIt) {
    ServiceRig rig({}, "customizer");
    const hartsim::Memory before = rig.memory();
    rig.press("BtnWriteTransm");
    EXPECT_EQ(rig.changedSince(before), "");
    EXPECT_EQ(rig.boxes.texts, QStringList{"Data transmitted"});
}

// The display commands of the Transmitter tab's list can be chosen and
// sent, and each is carried out as it says: what it changes in the module
// (shown again in the window), or the module's refusal in its words. A
// transmitter alone has no display to send them to: they are not offered.
TEST(ServiceFunctions, DisplayCommandsOfTheListAreChosenAndSent) {
    ServiceRig rig({}, "customizer");
    ASSERT_TRUE(rig.enabled("CmbSelCmd") && rig.enabled("BtnSendCmd"));
    const QStringList items = rig.gadgets.items(rig.control("CmbSelCmd"));
    EXPECT_EQ(items.size(), 16) << qPrintable(items.join('|'));
    struct Row {
        const char* item;
        const char* changed;
        const char* calibDone;  // the field the module's block 1 holds for the menu
        const char* progress;
    };
    const Row rows[] = {
        {"Unhide factory setup menu", "display.eeprom.1@1 display.ram.1@1", "0",
         "Data transmitted"},
        // The factory setting of the configuration blocks (the same here),
        // the administration block as it is.
        {"ERASE ALL, Display", "", "0", "Data transmitted"},
        {"Hide factory setup menu", "display.eeprom.1@1 display.ram.1@1", "1", "Data transmitted"},
        // 12 mA flow: no 4 mA point.
        {"4 mA Punkt setzten", "", "1",
         "Function failed! (Function: Teach 4 mA: input too high (9))"},
        {"Clear Low Trailing Pointer", "", "1", "Data transmitted"},
        {"Display Button 2 (>1 sec)", "", "1", "Data transmitted"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.item);
        const hartsim::Memory before = rig.memory();
        rig.gadgets.setState(rig.control("CmbSelCmd"), int(items.indexOf(row.item)));
        rig.press("BtnSendCmd");
        EXPECT_EQ(rig.changedSince(before), row.changed);
        EXPECT_EQ(rig.field("fs_CalibDone").RawVal, row.calibDone);
        EXPECT_EQ(rig.boxes.texts.join('|') + " " + rig.boxes.progressMessages.join('|'),
                  QStringLiteral("Please confirm function!  ") + row.progress);
        rig.boxes.texts.clear();
        rig.boxes.progressMessages.clear();
    }

    ServiceRig transmitter(",presence=transmitter", "customizer");
    EXPECT_FALSE(transmitter.enabled("BtnSendCmd") || transmitter.enabled("CmbSelCmd"));
}

}  // namespace zh
