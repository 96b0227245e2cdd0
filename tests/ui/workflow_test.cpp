// The window's everyday workflows as a person goes through them, one row
// each: the program starts on a simulated device whose memories live in a
// state file, the steps choose menu entries (only enabled ones), answer the
// requesters and boxes and may change the device on the line; then the
// device's memory is held against what it was, the boxes shown against the
// row's, and the row checks the form and the files.

#include <QFile>
#include <QRegularExpression>
#include <functional>
#include <string>
#include <vector>

#include "app_rig.h"
#include "hart/link_library.h"
#include "model/field_record.h"

namespace zh {
namespace {

// The program with its window and the device on its "Sim" port.
class Flow {
  public:
    explicit Flow(const QList<QPair<QByteArray, QByteArray>>& profile) : rig("ZEL-HART", profile) {}

    // A device of its own with `options` on the line from now on; its memory
    // now is the "before" of the row.
    void device(const QByteArray& options) {
        state = rig.dir.filePath(QStringLiteral("device%1.state").arg(++devices_));
        qputenv("HARTSIM_OPTIONS", options + ",state=" + state.toUtf8());
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
        while (const std::optional<WindowEvent> e = rig.gadgets.waitEvent(0)) rig.app->dispatch(*e);
        QApplication::processEvents();
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
        EXPECT_EQ(rig.app->applicationCheck().UpdApplGadget(0, field, value), value) << field;
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
    QString shown(const char* name) const { return rig.gadgets.text(rig.field(name).GadID); }
    // The memories that changed since device(), without the places.
    QString changes() const {
        const std::string d = hartsim::describeDifferences(
            hartsim::configurationDifferences(before, deviceMemory(state)));
        return QString::fromStdString(d).remove(QRegularExpression(QStringLiteral("@[0-9,]+")));
    }

    AppRig rig;
    QString state;
    hartsim::Memory before;
    QByteArray kept;  // whatever a row keeps for its check

  private:
    int devices_ = 0;
};

struct Workflow {
    const char* name;
    QByteArray device;  // the options of the device the steps begin on
    std::function<void(Flow&)> steps;
    QString memory;                     // the memories that change ("" none)
    std::vector<const char*> messages;  // a part of each box shown, in order
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
         f.choose(menu::kWriteAll);
     },
     "",
     {},
     [](Flow& f) { EXPECT_EQ(f.rig.window().statusText(2), "Module: updated"); }},
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
     {{"UserMode=user", "UserMode=customizer"}}},
    {"ReadThenWriteAll",
     kDevice,
     [](Flow& f) {
         f.read();
         f.choose(menu::kWriteAll);
     },
     "",
     {},
     [](Flow& f) {
         for (const char* name : {"DampingAdm", "LowerRangeVal", "ADCByte3", "SetPoint1"})
             EXPECT_EQ(f.field(name).GadStatus, "updated") << name;
     },
     {{"UserMode=user", "UserMode=customizer"}}},
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
};

class Workflows : public ::testing::TestWithParam<Workflow> {};

TEST_P(Workflows, DeviceFormAndFilesEndAsTheyShould) {
    const Workflow& w = GetParam();
    Flow f(w.profile);
    f.device(w.device);
    ASSERT_TRUE(f.rig.app->VANTOMain(0));
    w.steps(f);
    EXPECT_EQ(f.changes(), w.memory);
    const QStringList& shown = f.rig.boxes.texts;
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
