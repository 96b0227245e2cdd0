// The window's everyday workflows as a person goes through them, one row
// each (files and writes, service functions and teaches, the Transmitter
// tab, the adjustment table, the Setup -> Device choices): the program
// starts on a simulated device whose memories live in a state file, the
// steps choose menu entries and press buttons (only enabled ones), answer
// the requesters and boxes and may change the device on the line; then the
// device's memory is held against what it was, the boxes and progress
// messages shown against the row's, and the row checks the form and files.

#include <QFile>
#include <QRegularExpression>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app_rig.h"
#include "files/history_command.h"
#include "hart/hart_session.h"
#include "hart/link_library.h"
#include "history/history_store.h"
#include "model/field_record.h"
#include "ui/dialogs/report_window.h"

namespace zh {
namespace {

// The program with its window and the device on its "Sim" port.
class Flow {
  public:
    explicit Flow(const QList<QPair<QByteArray, QByteArray>>& profile) : rig("ZEL-HART", profile) {
        rig.program.state.MessageDisplayTime = 100;  // short confirmations
    }

    // A device of its own with `options` on the line from now on; its memory
    // now is the "before" of the row.
    void device(const QByteArray& options) {
        state = rig.dir.filePath(QStringLiteral("device%1.state").arg(++devices_));
        frames_ = rig.dir.filePath(QStringLiteral("device%1.log").arg(devices_));
        qputenv("HARTSIM_OPTIONS",
                options + ",state=" + state.toUtf8() + ",log=" + frames_.toUtf8());
        // A first answer makes the device and keeps its memory.
        runConnectionProbe(rig.link, rig.program.log, QStringLiteral("Sim"), 0);
        before = deviceMemory(state);
    }
    // Chooses menu entry `id` as a person does, which only an enabled entry allows.
    void choose(int id) {
        MenuBuilder& menus = *rig.app->menus();
        ASSERT_TRUE(menus.isItemEnabled(id))
            << id << " is off: " << qPrintable(menus.itemReason(id));
        menus.action(id)->trigger();
        serve();
    }
    // Presses button `name` as a person does, which only a shown, enabled one allows.
    void press(const char* name) {
        const int n = rig.control(name);
        auto* button = qobject_cast<QAbstractButton*>(rig.gadgets.widget(n));
        ASSERT_TRUE(button && button->isEnabled() && !button->isHidden())
            << name << " is off: " << qPrintable(rig.gadgets.disabledReason(n));
        button->click();
        serve();
    }
    // Display command `item` chosen in the Transmitter tab's list and sent.
    void send(const char* item) {
        const int list = rig.control("CmbSelCmd");
        rig.gadgets.setState(list, int(rig.gadgets.items(list).indexOf(QLatin1String(item))));
        press("BtnSendCmd");
    }
    void read() { choose(menu::kReadAll); }
    void saveAs(const char* file) {
        FileAnswer answer(path(file));
        choose(menu::kSaveAs);
    }
    void open(const char* file) {
        FileAnswer answer(path(file));
        choose(menu::kOpen);
    }
    void compare(const char* file) {
        FileAnswer answer(path(file));
        choose(menu::kCompare);
    }
    void edit(const char* field, const char* value) {
        EXPECT_EQ(rig.app->applicationCheck().updateApplicationField(0, field, value).value(),
                  value)
            << field;
    }
    // Key `key` of data file `file` set to `value`, as a person edits the file.
    void setInFile(const char* file, const char* key, const QByteArray& value) {
        QByteArray text = bytes(file);
        const QByteArray start = QByteArray("\n") + key + "=";
        const int at = text.indexOf(start);
        ASSERT_GE(at, 0) << key;
        const int end = text.indexOf('\r', at + 1);
        text.replace(at + start.size(), end - at - start.size(), value);
        QFile f(path(file));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    QByteArray bytes(const char* file) const {
        QFile f(path(file));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString path(const char* file) const { return rig.dir.filePath(QLatin1String(file)); }
    const FieldRecord& field(const char* name) const { return rig.field(name); }
    // What the field's control shows.
    QString shown(const char* name) const {
        return rig.gadgets.text(boundControl(rig.field(name)));
    }
    // "name=text [unit]" of every field bound to a control, a line each.
    QString shownTexts() const {
        QStringList lines;
        for (int i = 1; i <= rig.app->model().fields.count(); ++i) {
            const FieldRecord& f = rig.app->model().fields.at(i);
            if (boundControl(f) > 0)
                lines << f.Name + "=" + rig.gadgets.text(boundControl(f)) + " " + f.GadUnit;
        }
        return lines.join('\n');
    }
    // The memories that changed since device(), with the places of the
    // bytes when `places`.
    QString changes(bool places = false) const {
        const QString d = QString::fromStdString(hartsim::describeDifferences(
            hartsim::configurationDifferences(before, deviceMemory(state))));
        return places ? d : QString(d).remove(QRegularExpression(QStringLiteral("@[0-9,]+")));
    }
    // The commands the device received since device(), in order.
    QStringList commands() const {
        QFile log(frames_);
        QStringList numbers;
        static const QRegularExpression rx(QStringLiteral("RX command=(\\d+)"));
        if (log.open(QIODevice::ReadOnly))
            for (auto m = rx.globalMatch(QString::fromLatin1(log.readAll())); m.hasNext();)
                numbers << m.next().captured(1);
        return numbers;
    }
    // "name[=caption][ locked]" of each control, one line: what the output
    // controls show at a glance.
    QString look(std::initializer_list<const char*> names) const {
        QStringList parts;
        for (const char* name : names) {
            const int n = rig.control(name);
            QString part = QLatin1String(name);
            if (part.startsWith(QLatin1String("Btn"))) part += "=" + rig.gadgets.text(n);
            parts << (rig.gadgets.isEnabled(n) ? part : part + " locked");
        }
        return parts.join(", ");
    }
    // What the device answers to command 2: the loop current, and whether
    // its status says the current is fixed.
    std::pair<float, bool> loop() {
        HartSession& s = rig.app->session();
        EXPECT_EQ(s.connectDevice(QString(), -1), 1);
        EXPECT_EQ(rig.app->sequences().universal().Com2(1), 0);
        const bool fixed = (s.ResCode2 & 0x08) != 0;
        float current = 0;
        std::memcpy(&current, rig.app->sequences().universal().buffers(2).response.constData(),
                    sizeof current);
        s.disconnectDevice();
        rig.dialogs.progressClose();
        return {current, fixed};
    }

    AppRig rig;
    QString state;
    hartsim::Memory before;
    QByteArray kept;  // whatever a row keeps for its check

  private:
    void serve() {
        while (const std::optional<WindowEvent> e = rig.gadgets.waitEvent(0)) rig.app->dispatch(*e);
        QApplication::processEvents();
    }
    int devices_ = 0;
    QString frames_;
};

struct Workflow {
    const char* name;
    QByteArray device;  // the options of the device the steps begin on
    std::function<void(Flow&)> steps;
    QString memory;  // the memories that change ("" none), with their places if it names any
    std::vector<const char*> messages;  // a part of each box and progress message, in order
    std::function<void(Flow&)> check;   // the form, files, ... afterwards
    QList<QPair<QByteArray, QByteArray>> profile = {};
};

void PrintTo(const Workflow& w, std::ostream* os) {
    *os << w.name;
}

const QByteArray kDevice = "presence=both,hold=50";
// The same kind of device with another identity (tag and serial number follow it).
const QByteArray kSecondDevice = "presence=both,hold=50,deviceid=0x00ABCD";
const QByteArray kMbarDevice = "presence=both,hold=50,displayunit=mbar";
using Profile = QList<QPair<QByteArray, QByteArray>>;
const Profile kCustomizer = {{"UserMode=user", "UserMode=customizer"}};
const Profile kAdministrator = {{"UserMode=user", "UserMode=administrator"}};
// Texts shown around the functions.
const char* const kDone = "Data transmitted";
const char* const kConfirm = "Please confirm function! ";
const char* const kCalibrated = "Calibration has been changed and read again!";

// A file of the first device, its tag and a set point edited.
void fileOfFirstDevice(Flow& f) {
    f.read();
    f.saveAs("plant.cfp");
    f.setInFile("plant.cfp", "TagID", "PT-OTHER");
    f.setInFile("plant.cfp", "SetPoint2", "12.90[bar]");
}

// That file opened with device `options` on the line and written with menu entry `entry`.
std::function<void(Flow&)> fileWrittenOnto(const QByteArray& options, int entry) {
    return [options, entry](Flow& f) {
        fileOfFirstDevice(f);
        f.device(options);
        f.open("plant.cfp");
        f.choose(entry);
    };
}

// The file's tag and set point, and the serial numbers that came with it
// (blocks 1 to 3 and 11); the module's own unique numbers stay.
const QString kFileOverSecondDevice =
    "display.eeprom.1 display.eeprom.11 display.eeprom.2 display.eeprom.3 display.ram.1 "
    "display.ram.11 display.ram.2 display.ram.3";

void writtenFromFile(Flow& f) {
    EXPECT_EQ(f.rig.window().statusText(2), "Module: updated");
    EXPECT_EQ(f.field("TagID").Content, "PT-OTHER");
    EXPECT_EQ(f.field("TagID").GadStatus, "updated");
    EXPECT_EQ(f.field("SetPoint2").Content.toDouble(), 12.9);
}

// Read, then each of `buttons` pressed in turn.
std::function<void(Flow&)> readThenPress(std::vector<const char*> buttons) {
    return [buttons](Flow& f) {
        f.read();
        for (const char* b : buttons) f.press(b);
    };
}

// The range and the first set point shown afterwards, as the device holds
// them (the module keeps its points at their share of the range).
std::function<void(Flow&)> rangeShown(double lower, double upper, const char* setPoint) {
    return [=](Flow& f) {
        EXPECT_NEAR(f.field("LowerRangeVal").Content.toDouble(), lower, 0.01);
        EXPECT_NEAR(f.field("UpperRangeVal").Content.toDouble(), upper, 0.01);
        EXPECT_EQ(f.field("SetPoint1").Content, setPoint);
    };
}

// Display teaches, each with the output its button names ("" none) fixed
// around it, after a tag was entered and not written.
std::function<void(Flow&)> displayTeach(std::vector<std::pair<const char*, const char*>> teaches) {
    return [=](Flow& f) {
        f.read();
        f.edit("TagID", "KEPT");
        for (const auto& [output, teach] : teaches) {
            if (*output) f.press(output);
            f.press(teach);
            if (*output) f.press(output);
        }
    };
}
// The module's 4 and 20 mA points as read afterwards; the tag stays entered
// and the module counts as not updated.
std::function<void(Flow&)> taughtPoints(const char* calibration) {
    return [=](Flow& f) {
        EXPECT_EQ(f.field("LowerRangeADVal").RawVal + " " + f.field("UpperRangeADVal").RawVal,
                  calibration);
        EXPECT_EQ(f.field("TagID").Content, "KEPT");
        EXPECT_EQ(f.field("TagID").ColorIndx, ColourChanged);
        EXPECT_EQ(f.rig.app->data().file.moduleState, 0);
    };
}

// The fields of the module that a read of the whole device shows.
QByteArray moduleShown(const Flow& f) {
    QStringList values;
    for (const char* name :
         {"UpperRangeVal", "SetPoint1", "ResetPoint2", "DspMBE", "NominalRangeHigh", "TagID"})
        values << f.field(name).Content;
    return values.join('|').toUtf8();
}
// After a read of the whole device, Setup -> Device `choice` and Read module
// again, on device `swapped` when it is given: the module's values are read
// again, kept, or given back after a failure.
std::function<void(Flow&)> chosenAndRead(int choice, const QByteArray& swapped = {}) {
    return [=](Flow& f) {
        f.read();
        f.kept = moduleShown(f);
        if (!swapped.isEmpty()) f.device(swapped);
        f.choose(choice);
        f.read();
        EXPECT_EQ(moduleShown(f), f.kept);
    };
}
// Setup -> Device `choice` on a device with `presence`, then Read module:
// the parts read (a transmitter field, a module field), or the message why
// none was, and the functions offered for the parts there are.
Workflow choiceOn(const char* name, const QByteArray& presence, int choice, const char* message,
                  bool transmitter, bool display) {
    return {name,
            "presence=" + presence,
            [choice](Flow& f) {
                f.choose(choice);
                f.read();
            },
            "",
            *message ? std::vector<const char*>{message} : std::vector<const char*>{},
            [=](Flow& f) {
                EXPECT_EQ(f.field("ADCByte20").Content, transmitter ? "01" : "00");  // its key
                EXPECT_EQ(f.field("TagID").Content, display ? "PT-0012AB" : "");
                EXPECT_EQ(f.look({"BtnLoopStartStop", "BtnSendCmd"}),
                          QStringLiteral("BtnLoopStartStop=On%1, BtnSendCmd=Send Command%2")
                              .arg(transmitter ? "" : " locked", display ? "" : " locked"));
            },
            kCustomizer};
}

const Workflow kWorkflows[] = {
    {"OpenThenWriteAllOntoASecondDevice",
     kDevice,
     fileWrittenOnto(kSecondDevice, menu::kWriteAll),
     kFileOverSecondDevice,
     {},
     writtenFromFile},
    {"OpenThenWriteChangesOntoASecondDevice",
     kDevice,
     fileWrittenOnto(kSecondDevice, menu::kWriteChanges),
     kFileOverSecondDevice,
     {},
     writtenFromFile},
    // The write reads the device first: the file's sensor is not this one's.
    {"OpenThenWriteOntoAnotherSensorIsRefused",
     kDevice,
     fileWrittenOnto("presence=both,hold=50,config=4", menu::kWriteAll),
     "",
     {"The data are for the transmitter configuration"},
     [](Flow& f) {
         EXPECT_EQ(f.field("TagID").Content, "PT-OTHER");  // the data stay as they were
         EXPECT_EQ(f.rig.window().statusText(2), "Module: not updated");
     }},
    // A file saved from the module, opened and written back, changes no
    // byte; an edit then changes exactly its own block.
    {"SaveOpenThenWriteAllChangesNothing",
     kMbarDevice,
     [](Flow& f) {
         f.read();
         f.saveAs("module.cfp");
         f.open("module.cfp");
         f.kept = (f.shown("SetPoint2") + " " + f.shown("ResetPoint2")).toUtf8();
         f.choose(menu::kWriteAll);
     },
     "",
     {},
     [](Flow& f) {
         EXPECT_EQ(f.rig.window().statusText(2), "Module: updated");
         // The device read under the data leaves the points shown as opened.
         EXPECT_EQ(f.shown("SetPoint2") + " " + f.shown("ResetPoint2"), QString::fromUtf8(f.kept));
     }},
    {"OpenEditThenWriteChanges",
     kMbarDevice,
     [](Flow& f) {
         f.read();
         f.saveAs("module.cfp");
         f.open("module.cfp");
         f.edit("SetPoint1", "10000");
         f.choose(menu::kWriteChanges);
         f.read();
     },
     "display.eeprom.10 display.ram.10",
     {},
     [](Flow& f) { EXPECT_EQ(f.field("SetPoint1").Content.toDouble(), 10000.0); }},
    // What was sent shows "updated", what the device had already "read".
    {"ReadEditThenWriteChanges",
     kMbarDevice,
     [](Flow& f) {
         f.read();
         f.edit("SetPoint1", "10000");
         f.edit("TagID", "AB-7");
         f.choose(menu::kWriteChanges);
     },
     "display.eeprom.10 display.eeprom.2 display.ram.10 display.ram.2",
     {},
     [](Flow& f) {
         for (const char* name : {"SetPoint1", "TagID", "TagIDAdm"})
             EXPECT_EQ(f.field(name).GadStatus, "updated") << name;
         EXPECT_EQ(f.field("LowerRangeVal").GadStatus, "read");
         EXPECT_EQ(f.rig.window().statusText(2), "Module: updated");
     },
     kCustomizer},
    // The report holds the first read as found and the device as left: the
    // write and the loop test in, the entry not written out.
    {"ReadEditWriteThenServiceReport",
     kMbarDevice,
     [](Flow& f) {
         f.read();
         f.kept = f.field("SetPoint2").Content.toUtf8();
         f.edit("SetPoint1", "10000");
         f.choose(menu::kWriteChanges);
         f.edit("SetPoint2", "13000");
         f.edit("ValLoopTestAdm", "8.5");
         f.press("BtnLoopStartStopAdm");
         f.press("BtnLoopStartStopAdm");
         f.choose(menu::kServiceReport);
     },
     "display.eeprom.10 display.ram.10",
     {kDone, kDone},
     [](Flow& f) {
         // The read and the write are kept in the device's history.
         QStringList kept;
         const DeviceHistory history(historyRoot(f.rig.program.state) + "/" +
                                     historyFolderName(f.rig.app->session().identity()));
         for (const HistoryReading& r : history.readings()) kept << r.what;
         EXPECT_EQ(kept.join(' '), "read write");
         const ReportWindow* report = reportWindowOf(&f.rig.window());
         ASSERT_TRUE(report);
         const ServiceRecord& r = report->record();
         QStringList rows;
         for (const ReportRow& row : r.rows)
             if (row.name.startsWith(QLatin1String("SetPoint")))
                 rows << row.name + ": " + row.asFound + " -> " + row.asLeft +
                             (row.changed ? " changed" : "");
         EXPECT_EQ(rows.join(" | "),
                   "SetPoint1: 9600 -> 10000 changed | SetPoint2: " + QString::fromUtf8(f.kept) +
                       " -> " + QString::fromUtf8(f.kept));
         EXPECT_EQ(r.changedCount(), 1);
         QStringList done;
         for (const ServiceEntry& e : r.functions) done << e.name + ": " + e.values.at(0).second;
         EXPECT_EQ(done.join(" | "),
                   "Verify: no differences | Loop test: 8.500 mA | Loop test: released");
         EXPECT_TRUE(report->previewText().contains("As left"));
     }},
    // The device keeps what it held, and the form shows it as the read did.
    {"ReadThenWriteAll",
     kDevice,
     [](Flow& f) {
         f.read();
         f.kept = f.shownTexts().toUtf8();
         f.choose(menu::kWriteAll);
     },
     "",
     {},
     [](Flow& f) {
         for (const char* name : {"DampingAdm", "LowerRangeVal", "ADCByte3", "SetPoint1"})
             EXPECT_EQ(f.field(name).GadStatus, "updated") << name;
         EXPECT_EQ(f.shownTexts(), QString::fromUtf8(f.kept));
     },
     kCustomizer},
    // A device that acknowledges writes without keeping them fails the
    // check after the write; the value stays in the form for the next one.
    {"WriteTheDeviceDoesNotKeepFailsItsCheck",
     kMbarDevice + ",ignorewrites",
     [](Flow& f) {
         f.read();
         f.edit("SetPoint1", "10000");
         f.choose(menu::kWriteChanges);
     },
     "",
     {"Write failed, the module does not hold what was written:\nSet point 1 (SetPoint1): file "
      "10000"},
     [](Flow& f) {
         EXPECT_EQ(f.field("SetPoint1").Content.toDouble(), 10000.0);
         EXPECT_EQ(f.field("SetPoint1").ColorIndx, ColourChanged);
         EXPECT_EQ(f.rig.window().statusText(2), "Module: not updated");
     }},
    // The compared file becomes the data shown (after the question for
    // the edit it replaces), its differences marked, and Save leaves it as
    // it was.
    {"CompareThenSaveLeavesTheFileAsItWas",
     kDevice,
     [](Flow& f) {
         fileOfFirstDevice(f);
         f.kept = f.bytes("plant.cfp");
         f.edit("SetPoint1", "10.5");
         f.compare("plant.cfp");
         f.choose(menu::kSave);
     },
     "",
     {"Data have been changed! Save?"},
     [](Flow& f) {
         EXPECT_EQ(f.bytes("plant.cfp"), f.kept);
         EXPECT_EQ(f.rig.boxes.differences, QStringList({"SetPoint2", "TagID"}));
         EXPECT_EQ(f.field("TagID").Content, "PT-OTHER");
         EXPECT_EQ(f.shown("TagID"), "PT-OTHER");
         EXPECT_EQ(f.field("SetPoint2").Content.toDouble(), 12.9);
         for (const char* name : {"TagID", "SetPoint2"})
             EXPECT_EQ(f.field(name).ColorIndx, ColourChanged) << name;
         EXPECT_EQ(f.field("SetPoint1").Content.toDouble(), 9.6);  // the file's, as loaded
         EXPECT_EQ(f.field("SetPoint1").GadStatus, "read");
         EXPECT_TRUE(f.rig.window().windowTitle().startsWith("plant.cfp"));
     }},
    // A read-out saved as the module sends it, without its point.
    {"OpenShowsTheReadOutWithItsDecimalPoint",
     kDevice,
     [](Flow& f) {
         f.read();
         f.saveAs("plant.cfp");
         f.kept = f.shown("Display").toUtf8();
         f.setInFile("plant.cfp", "Display", QByteArray(f.kept).replace('.', ""));
         f.edit("TagID", "PT-9");  // the form no longer shows the file
         f.open("plant.cfp");
     },
     "",
     {"Data have been changed! Save?"},
     [](Flow& f) {
         EXPECT_EQ(f.field("TagID").Content, f.field("TagIDAdm").Content);
         EXPECT_TRUE(QRegularExpression("^-?\\d+\\.\\d+$").match(QString(f.kept)).hasMatch())
             << f.kept.constData();
         EXPECT_EQ(f.shown("Display"), QString(f.kept));
     }},
    // The loop test and the fixed 4 and 20 mA points hold the current while
    // they run and lock the other functions; afterwards the device measures
    // again, the only things left in its memory are the trims, and the
    // trailing pointer the tests moved is cleared.
    {"LoopTestAndFixedCurrentsLeaveOnlyTheTrims",
     kDevice,
     [](Flow& f) {
         f.read();
         f.edit("ValLoopTestAdm", "8.5");
         f.press("BtnLoopStartStopAdm");
         EXPECT_EQ(
             f.look({"BtnLoopStartStop", "BtnLoopStartStopAdm", "ValLoopTest", "BtnSet4mAOnOff"}),
             "BtnLoopStartStop=Off, BtnLoopStartStopAdm=Off, ValLoopTest locked, "
             "BtnSet4mAOnOff=On locked");
         EXPECT_EQ(f.loop(), std::make_pair(8.5f, true));
         f.press("BtnLoopStartStop");
         // A trim needs its point on.
         EXPECT_EQ(f.look({"BtnLoopStartStopAdm", "ValLoopTest", "ValLoopTestAdm", "BtnSet4mA"}),
                   "BtnLoopStartStopAdm=On, ValLoopTest, ValLoopTestAdm, BtnSet4mA=Trim locked");
         EXPECT_FALSE(f.loop().second);
         EXPECT_EQ(f.changes(), "");
         f.press("BtnSet4mAOnOff");
         EXPECT_EQ(f.look({"BtnSet4mAOnOff", "BtnSet4mAOnOffu", "BtnSet20mAOnOff",
                           "BtnLoopStartStopAdm", "BtnSet4mA", "Val4mA"}),
                   "BtnSet4mAOnOff=Off, BtnSet4mAOnOffu=Off, BtnSet20mAOnOff=On locked, "
                   "BtnLoopStartStopAdm=On locked, BtnSet4mA=Trim, Val4mA");
         EXPECT_EQ(f.loop(), std::make_pair(4.0f, true));
         f.edit("Val4mA", "4.02");
         f.press("BtnSet4mA");
         f.press("BtnSet4mAOnOff");  // the second press gives the loop back
         f.press("BtnSet20mAOnOff");
         EXPECT_EQ(f.loop(), std::make_pair(20.0f, true));
         f.edit("Val20mA", "19.98");
         f.press("BtnSet20mA");
         f.press("BtnSet20mAOnOff");
         f.read();
         // The pointers the tests left: the trimmed 4 mA, the untrimmed 20 mA.
         EXPECT_EQ(f.field("LoTrail").RawVal + " " + f.field("HiTrail").RawVal, "3985 20011");
         f.press("BtnClearLowTrailing");
     },
     "transmitter.ram",  // the zero and gain trims' floats
     {kDone, kDone, kDone, kDone, kDone, kDone, kDone, kDone, kDone},
     [](Flow& f) {
         // A cleared pointer starts again from the (trimmed) 12 mA present,
         // shown without waiting for a live value.
         EXPECT_EQ(f.field("LoTrail").RawVal + " " + f.field("HiTrail").RawVal, "11998 20011");
         EXPECT_FALSE(f.shown("LoTrail").isEmpty());
         EXPECT_EQ(f.look({"BtnSet4mAOnOff", "BtnSet4mA", "BtnSet20mAOnOff", "BtnSet20mA"}),
                   "BtnSet4mAOnOff=On, BtnSet4mA=Trim locked, BtnSet20mAOnOff=On, "
                   "BtnSet20mA=Trim locked");
         EXPECT_FALSE(f.loop().second);
     },
     kAdministrator},
    // A device that refuses the fixed current leaves the window as it was
    // and says which command it refused and why; the failure ends the link,
    // so the device's functions wait for the next read.
    {"ARefusedLoopTestChangesNothingAndSaysWhy",
     kDevice + ",fault=error:16*3@40",
     readThenPress({"BtnLoopStartStop"}),
     "",
     {"Function failed! (Enter/Exit fixed current mode: access restricted (16))"},
     [](Flow& f) {
         EXPECT_EQ(f.look({"BtnLoopStartStop", "BtnLoopStartStopAdm", "ValLoopTest"}),
                   "BtnLoopStartStop=On locked, BtnLoopStartStopAdm=On locked, ValLoopTest");
         EXPECT_FALSE(f.loop().second);
     },
     kAdministrator},
    // Teaching a range end at the pressure present (8 bar, half the range)
    // moves in the device what the device moves, and the module takes the
    // new range over: the upper value comes down to it.
    {"TeachingTheUpperRangeEnd",
     kDevice,
     readThenPress({"BtnAdmTUR"}),
     "display.ram.12@13,14 transmitter.ram@51",
     {kConfirm, kDone},
     rangeShown(0, 8, "4.800"),
     kAdministrator},
    // The lower value goes up to it; the span would end at 24 bar, so the
    // device leaves the upper value at its sensor limit and warns.
    {"TeachingTheLowerRangeEndPushesTheUpperOneAndWarns",
     kDevice,
     readThenPress({"BtnTempTLR"}),
     "display.ram.12@11,12 transmitter.ram@56",
     {kConfirm,
      "Data transmitted (Set lower lange: new lower range value pushed the upper range value (14))",
      "The device carried out the function with a warning: Set lower lange: new lower range "
      "value pushed the upper range value (14)\nMeasuring range now: 8.0 [bar] ... 16.0 [bar]"},
     rangeShown(8, 16, "12.80"),
     kAdministrator},
    // 24 bar is beyond the sensor: the device refuses, nothing changes.
    {"TeachingARangeEndBeyondTheSensorIsRefused",
     "presence=both,hold=150",
     readThenPress({"BtnAdmTUR"}),
     "",
     {kConfirm, "Function failed! (Set upper range: applied process too high (9))"},
     rangeShown(0, 16, "9.600"),
     kAdministrator},
    // A teach of the display module takes the loop current present as its
    // point: the module keeps it for good (RAM and EEPROM) and nothing else
    // changes; the window reads the new calibration and says so. At 12 mA
    // (half the range) both points move by 8 mA, the span stays.
    {"TeachingTheDisplaysLowerRangeAtTheLoopCurrent",
     kDevice,
     displayTeach({{"", "BtnSetTeachLower"}}),
     "display.eeprom.13@1,2,3,4 display.ram.13@1,2,3,4",
     {kConfirm, kDone, kCalibrated},
     taughtPoints("12008 28008"),
     kAdministrator},
    // The 4 and 20 mA points at what the loop carries with the current
    // fixed (the DAC's error untrimmed).
    {"TeachingTheDisplays4And20mAPointsAtTheFixedCurrents",
     kDevice,
     displayTeach({{"BtnSet4mAOnOff", "BtnSet4mADisp"}, {"BtnSet20mAOnOff", "BtnSet20mADisp"}}),
     "display.eeprom.13@1,3 display.ram.13@1,3",
     {kDone, kDone, kCalibrated, kDone, kDone, kDone, kCalibrated, kDone},
     taughtPoints("4005 20011"),
     kAdministrator},
    // The factory setting stored before a change comes back with a
    // restore: display and transmitter hold again what they held.
    {"RestoreGivesBackTheStoredFactorySetting",
     kDevice,
     [](Flow& f) {
         f.read();
         f.kept = f.field("SetPoint1").Content.toUtf8();
         f.press("BtnFactSetStore");
         const QString stored = f.changes(true);
         f.edit("SetPoint1", "12.0");
         f.edit("Damping", "3.5");
         f.choose(menu::kWriteChanges);
         EXPECT_NE(f.changes(true), stored);
         f.press("BtnFactSetRestAdm");
     },
     "",
     {kConfirm, kDone, kConfirm, kDone},
     [](Flow& f) { EXPECT_EQ(f.field("SetPoint1").Content, QString(f.kept)); },  // read again
     kAdministrator},
    // The measured value present lands in the form as an entry of the
    // person's, marked changed for the next write: held at half the range.
    {"TheSwitchPointTakenFromTheDevice",
     kDevice + ",config=10",
     readThenPress({"BtnSetSwitchPoint"}),
     "",
     {kDone},
     [](Flow& f) {
         const double middle = (f.field("LowerRangeVal").Content.toDouble() +
                                f.field("UpperRangeVal").Content.toDouble()) /
                               2;
         EXPECT_NEAR(f.field("SwitchPoint").Content.toDouble(), middle, 0.1);
         EXPECT_EQ(f.field("SwitchPoint").ColorIndx, ColourChanged);
     },
     kAdministrator},
    // Write Config sends the transmitter's configuration and says what came
    // of it once its progress window has gone; Read Config gives back what
    // the transmitter holds over an entry not written.
    {"TransmitterWriteAndReadConfig",
     kDevice,
     [](Flow& f) {
         f.read();
         f.edit("Damping", "3.5");
         f.press("BtnWriteTransm");
         f.edit("Damping", "1.5");
         f.press("BtnReadTransm");
     },
     "transmitter.ram@59,60",  // the damping
     {kDone},
     [](Flow& f) { EXPECT_EQ(f.field("Damping").Content.toDouble(), 3.5); },
     kCustomizer},
    // The display commands of the Transmitter tab's list are carried out as
    // they say: what they change in the module (shown again in the window),
    // or the module's refusal in its words, after which they wait for the
    // next read.
    {"DisplayCommandsOfTheList",
     kDevice,
     [](Flow& f) {
         f.read();
         EXPECT_EQ(f.rig.gadgets.items(f.rig.control("CmbSelCmd")).size(), 16);
         f.send("Unhide factory setup menu");
         EXPECT_EQ(f.changes(true), "display.eeprom.1@1 display.ram.1@1");
         EXPECT_EQ(f.field("fs_CalibDone").RawVal, "0");
         // The factory setting of the configuration blocks (the same here),
         // the administration block as it is.
         f.send("ERASE ALL, Display");
         f.send("Hide factory setup menu");
         f.send("4 mA Punkt setzten");  // 12 mA flow: no 4 mA point
         EXPECT_EQ(f.look({"BtnSendCmd"}), "BtnSendCmd=Send Command locked");
         f.read();
         f.send("Clear Low Trailing Pointer");
         f.send("Display Button 2 (>1 sec)");
     },
     "",
     {kConfirm, kDone, kConfirm, kDone, kConfirm, kDone, kConfirm,
      "Function failed! (Function: Teach 4 mA: input too high (9))", kConfirm, kDone, kConfirm,
      kDone},
     [](Flow& f) { EXPECT_EQ(f.field("fs_CalibDone").RawVal, "1"); },
     kCustomizer},
    // Clear gives the table of the transmitter's configuration back, each
    // row at its tenth of the nominal range; the converter counts present
    // are taken into a row, and Fill completes the rows left empty between
    // the points set. The table is the window's own: nothing of it reaches
    // the device, not even with a write.
    {"ClearTakeAndFillTheAdjustmentTable",
     kDevice + ",config=3",
     [](Flow& f) {
         f.read();
         f.edit("ADC3", "123");
         f.press("BtnClrADC");
         EXPECT_EQ(f.field("ADC3").ColorIndx, ColourDefault);
         for (const char* row : {"ADC3", "ADC5", "ADC7"}) f.edit(row, "");
         f.press("BtnADC5");  // 800 at 12 bar, half the range
         f.press("BtnFillADC");
         f.kept = f.shown("MW3").toUtf8();  // at its tenth of the nominal range
         for (const char* name : {"ADC3", "ADC5", "ADC7"}) {
             f.kept += " " + f.shown(name).toUtf8();
             EXPECT_EQ(f.field(name).ColorIndx, ColourChanged) << name;
         }
         EXPECT_EQ(f.changes(), "");
         f.choose(menu::kWriteChanges);
     },
     "",
     {kDone},
     [](Flow& f) { EXPECT_EQ(QString(f.kept), "6.800 -9385 800 10615"); },
     kAdministrator},
    // Setup -> Device, then Read module, after a read of the whole device:
    // the parts are looked for anew. A display module fed by its
    // transmitter reads as the whole device did (a write of all of it
    // changes no byte); the transmitter alone leaves the module's values
    // shown but not as just read; a part the device lacks is named.
    {"TheDisplayOfTheWholeDevice",
     kMbarDevice,
     [](Flow& f) {
         chosenAndRead(menu::kConfigDisplay)(f);
         f.choose(menu::kWriteAll);
     },
     "",
     {},
     [](Flow& f) { EXPECT_EQ(f.rig.window().statusText(2), "Module: updated"); },
     kCustomizer},
    {"TheTransmitterOfTheWholeDevice",
     kMbarDevice,
     chosenAndRead(menu::kConfigTransmitter),
     "",
     {},
     [](Flow& f) {
         EXPECT_EQ(f.field("UpperRangeVal").ColorIndx, ColourRead);
         for (const char* name : {"SetPoint1", "ResetPoint2", "TagID"})
             EXPECT_EQ(f.field(name).ColorIndx, ColourDefault) << name;
         EXPECT_EQ(f.field("Display").Content, "---");  // the module's read-out was not read
     },
     kCustomizer},
    {"TheDisplayOfADeviceSwappedForATransmitterAlone",
     kMbarDevice,
     chosenAndRead(menu::kConfigDisplay, "presence=transmitter"),
     "",
     {"The connected device has no display module!"},
     {},
     kCustomizer},
    {"TheTransmitterOfADeviceSwappedForADisplayAlone",
     kMbarDevice,
     chosenAndRead(menu::kConfigTransmitter, "presence=display"),
     "",
     {"The connected device has no transmitter!"},
     {},
     kCustomizer},
    // Each choice on each kind of device as it starts (the part a device
    // lacks is named above); a choice of both on a device with one part is
    // refused as the wrong device.
    choiceOn("BothOnTheWholeDevice", "both", menu::kConfigAll, "", true, true),
    choiceOn("TransmitterOnATransmitter", "transmitter", menu::kConfigTransmitter, "", true, false),
    choiceOn("BothOnATransmitter", "transmitter", menu::kConfigAll,
             "Invalid device connected (transmitter)!", false, false),
    choiceOn("DisplayOnADisplay", "display", menu::kConfigDisplay, "", false, true),
    choiceOn("BothOnADisplay", "display", menu::kConfigAll, "Invalid device connected (display)!",
             false, false),
    // The device on the line is swapped for another maker's between two
    // reads: the second read names it at once and sends no command of ours
    // but the reads that look for our parts; the first device's data stay,
    // shown as no longer the module's.
    {"AReadAfterADeviceSwapChecksTheIdentityFirst",
     kMbarDevice,
     [](Flow& f) {
         f.read();
         f.kept = f.field("SetPoint1").Content.toUtf8();
         f.device("identity=hart7");
         f.rig.boxes.answer = QMessageBox::No;  // no universal view
         f.read();
     },
     "",
     {": not a device of this program; universal data only",
      "Show the universal data of this device?"},
     [](Flow& f) {
         // The device's first answer (to device()), then the read's.
         EXPECT_EQ(f.commands(), QStringList({"0", "0", "191", "141", "13"}));
         EXPECT_EQ(f.rig.program.state.DataTrigger, 0);
         EXPECT_EQ(f.field("SetPoint1").Content, QString(f.kept));
         EXPECT_EQ(f.field("SetPoint1").ColorIndx, ColourDefault);
         EXPECT_EQ(f.field("Display").Content, "---");
         EXPECT_EQ(f.rig.app->data().file.moduleState, 0);
     }},
    // Commands clicked while the live display polls: each goes out after
    // the exchange on the wire, not after the rest of the poll, with the
    // busy pointer meanwhile; Disconnect ends the polling there too.
    {"CommandsWhileTheLiveDisplayPollsComeNextOnTheWire",
     kDevice,
     [](Flow& f) {
         f.read();
         f.choose(menu::kConnect);
         Application& app = *f.rig.app;
         const std::function<bool()> poll = app.pollLiveValues;
         int exchanges = 0;
         const auto click = [&](int id) {
             ASSERT_TRUE(app.menus()->isItemEnabled(id)) << id;
             app.menus()->action(id)->trigger();
             ASSERT_TRUE(QApplication::overrideCursor());
             EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
         };
         app.pollLiveValues = [&] {
             // The clicks come while the exchange runs that this call makes.
             if (++exchanges == 2) {
                 f.kept = QByteArray::number(f.commands().size());
                 click(menu::kToolRead);
             } else if (exchanges == 5) {
                 click(menu::kDisconnect);
                 f.rig.gadgets.postMenuEvent(menu::kExit);
             }
             return poll();
         };
         // Should the polling stop early, the loop still ends.
         QTimer::singleShot(20000, &f.rig.window(),
                            [&f] { f.rig.gadgets.postMenuEvent(menu::kExit); });
         app.run();
         EXPECT_FALSE(QApplication::overrideCursor());
     },
     "",
     {},
     [](Flow& f) {
         const QStringList sent = f.commands().mid(f.kept.toInt());
         EXPECT_EQ(sent.mid(0, 2), QStringList({"1", "141"})) << qPrintable(sent.join(' '));
         EXPECT_EQ(sent.mid(sent.size() - 3), QStringList({"2", "191", "1"}))
             << qPrintable(sent.join(' '));
         EXPECT_FALSE(f.rig.program.state.DynamicDisplayOn);
     }},
};

class Workflows : public ::testing::TestWithParam<Workflow> {};

TEST_P(Workflows, DeviceFormAndFilesEndAsTheyShould) {
    const Workflow& w = GetParam();
    Flow f(w.profile);
    f.device(w.device);
    ASSERT_TRUE(f.rig.app->buildMainWindow(0));
    w.steps(f);
    EXPECT_EQ(f.changes(w.memory.contains('@')), w.memory);
    const QStringList& shown = f.rig.boxes.shown;
    EXPECT_EQ(shown.size(), static_cast<int>(w.messages.size())) << qPrintable(shown.join('|'));
    for (std::size_t i = 0; i < w.messages.size() && i < std::size_t(shown.size()); ++i)
        EXPECT_TRUE(shown.at(int(i)).contains(QLatin1String(w.messages[i])))
            << qPrintable(shown.at(int(i)));
    if (w.check) w.check(f);
}

INSTANTIATE_TEST_SUITE_P(Window, Workflows, ::testing::ValuesIn(kWorkflows),
                         [](const ::testing::TestParamInfo<Workflow>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace zh
