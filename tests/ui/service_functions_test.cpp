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
    explicit ServiceRig(const QByteArray& options = {})
        : AppRig("ZEL-HART", {{"UserMode=user", "UserMode=administrator"}}) {
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

// Teaching the upper range moves only the upper range value, to the
// process value present (half the measuring range), and the window shows
// the device's new range.
TEST(ServiceFunctions, TeachUpperRangeMovesOnlyTheUpperRangeValue) {
    ServiceRig rig;
    const hartsim::Memory before = rig.memory();
    const double lower = rig.field("LowerRangeVal").Content.toDouble();
    const double upper = rig.field("UpperRangeVal").Content.toDouble();
    const QString tag = rig.field("TagID").Content, setPoint = rig.field("SetPoint1").Content;
    rig.press("BtnAdmTUR");
    const QString changed = QString::fromStdString(rig.changedSince(before));
    EXPECT_TRUE(QRegularExpression("^transmitter\\.ram@(49|50|51|52)(,(49|50|51|52))*$")
                    .match(changed)
                    .hasMatch())
        << qPrintable(changed);
    EXPECT_NEAR(rig.field("UpperRangeVal").Content.toDouble(), (lower + upper) / 2,
                (upper - lower) / 100)
        << qPrintable(rig.field("UpperRangeVal").Content);
    EXPECT_EQ(rig.boxes.texts, QStringList{"Please confirm function! "});
    // The transmitter read again; the display module's values stay shown.
    EXPECT_EQ(rig.field("TagID").Content + " " + rig.field("SetPoint1").Content,
              tag + " " + setPoint);
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
