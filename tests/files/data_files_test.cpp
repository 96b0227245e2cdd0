// Data files: the format written and read back, files that must be refused,
// the safe replacement of the previous file, paths, the overwrite question
// and the save request.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <map>

#include "files/data_commands.h"
#include "files/data_file.h"
#include "files/file_operation.h"
#include "model/device_model.h"
#include "model/field_definitions.h"
#include "support/test_program.h"

namespace zh {
namespace {

using test::TestProgram;

class DataFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        t.usePressureProfile();
        AppState& st = t.program.state;
        st.FileExtensions = "Pressure (*.cfp)|*.cfp|Temperature (*.cft)|*.cft";
        st.DataTrigger = 0;
        m.cal.Measurand = "Pressure";
        defineDataStructure(m, "[bar]", 0, -11);
        QDir().mkpath(t.path("data"));
    }
    FieldRecord& field(const QString& name) { return m.fields.at(m.fields.find(name)); }
    std::map<QString, QString> savedContents() {
        std::map<QString, QString> out;
        for (const QString& n : m.fields.definedNames().split(';', Qt::SkipEmptyParts))
            if (isSavedField(s, field(n))) {
                // Measurand fields are saved as their base value: the number comes back, not its
                // spelling.
                const FieldRecord& f = field(n);
                const bool number = m.measurandFields.contains(n) && !f.Content.isEmpty();
                out[n] =
                    (number ? QString::number(f.Content.toDouble()) : f.Content) + "|" + f.GadUnit;
            }
        return out;
    }
    // The path chosen, or why there is none.
    static QString outcome(const FileChoice& c) {
        if (!c.failure) return c.path;
        switch (*c.failure) {
            case FileFailure::Cancelled:
                return "cancelled";
            case FileFailure::BadFileName:
                return "bad file name";
            case FileFailure::CannotWrite:
                return "can't write file";
            case FileFailure::NoWriteFunction:
                return "no write function";
            case FileFailure::CannotOpen:
                return "can't open file";
            case FileFailure::CannotRead:
                break;
        }
        return "can't read file";
    }
    QString saveAs(const QString& answer) {
        t.dialogs.fileAnswers.push_back(answer);
        return outcome(fileOperation(
            s, FileAction::SaveAs, "Pressure (*.cfp)|*.cfp",
            [this](const QString& f, const QString& name) { return writeDataFile(s, f, name); },
            nullptr));
    }
    int open(const QString& answer) {
        t.dialogs.fileAnswers.push_back(answer);
        return chooseAndOpenData(s);
    }
    QByteArray bytes(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The file's text with Unix line ends.
    QByteArray text(const QString& path) { return bytes(path).replace("\r", ""); }
    QString lastBox() const {
        return t.dialogs.boxes.empty() ? QString() : t.dialogs.boxes.back().text;
    }

    TestProgram t;
    DeviceModel m{t.program};
    DataSession s{m};
};

TEST_F(DataFilesTest, WrittenFileRestoresEverySavedField) {
    field("SetPoint1").Content = "250.5";
    field("SetPoint1").BaseValue = "250.5";
    field("SetPoint1").BaseUnit = "[bar]";
    field("TagID").Content = "LINE-7 ÄÖ;x=y";
    field("Damping").Content = "0";
    field("NominalRangeHigh").Content = "-0.001";
    field("Unit").Content = "2";
    m.cal.CalNomHi = 0.6f;
    m.cal.CalNomLow = -0.4f;
    m.cal.CalDPlow = 0.6f;
    const auto before = savedContents();
    const QString path = t.path("data/plant.cfp");
    ASSERT_EQ(saveAs(path), path);

    const QByteArray text = this->text(path);
    EXPECT_TRUE(text.startsWith("[plant.cfp]")) << text.left(40).toStdString();
    EXPECT_TRUE(text.contains("CalNominalRangeHigh=1\n"));  // whole numbers
    EXPECT_TRUE(text.contains("CalLowerRangeVal=0.6\n"));   // keeps its decimals
    EXPECT_TRUE(text.contains("SetPoint1=250.5[bar]\n"));   // base value and unit
    EXPECT_TRUE(text.contains("Unit=2 (PSI)\n"));           // option index and text
    EXPECT_TRUE(text.contains("Transmitter/Display=auto\n"));
    EXPECT_FALSE(text.contains("fs_CalibDone"));
    EXPECT_FALSE(text.contains("TempUpper"));  // TEMPERATURE; field with kind 0
    EXPECT_FALSE(QFile::exists(path + ".tmp"));

    defineDataStructure(m, "[bar]", 0, -11);  // back to defaults
    ASSERT_NE(savedContents(), before);
    t.program.state.DataTrigger = -1;
    ASSERT_EQ(open(path), 1) << lastBox().toStdString();
    const auto after = savedContents();
    // Every value comes back; a number may come back spelled with the
    // calibration's decimals ("10.0" as "10.00"), never as another number.
    for (const auto& [name, value] : before) {
        const QString got = after.at(name);
        if (got == value) continue;
        bool a = false, b = false;
        const double x = got.section('|', 0, 0).toDouble(&a);
        const double y = value.section('|', 0, 0).toDouble(&b);
        EXPECT_TRUE(a && b && x == y && got.section('|', 1) == value.section('|', 1))
            << name.toStdString() << ": " << got.toStdString() << " vs " << value.toStdString();
    }
    EXPECT_EQ(field("SetPoint1").BaseValue, "250.5");
    EXPECT_EQ(t.program.state.DataTrigger, 0);
    EXPECT_EQ(s.file.currentFile, path);
}

TEST_F(DataFilesTest, DisplayModeLeavesOutTransmitterFields) {
    t.program.state.TransmitterDisplay = "display";
    const QString path = t.path("data/d.cfp");
    ASSERT_EQ(saveAs(path), path);
    const QByteArray text = this->text(path);
    EXPECT_FALSE(text.contains("\nCmbSelCmd="));
    EXPECT_FALSE(text.contains("\nTMeasRangeHigh="));
    EXPECT_TRUE(text.contains("\nSetPoint1="));
}

TEST_F(DataFilesTest, OpeningUsesTheFirstSectionWhateverItsName) {
    field("TagID").Content = "RENAMED";
    // Brackets in the name cannot end the section header early.
    const QString path = t.path("data/PT-101 [old].cfp");
    ASSERT_EQ(saveAs(path), path);
    EXPECT_TRUE(text(path).startsWith("[PT-101 [old&sbc;.cfp]\nVersion/Date="))
        << text(path).left(60).toStdString();
    field("TagID").Content = "other";
    ASSERT_EQ(open(path), 1) << lastBox().toStdString();
    EXPECT_EQ(field("TagID").Content, "RENAMED");
    ASSERT_TRUE(QFile::rename(path, t.path("data/b.cfp")));
    field("TagID").Content = "other";
    ASSERT_EQ(open(t.path("data/b.cfp")), 1) << lastBox().toStdString();
    EXPECT_EQ(field("TagID").Content, "RENAMED");
}

// The range fields work in the calibration unit: a file that saved them in
// another unit comes back converted, and the file's own configuration
// values are not replaced by a catalogue entry.
TEST_F(DataFilesTest, OpenedRangesArriveInTheCalibrationUnit) {
    const QString path = t.path("data/mbar.cfp");
    ASSERT_EQ(saveAs(path), path);
    QByteArray text = bytes(path);
    QByteArray edited;
    for (const QByteArray& line : text.split('\n')) {
        if (line.startsWith("NominalRangeHigh="))
            edited += "NominalRangeHigh=16000[mbar]\r";
        else if (line.startsWith("ADCByte3="))
            edited += "ADCByte3=77\r";
        else
            edited += line;
        edited += '\n';
    }
    edited.chop(1);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(edited);
    f.close();
    ASSERT_EQ(open(path), 1) << lastBox().toStdString();
    EXPECT_DOUBLE_EQ(field("NominalRangeHigh").Content.toDouble(), 16.0);
    EXPECT_EQ(field("NominalRangeHigh").GadUnit, "[bar]");
    EXPECT_EQ(field("ADCByte3").Content, "77");
}

TEST_F(DataFilesTest, DamagedFilesAreRefusedAndChangeNothing) {
    field("TagID").Content = "GOOD";
    const QString good = t.path("data/good.cfp");
    ASSERT_EQ(saveAs(good), good);
    const QByteArray text = bytes(good);
    const QByteArray withSetPoint = QByteArray(text).replace("SetPoint1=", "SetPoint1=1e300");
    const std::map<std::string, QByteArray> damaged{
        {"truncated", text.left(text.size() / 2 - 3)},
        {"binary", QByteArray("\x7f"
                              "ELF\0\0\x01\x02[x]\n",
                              13)},
        {"no section", "Version/Date=1\nTagID=X\n"},
        {"absurd number", QByteArray(text).replace("\nHysteresis=", "\nHysteresis=abc")},
        {"infinite set point", QByteArray(text).replace("SetPoint1=", "SetPoint1=inf")},
        {"huge", withSetPoint},
        {"absurd header", QByteArray(text).replace("CalDecimalPoint=", "CalDecimalPoint=9")},
        {"empty range", QByteArray(text).replace("CalNominalRangeHigh=", "CalNominalRangeHigh=-1")},
        {"cut at a line end", text.left(text.indexOf('\n', text.size() / 2) + 1)},
        {"flipped key", QByteArray(text)
                            .replace("\nAGW1=", "\nAGW\x31\x01=")
                            .replace("\nIntSerIO=", "\nIntSerIP=")},
        {"option beyond its list", QByteArray(text)
                                       .replace("\nUnit=", "\nUnit=77 (")
                                       .replace("\nDecimalPoint=", "\nDecimalPoint=-2")},
        {"beyond its digits", QByteArray(text)
                                  .replace("\nCurrentOn=", "\nCurrentOn=10")
                                  .replace("\nTagID=", "\nTagID=12345678901234567")},
        // Sound against the current table, refused by the one rebuilt for its header.
        {"unknown base unit", QByteArray(text)
                                  .replace("BaseUnit=[bar]", "BaseUnit=[bar0")
                                  .replace("IntSerIO=0", "IntSerIO=1")},
    };
    field("TagID").Content = "EDITED";
    t.program.state.DataChanged = false;
    const auto before = savedContents();
    const DataFileState file = s.file;
    std::map<std::string, QString> files;
    for (const auto& [what, content] : damaged) {
        files[what] = t.path(QString("data/bad %1.cfp").arg(QString::fromStdString(what)));
        QFile f(files[what]);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    // Neither a pipe nor a device is opened: either would never end.
    files["pipe"] = t.path("data/bad pipe.cfp");
    ASSERT_EQ(::mkfifo(QFile::encodeName(files["pipe"]).constData(), 0600), 0);
    files["device"] = t.path("data/bad device.cfp");
    ASSERT_TRUE(QFile::link("/dev/zero", files["device"]));
    for (const auto& [what, path] : files) {
        const size_t shown = t.dialogs.boxes.size();
        EXPECT_EQ(open(path), 0) << what;
        ASSERT_EQ(t.dialogs.boxes.size(), shown + 1) << what;
        const QString cannotOpen = "can't open file " + path + ": ";  // refused before it is opened
        EXPECT_TRUE(lastBox().startsWith(path + ": ") || lastBox().startsWith(cannotOpen))
            << what << ": " << lastBox().toStdString();
        if (what == "empty range") {
            EXPECT_TRUE(lastBox().contains("CalNominalRange")) << lastBox().toStdString();
        }
        if (what == "absurd number") {
            EXPECT_TRUE(lastBox().contains("Hysteresis=abc")) << lastBox().toStdString();
        }
        // Every bad field is named, in one message.
        const std::map<std::string, QStringList> named{
            {"flipped key", {"AGW1 missing", "IntSerIO missing"}},
            {"option beyond its list", {"Unit=77", "DecimalPoint=-2"}},
            {"beyond its digits", {"CurrentOn=104", "TagID=12345678901234567"}},
        };
        if (named.count(what)) {
            for (const QString& n : named.at(what))
                EXPECT_TRUE(lastBox().contains(n)) << what << ": " << lastBox().toStdString();
        }
        EXPECT_EQ(savedContents(), before) << what;
        EXPECT_EQ(s.file.currentFile, file.currentFile) << what;
        EXPECT_EQ(t.program.state.DataTrigger, 0) << what;
    }
}

TEST_F(DataFilesTest, IncompatibleModeAndUnknownExtensionAreRefused) {
    const QString path = t.path("data/t.cfp");
    t.program.state.TransmitterDisplay = "transmitter";
    ASSERT_EQ(saveAs(path), path);
    t.program.state.TransmitterDisplay = "display";
    EXPECT_EQ(open(path), 0);
    EXPECT_EQ(lastBox(), "Incompatible configurations Transmitter/Display: display & transmitter!");

    t.writeFile("data/x.abc", "[x.abc]\n");
    EXPECT_EQ(open(t.path("data/x.abc")), 0);
    EXPECT_EQ(lastBox(), "Invalid file extension: .abc");
}

class FailedSaveTest : public DataFilesTest {
  protected:
    void SetUp() override {
        DataFilesTest::SetUp();
        field("TagID").Content = "FIRST";
        target = t.path("data/keep.cfp");
        ASSERT_EQ(saveAs(target), target);
        previous = bytes(target);
        field("TagID").Content = "SECOND";
        t.program.state.DataTrigger = 0;
        t.program.state.DataChanged = true;
    }
    void expectPreviousFileIntact(const char* what) {
        EXPECT_EQ(bytes(target), previous) << what;
        EXPECT_EQ(QDir(t.path("data")).entryList({"*.tmp"}, QDir::AllEntries | QDir::Hidden),
                  QStringList())
            << what;
        EXPECT_EQ(t.program.state.DataTrigger, 0) << what;
        EXPECT_TRUE(t.program.state.DataChanged) << what;
    }
    QString target;
    QByteArray previous;
};

TEST_F(FailedSaveTest, WriteFailureKeepsThePreviousFile) {
    t.program.ini.setReadOnly(true);  // every writeData fails
    EXPECT_EQ(storeData(s, StoreTarget::File), 0);
    EXPECT_EQ(lastBox(), "can't write file " + target);
    t.program.ini.setReadOnly(false);
    expectPreviousFileIntact("store refuses writes");

    // A routine that writes part of the file and then fails.
    const QString r = outcome(fileOperation(
        s, FileAction::Save, "Pressure (*.cfp)|*.cfp",
        [](const QString& tmp, const QString&) {
            QFile f(tmp);
            f.open(QIODevice::WriteOnly);
            f.write("[keep.cfp]\nTagID=HA");
            return 0;
        },
        nullptr));
    EXPECT_EQ(r, "can't write file");
    expectPreviousFileIntact("partial write");

    // A routine that reports success but wrote nothing.
    EXPECT_EQ(
        outcome(fileOperation(
            s, FileAction::Save, "", [](const QString&, const QString&) { return 1; }, nullptr)),
        "can't write file");
    expectPreviousFileIntact("nothing written");

    // A write-protected file (chmod 444) stays, even for root.
    QFile::setPermissions(target,
                          QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    EXPECT_EQ(storeData(s, StoreTarget::File), 0);
    EXPECT_TRUE(lastBox().endsWith("write-protected")) << lastBox().toStdString();
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    expectPreviousFileIntact("write-protected file");
}

// The temporary file has a name of its own: a folder of the person's under
// the name "<file>.tmp" is neither in the way nor touched.
TEST_F(FailedSaveTest, AFolderNamedLikeATemporaryFileIsLeftAlone) {
    ASSERT_TRUE(QDir().mkpath(target + ".tmp/inside"));
    EXPECT_EQ(storeData(s, StoreTarget::File), 1) << lastBox().toStdString();
    EXPECT_TRUE(text(target).contains("\nTagID=SECOND\n"));
    EXPECT_TRUE(QFileInfo(target + ".tmp/inside").isDir());
}

TEST_F(FailedSaveTest, ReadOnlyDirectoryKeepsThePreviousFile) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    QFile::setPermissions(t.path("data"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    t.dialogs.boxAnswers = {mb::ResultNo};
    EXPECT_EQ(storeData(s, StoreTarget::File), 0);
    QFile::setPermissions(t.path("data"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    expectPreviousFileIntact("read-only folder");
}

TEST_F(FailedSaveTest, HalfWrittenTemporaryFileNeverReplacesTheTarget) {
    // What an interrupted save of an earlier version left behind, or a file
    // of the person's own: either way it is not the program's to remove.
    const QByteArray leftOver = "[keep.cfp]\nVersion/Date=V 0.9.129/20";
    t.writeFile("data/keep.cfp.tmp", leftOver);
    EXPECT_EQ(bytes(target), previous);
    field("TagID").Content = "OTHER";
    t.dialogs.boxAnswers = {mb::ResultNo};
    ASSERT_EQ(open(target), 0);  // unsaved changes: the question is answered No
    t.program.state.DataChanged = false;
    ASSERT_EQ(open(target), 1) << lastBox().toStdString();
    EXPECT_EQ(field("TagID").Content, "FIRST");

    field("TagID").Content = "THIRD";
    ASSERT_EQ(storeData(s, StoreTarget::File), 1) << lastBox().toStdString();
    EXPECT_EQ(bytes(target + ".tmp"), leftOver);
    EXPECT_TRUE(text(target).contains("\nTagID=THIRD\n"));
    EXPECT_EQ(t.program.state.DataTrigger, 1);
    EXPECT_FALSE(t.program.state.DataChanged);
}

TEST_F(DataFilesTest, RelativeAndAbsolutePathsKeepTheirOwnName) {
    s.file.currentDir = t.path("data") + "/";
    s.file.currentFile = "current.cfp";
    EXPECT_EQ(resolveDataPath(s, "other.cfp.tmp"), t.path("data/other.cfp.tmp"));
    EXPECT_EQ(resolveDataPath(s, "sub\\x.cfp"), t.path("data/sub\\x.cfp"));  // one name
    EXPECT_EQ(resolveDataPath(s, ""), t.path("data/current.cfp"));
    EXPECT_EQ(resolveDataPath(s, "/abs/y.cfp"), "/abs/y.cfp");
    s.file.currentDir = ".\\";
    EXPECT_EQ(resolveDataPath(s, "z.cfp"), t.path("z.cfp"));

    // A relative answer is written under its own name in the current directory.
    s.file.currentDir = t.path("data") + "/";
    ASSERT_EQ(saveAs("rel"), t.path("data/rel.cfp"));  // extension from the pattern
    EXPECT_TRUE(bytes(t.path("data/rel.cfp")).startsWith("[rel.cfp]"));
    EXPECT_FALSE(QFile::exists(t.path("data/current.cfp")));
    EXPECT_EQ(s.file.currentFile, t.path("data/rel.cfp"));
    EXPECT_EQ(writeDataFile(s, "direct.cfp.tmp"), 1);
    EXPECT_TRUE(bytes(t.path("data/direct.cfp.tmp")).startsWith("[direct.cfp]"));
}

// Every name given to Save as either gives a file that Open loads back, or
// is refused, saying why; no other file of the folder is removed or replaced.
TEST_F(DataFilesTest, SavedUnderANameOpenTakesBackOrRefused) {
    struct Row {
        const char* what;
        QString answer;
        QString saved;    // relative to data/; "" when refused
        QString refusal;  // the end of the message
    };
    const QString longName = QString(250, 'n');
    const std::vector<Row> rows{
        {"no extension", "plain", "plain.cfp", ""},
        {"another extension", "a.txt", "", "a.txt: the name must end in .cfp"},
        {"a bracket after the extension", "x.hrt]", "", "x.hrt]: the name must end in .cfp"},
        {"the other measurand's", "t.cft", "", "t.cft: the name must end in .cfp"},
        {"blanks around the answer", " trail space.cfp ", "trail space.cfp", ""},
        {"the root folder", "/", "", "/: it names a folder, not a file"},
        {"a folder", "sub/", "", "sub/: it names a folder, not a file"},
        {"a folder with the extension", "dir.cfp", "", "dir.cfp: it names a folder, not a file"},
        {"only an extension", ".cfp", "", ".cfp: the name has nothing before its extension"},
        {"a backslash", "sub\\x", "",
         "sub\\x: a file name may not hold a backslash, folders are separated by /"},
        {"a line break", "a\nb", "", "a\nb: a file name may not hold control characters"},
        {"a pattern", "*.cfp", "", "*.cfp: a file name may not hold * or ?"},
        {"254 characters", longName, longName + ".cfp", ""},
        {"256 characters", longName + "xx", "",
         longName + "xx: the name is longer than a folder takes (255 bytes)"},
        {"beside a file of its name + .tmp", "own.cfp", "own.cfp", ""},
        {"a link", "link.cfp", "link.cfp", ""},
    };
    QDir().mkpath(t.path("data/sub"));
    QDir().mkpath(t.path("data/dir.cfp"));
    t.writeFile("data/own.cfp.tmp", "the person's own");
    t.writeFile("data/real.cfp", "[real.cfp]\nTagID=OLD\n");
    ASSERT_TRUE(QFile::setPermissions(t.path("data/real.cfp"), QFileDevice::ReadOwner |
                                                                   QFileDevice::WriteOwner |
                                                                   QFileDevice::ReadGroup));
    ASSERT_TRUE(QFile::link("real.cfp", t.path("data/link.cfp")));
    s.file.currentDir = t.path("data") + "/";
    // The folder's entries and contents; a link as its target.
    const auto folder = [this] {
        std::map<QString, QByteArray> files;
        for (const QFileInfo& f : QDir(t.path("data"))
                                      .entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                     QDir::NoDotAndDotDot | QDir::System))
            files[f.fileName()] = f.isSymLink() ? "-> " + f.symLinkTarget().toUtf8()
                                  : f.isDir()   ? "<dir>"
                                                : bytes(f.filePath());
        return files;
    };
    for (const Row& row : rows) {
        auto before = folder();
        t.dialogs.boxAnswers = {mb::ResultOk};  // "File exists, overwrite?"
        field("TagID").Content = "NEW";
        const QString result = saveAs(row.answer);
        auto after = folder();
        if (row.saved.isEmpty()) {
            EXPECT_EQ(result, "bad file name") << row.what;
            EXPECT_EQ(lastBox(), row.refusal) << row.what;
            EXPECT_EQ(after, before) << row.what;
            continue;
        }
        const QString path = t.path("data/" + row.saved);
        ASSERT_EQ(result, path) << row.what << ": " << lastBox().toStdString();
        EXPECT_EQ(s.file.currentFile, path) << row.what;
        // Only the file saved (or, through a link, the file it leads to) changed.
        const QString written = row.saved == "link.cfp" ? "real.cfp" : row.saved;
        EXPECT_TRUE(text(t.path("data/" + written)).contains("\nTagID=NEW\n")) << row.what;
        before.erase(written);
        after.erase(written);
        EXPECT_EQ(after, before) << row.what;
        field("TagID").Content = "OTHER";
        t.program.state.DataChanged = false;
        ASSERT_EQ(open(path), 1) << row.what << ": " << lastBox().toStdString();
        EXPECT_EQ(field("TagID").Content, "NEW") << row.what;
    }
    EXPECT_TRUE(QFileInfo(t.path("data/link.cfp")).isSymLink());
    const QFileDevice::Permissions user =
        QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;
    EXPECT_EQ(QFileInfo(t.path("data/real.cfp")).permissions() & ~user,
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    EXPECT_EQ(bytes(t.path("data/own.cfp.tmp")), "the person's own");
}

TEST_F(DataFilesTest, OverwriteQuestion) {
    const QString path = t.path("data/exists.cfp");
    t.writeFile("data/exists.cfp", "[exists.cfp]\nTagID=OLD\n");
    t.dialogs.boxAnswers = {mb::ResultCancel};
    EXPECT_EQ(saveAs(path), "cancelled");
    EXPECT_EQ(t.dialogs.boxes.back().text, "File exists, overwrite?");
    EXPECT_EQ(t.dialogs.boxes.back().flags, mb::OkCancel | mb::IconExclamation);
    EXPECT_EQ(bytes(path), "[exists.cfp]\nTagID=OLD\n");  // untouched
    EXPECT_EQ(s.file.currentFile, "*.cfp");

    t.dialogs.boxAnswers = {mb::ResultOk};
    EXPECT_EQ(saveAs(path), path);
    EXPECT_TRUE(bytes(path).contains("Version/Date="));
    // Saving again to the current file asks nothing.
    const size_t shown = t.dialogs.boxes.size();
    EXPECT_EQ(
        outcome(fileOperation(
            s, FileAction::Save, "",
            [this](const QString& f, const QString& name) { return writeDataFile(s, f, name); },
            nullptr)),
        path);
    EXPECT_EQ(t.dialogs.boxes.size(), shown);

    t.dialogs.fileAnswers.push_back("");
    EXPECT_EQ(
        outcome(fileOperation(
            s, FileAction::SaveAs, "", [](const QString&, const QString&) { return 1; }, nullptr)),
        "cancelled");
    EXPECT_EQ(outcome(fileOperation(s, FileAction::Save, "", nullptr, nullptr)),
              "no write function");
}

TEST_F(DataFilesTest, NonNumbersAreNeverSaved) {
    const QString path = t.path("data/nan.cfp");
    field("HiTrail").Content = field("HiTrail").BaseValue =
        "-";  // read-out without a value: left out
    ASSERT_EQ(saveAs(path), path);
    EXPECT_FALSE(text(path).contains("\nHiTrail="));
    const QByteArray previous = bytes(path);

    field("SetPoint1").BaseValue = "nan";  // an editable field: the save is refused
    EXPECT_EQ(
        outcome(fileOperation(
            s, FileAction::Save, "",
            [this](const QString& f, const QString& name) { return writeDataFile(s, f, name); },
            nullptr)),
        "can't write file");
    EXPECT_TRUE(t.dialogs.boxes[t.dialogs.boxes.size() - 2].text.startsWith(
        "SetPoint1 holds no valid number (nan"));
    EXPECT_EQ(bytes(path), previous);
}

TEST_F(DataFilesTest, SaveRequestNamesWhatIsPending) {
    AppState& st = t.program.state;
    st.DataChanged = true;
    EXPECT_EQ(saveRequest(s, 1, 1, "File", "", -1), 1);  // both up to date
    st.SaveRequestTargets = "";
    EXPECT_EQ(saveRequest(s, 0, 0, "File", "", -1), 1);  // question switched off
    EXPECT_TRUE(t.dialogs.boxes.empty());

    st.SaveRequestTargets = "File;Module";
    t.dialogs.boxAnswers = {mb::ResultYes, mb::ResultNo, mb::ResultNo};
    EXPECT_EQ(saveRequest(s, 0, 0, "File", "", -1), 1);
    EXPECT_EQ(t.dialogs.boxes.back().text,
              "Data have been changed! Save?\r - File not updated!\r - Module not "
              "updated\r\rContinue without update?");
    EXPECT_EQ(saveRequest(s, 1, 0, "File", "Quit?", -1), 0);
    EXPECT_EQ(t.dialogs.boxes.back().text,
              "Data have been changed! Save?\r - Module not updated\r\rQuit?");
    EXPECT_EQ(saveRequest(s, 0, 1, "File", "", mb::YesNo), mb::ResultNo);  // raw button code

    // fileOperation goes on when nothing is pending, and stops at No.
    s.file.moduleState = 1;
    st.DataTrigger = 1;
    EXPECT_EQ(outcome(fileOperation(s, FileAction::New, "", nullptr, nullptr)), "");
    st.DataTrigger = 0;
    t.dialogs.boxAnswers = {mb::ResultNo};
    EXPECT_EQ(outcome(fileOperation(s, FileAction::New, "", nullptr, nullptr)), "cancelled");
    t.dialogs.boxAnswers = {mb::ResultNo};
    EXPECT_EQ(startNewData(s, "Pressure"), 0);
    EXPECT_TRUE(st.DataChanged);
    t.dialogs.boxAnswers = {mb::ResultYes};
    EXPECT_EQ(startNewData(s, "Pressure"), 1);
    EXPECT_FALSE(st.DataChanged);
    EXPECT_EQ(s.file.currentFile, "*.cfp");
}

TEST_F(DataFilesTest, StoreNeedsDataAndValidWindowValues) {
    t.program.state.DataTrigger = -1;
    EXPECT_EQ(storeData(s, StoreTarget::File), 0);
    EXPECT_EQ(lastBox(), "No file available");
    t.program.state.DataTrigger = 0;
    s.window.takeWindowValues = [] { return false; };
    EXPECT_EQ(storeData(s, StoreTarget::File), 0);
    EXPECT_EQ(lastBox(), "Invalid data!");
    EXPECT_TRUE(t.dialogs.requesters.isEmpty());
}

}  // namespace
}  // namespace zh
