// The batch commands end to end over a pseudo-terminal: read a device into
// a data file, change the file, write it back, read again. The simulator's
// frame log shows which commands reached the device.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>

#include "sim/memory_file.h"

namespace {

class BatchCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        frameLog = dir.filePath(QStringLiteral("frames.log"));
        QStringList arguments{QStringLiteral("--pty"), QStringLiteral("--seconds"),
                              QStringLiteral("120"), QStringLiteral("--log"), frameLog};
        if (!options.isEmpty()) arguments << QStringLiteral("--options") << options;
        sim.start(QStringLiteral(ZH_PROGRAM_DIR "/hartsim"), arguments);
        ASSERT_TRUE(sim.waitForStarted(5000));
        ASSERT_TRUE(sim.waitForReadyRead(5000));
        port = QString::fromLocal8Bit(sim.readLine()).trimmed();
        ASSERT_FALSE(port.isEmpty());
    }
    void TearDown() override {
        sim.terminate();
        if (!sim.waitForFinished(3000)) sim.kill();
        sim.waitForFinished(3000);
    }
    int run(const QStringList& arguments, QString* out = nullptr) {
        QProcess program;
        program.setWorkingDirectory(dir.path());
        // The device history goes into the test's folder, not beside the program.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(mergedOutput ? QProcess::MergedChannels
                                                   : QProcess::SeparateChannels);
        if (!locale.isEmpty()) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("LC_ALL"), locale);
            program.setProcessEnvironment(environment);
        }
        program.start(executable, arguments);
        program.waitForFinished(60000);
        if (out) *out = QString::fromLocal8Bit(program.readAllStandardOutput());
        return program.exitCode();
    }
    // The commands the device received since the last call.
    QStringList receivedCommands() {
        QFile f(frameLog);
        if (!f.open(QIODevice::ReadOnly)) return {};
        f.seek(logRead);
        const QString text = QString::fromLatin1(f.readAll());
        logRead = f.pos();
        QStringList commands;
        // "RX FF .. FF 82 <5 address bytes> <command> ..." for long frames.
        static const QRegularExpression longFrame(
            QStringLiteral("RX (?:FF )+82 (?:[0-9A-F]{2} ){5}([0-9A-F]{2})"));
        for (auto it = longFrame.globalMatch(text); it.hasNext();) {
            commands << QString::number(it.next().captured(1).toInt(nullptr, 16));
        }
        return commands;
    }
    // Changes the device behind the program's back: "command data" through hartcmd.
    void sendBehind(const char* commandAndData) {
        const QStringList behind = QString::fromLatin1(commandAndData).split(' ');
        QProcess hartcmd;
        hartcmd.start(QStringLiteral(ZH_PROGRAM_DIR "/hartcmd"),
                      {"--port", port, "--command", behind.at(0), "--data", behind.at(1)});
        ASSERT_TRUE(hartcmd.waitForFinished(20000));
        ASSERT_EQ(hartcmd.exitCode(), 0) << hartcmd.readAllStandardError().toStdString();
        receivedCommands();
    }
    QByteArray file(const char* name) const {
        QFile f(dir.filePath(QLatin1String(name)));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void setInFile(const char* name, const char* key, const char* value) {
        QByteArray text = file(name);
        const QRegularExpression line(QStringLiteral("(?m)^%1=.*$").arg(QLatin1String(key)));
        QString s = QString::fromUtf8(text);
        s.replace(line, QLatin1String(key) + QLatin1Char('=') + QLatin1String(value));
        QFile f(dir.filePath(QLatin1String(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(s.toUtf8());
    }

    // The memories of a simulated device kept in file `name` (option state=).
    hartsim::Memory memory(const char* name) const {
        hartsim::Memory m;
        EXPECT_TRUE(hartsim::loadMemoryFile(dir.filePath(QLatin1String(name)).toStdString(), &m))
            << name;
        return m;
    }

    QTemporaryDir dir;
    QString executable = QStringLiteral(ZH_PROGRAM_DIR "/ZEL-HART");
    bool mergedOutput = false;  // run() gives what the program says on stderr too
    QString locale;             // the desktop's locale for run(), "" for the test's own
    QString options;            // the simulated devices, set before SetUp
    QProcess sim;
    QString port;
    QString frameLog;
    qint64 logRead = 0;
};

// A line of other makers' devices, each keeping its memory in a file: HART 7
// at polling address 0, HART 5 at 2 and a write-protected HART 5 at 3.
class UniversalBatch : public BatchCommands {
  protected:
    void SetUp() override {
        options = QStringLiteral(
                      "identity=hart7,state=%1;identity=hart5,address=2,state=%2;"
                      "identity=hart5,address=3,deviceid=0x050505,writeprotect,state=%3")
                      .arg(dir.filePath(QStringLiteral("hart7.mem")),
                           dir.filePath(QStringLiteral("hart5.mem")),
                           dir.filePath(QStringLiteral("locked.mem")));
        BatchCommands::SetUp();
    }
    std::string changes(const hartsim::Memory& before, const char* name) const {
        return hartsim::describeDifferences(
            hartsim::configurationDifferences(before, memory(name)));
    }
};

bool deviceSpecific(const QStringList& commands) {
    return std::any_of(commands.begin(), commands.end(),
                       [](const QString& c) { return c.toInt() >= 128; });
}

bool writes(const QStringList& commands) {
    for (const QString& c : commands) {
        if (QStringList({"34", "35", "36", "37", "40", "181", "182", "190", "192", "200", "201"})
                .contains(c))
            return true;
    }
    return false;
}

TEST_F(BatchCommands, ReadChangeWriteReadGivesTheChangedValues) {
    QString out;
    ASSERT_EQ(run({"read", port, "first.cfp"}, &out), 0) << out.toStdString();
    EXPECT_TRUE(out.startsWith("read " + port + " -> first.cfp: ok")) << out.toStdString();
    EXPECT_TRUE(file("first.cfp").contains("\nDamping="));
    // The read-out as the window shows it, with its decimal point.
    EXPECT_TRUE(QRegularExpression("\nDisplay=-?\\d+\\.\\d+\r?\n")
                    .match(QString::fromLatin1(file("first.cfp")))
                    .hasMatch());
    receivedCommands();

    // Nothing changed: "changes" sends no write command.
    ASSERT_EQ(run({"write", "first.cfp", port, "changes"}, &out), 0) << out.toStdString();
    const QStringList unchanged = receivedCommands();
    EXPECT_FALSE(writes(unchanged)) << unchanged.join(' ').toStdString();

    // Only the damping changed: 35 and 34 are the only writes.
    setInFile("first.cfp", "Damping", "7.5[s]");
    ASSERT_EQ(run({"write", "first.cfp", port, "changes"}, &out), 0) << out.toStdString();
    QStringList sent = receivedCommands();
    QStringList written;
    for (const QString& c : sent) {
        if (writes({c})) written << c;
    }
    EXPECT_EQ(written, QStringList({"35", "34"})) << sent.join(' ').toStdString();

    ASSERT_EQ(run({"read", port, "second.cfp"}), 0);
    EXPECT_TRUE(file("second.cfp").contains("\nDamping=7.5[s]"));
}

TEST_F(BatchCommands, FailuresEndWithANonZeroStatus) {
    QString out;
    EXPECT_EQ(run({"read", "/dev/zh-no-such-port", "x.cfp"}, &out), 1);
    EXPECT_TRUE(out.contains(QRegularExpression("failed \\(result 93: \\S"))) << out.toStdString();
    EXPECT_TRUE(file("x.cfp").isEmpty());
    // A pressure device's data never go into a temperature file.
    EXPECT_EQ(run({"read", port, "p.cft"}, &out), 1);
    EXPECT_TRUE(out.contains("*.cfp")) << out.toStdString();
    EXPECT_TRUE(file("p.cft").isEmpty());
    EXPECT_EQ(run({"write", "missing.cfp", port}), 1);
    EXPECT_EQ(run({"write", "a.cfp"}), 2);  // usage
    // An empty or blank port is a usage error, never the profile's port.
    ASSERT_EQ(run({"read", port, "kept.cfp"}), 0);
    const QByteArray kept = file("kept.cfp");
    receivedCommands();
    EXPECT_EQ(run({"read", "", "kept.cfp"}), 2);
    EXPECT_EQ(run({"write", "kept.cfp", " "}), 2);
    EXPECT_EQ(run({"write", "kept.cfp", "", "changes"}), 2);
    EXPECT_EQ(run({"Connect", ""}), 2);  // the connection probe too
    EXPECT_EQ(file("kept.cfp"), kept);
    EXPECT_TRUE(receivedCommands().isEmpty());
    // A damaged file (a flipped byte in a key, an option beyond its list) is
    // refused before the first frame.
    {
        QFile damaged(dir.filePath(QStringLiteral("damaged.cfp")));
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write(
            QByteArray(kept).replace("\nAGW1=", "\nAGX1=").replace("\nUnit=", "\nUnit=77 ("));
    }
    EXPECT_EQ(run({"write", "damaged.cfp", port}, &out), 1);
    EXPECT_TRUE(out.contains("could not be opened")) << out.toStdString();
    EXPECT_TRUE(receivedCommands().isEmpty());
    // The same for a universal data file (our own device has one too).
    ASSERT_EQ(run({"read", port, "ours.hrt"}, &out), 0) << out.toStdString();
    receivedCommands();
    {
        QFile damaged(dir.filePath(QStringLiteral("damaged.hrt")));
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write(file("ours.hrt")
                          .replace("\nTag=", "\nTag=TOO-LONG-")
                          .replace("\nDamping=", "\nDamping=x"));
    }
    EXPECT_EQ(run({"write", "damaged.hrt", port}, &out), 1);
    EXPECT_TRUE(out.contains(": Tag=TOO-LONG-")) << out.toStdString();
    EXPECT_TRUE(out.contains("; Damping=x")) << out.toStdString();
    EXPECT_TRUE(receivedCommands().isEmpty());
    EXPECT_EQ(run({"write", "ours.hrt", port, "all"}), 2);
    EXPECT_EQ(run({"read", port, "x.hrt", "--address", "64"}), 2);
    EXPECT_EQ(run({"read", port, "x.hrt", "--address"}), 2);
}

// A read saves its file only under a name that a write takes back, through a
// link into the file it leads to; any other name is refused with the reason
// and nothing in the folder changes.
TEST_F(BatchCommands, ReadSavesOnlyUnderNamesAWriteTakesBack) {
    const QString longName = QString(250, 'n');
    struct Row {
        QString name;
        QString outcome;  // the end of the summary line
    };
    const std::vector<Row> rows{
        {"a.txt", "failed, a.txt: the name must end in .cfp"},
        {"x.hrt]", "failed, x.hrt]: the name must end in .cfp"},
        {"trail space.cfp ",
         "failed, trail space.cfp : a file name may not begin or end with a blank"},
        {"", "failed, : no file name was given"},
        {"/", "failed, /: it names a folder, not a file"},
        {"sub\\x",
         "failed, sub\\x: a file name may not hold a backslash, folders are separated by /"},
        {longName + "xx.hrt",
         "failed, " + longName + "xx.hrt: the name is longer than a folder takes (255 bytes)"},
        {"link.cfp", "ok"},
        {"link.hrt", "ok"},
        {longName, "ok"},
    };
    const auto folder = [this] {
        QStringList entries;
        for (const QFileInfo& f :
             QDir(dir.path()).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
            if (f.fileName() != "frames.log")
                entries << f.fileName() + " " + QString::number(f.size()) + " " + f.symLinkTarget();
        return entries;
    };
    ASSERT_TRUE(QFile::link("real.cfp", dir.filePath("link.cfp")));
    ASSERT_TRUE(QFile::link("real.hrt", dir.filePath("link.hrt")));
    const QStringList before = folder();
    for (const Row& row : rows) {
        QString out;
        const int status = run({"read", port, row.name}, &out);
        const QString shown = row.name == longName ? longName + ".cfp" : row.name;
        EXPECT_EQ(out.trimmed().section(": ", 0, 0), "read " + port + " -> " + shown);
        EXPECT_TRUE(out.trimmed().section(": ", 1).startsWith(row.outcome)) << out.toStdString();
        EXPECT_EQ(status, row.outcome == "ok" ? 0 : 1) << out.toStdString();
        if (row.outcome != "ok") {
            EXPECT_EQ(folder(), before) << out.toStdString();
        }
    }
    // Through the links into their files; the links stay.
    EXPECT_TRUE(QFileInfo(dir.filePath("link.cfp")).isSymLink());
    EXPECT_TRUE(file("real.cfp").contains("\nDamping="));
    EXPECT_TRUE(file("real.hrt").contains("\nDamping="));
    QString out;
    EXPECT_EQ(run({"write", "link.cfp", port, "changes"}, &out), 0) << out.toStdString();
    EXPECT_EQ(run({"write", longName + ".cfp", port, "changes"}, &out), 0) << out.toStdString();
    EXPECT_EQ(run({"write", "link.hrt", port}, &out), 0) << out.toStdString();
}

TEST_F(UniversalBatch, AnyDeviceIsReadAndWrittenWithUniversalCommandsOnly) {
    QString out;
    ASSERT_EQ(run({"read", port, "seven.hrt"}, &out), 0) << out.toStdString();
    EXPECT_EQ(
        out,
        "read " + port +
            " -> seven.hrt: ok (manufacturer 0x60C3, device type 0xE1A5, HART 7, tag TT-307)\n");
    EXPECT_TRUE(file("seven.hrt").contains("\r\nLongTag=REACTOR 3 OUTLET TEMPERATURE\r\n"));
    ASSERT_EQ(run({"read", port, "five.hrt", "--address", "2"}, &out), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("HART 5, tag FT-205")) << out.toStdString();
    EXPECT_FALSE(file("five.hrt").contains("LongTag="));  // HART 5 has none
    EXPECT_FALSE(deviceSpecific(receivedCommands()));
    // Our own data file of a foreign device: named, nothing saved.
    EXPECT_EQ(run({"read", port, "seven.cfp"}, &out), 1);
    EXPECT_TRUE(out.contains(
        "manufacturer 0x60C3, device type 0xE1A5, HART 7: not a device of this program"))
        << out.toStdString();
    EXPECT_TRUE(file("seven.cfp").isEmpty());
    receivedCommands();

    // Exactly what was edited changes in the device, by universal commands.
    const hartsim::Memory seven = memory("hart7.mem");
    const hartsim::Memory five = memory("hart5.mem");
    const hartsim::Memory locked = memory("locked.mem");
    setInFile("seven.hrt", "Tag", "pt-9");
    setInFile("seven.hrt", "Damping", "2.5");
    ASSERT_EQ(run({"write", "seven.hrt", port}, &out), 0) << out.toStdString();
    // A tag holds capitals only, and says so.
    EXPECT_EQ(out, "write seven.hrt -> " + port +
                       ": ok (written: tag, damping; written in capitals: tag PT-9)\n");
    EXPECT_EQ(changes(seven, "hart7.mem"), "hart.records@24,26,27,28 transmitter.ram@59,60");
    auto written = [](const QStringList& sent) {
        QStringList w;
        for (const QString& c : sent)
            if (QStringList({"17", "18", "22", "34", "35", "40", "44", "45", "46"}).contains(c))
                w << c;
        return w;
    };
    QStringList sent = receivedCommands();
    EXPECT_EQ(written(sent), QStringList({"18", "34"})) << sent.join(' ').toStdString();
    EXPECT_FALSE(deviceSpecific(sent));
    // The read-back asks only what the writes changed.
    EXPECT_EQ(sent.mid(sent.lastIndexOf("34") + 1), QStringList({"13", "15"}))
        << sent.join(' ').toStdString();
    setInFile("seven.hrt", "Date", "");  // a date left empty is left out
    ASSERT_EQ(run({"write", "seven.hrt", port, "changes"}, &out), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("ok (nothing to write")) << out.toStdString();
    EXPECT_TRUE(written(receivedCommands()).isEmpty());

    // A range beyond the sensor the file describes, or narrower than its
    // minimum span, is refused before the first frame.
    for (const char* range : {"20", "0.1"}) {
        setInFile("seven.hrt", "UpperRange", range);
        EXPECT_EQ(run({"write", "seven.hrt", port}, &out), 1) << out.toStdString();
        EXPECT_TRUE(out.contains(": UpperRange=" + QString::fromLatin1(range) + ": "))
            << out.toStdString();
    }
    EXPECT_TRUE(written(receivedCommands()).isEmpty());
    EXPECT_EQ(changes(seven, "hart7.mem"), "hart.records@24,26,27,28 transmitter.ram@59,60");

    setInFile("five.hrt", "Tag", "FT-9");
    setInFile("five.hrt", "Damping", "3");
    {
        // HART 5 has no long tag: the one a file brings is named, not sent.
        const QByteArray text = file("five.hrt");
        QFile f(dir.filePath(QStringLiteral("five.hrt")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(text).replace("[Universal]\r\n", "[Universal]\r\nLongTag=FLOW 205\r\n"));
    }
    ASSERT_EQ(run({"write", "five.hrt", port, "--address", "2"}, &out), 0) << out.toStdString();
    EXPECT_EQ(out, "write five.hrt -> " + port +
                       ": ok (written: tag, damping; not written: HART 5 has no long tag)\n");
    EXPECT_EQ(changes(five, "hart5.mem"), "hart.records@26,27,28 transmitter.ram@59,60");

    // A refusal in the device's words; the device stays as it was.
    EXPECT_EQ(run({"write", "five.hrt", port, "--address", "3"}, &out), 1);
    EXPECT_EQ(out, "write five.hrt -> " + port +
                       ": failed, tag, descriptor, date: write protected (7), nothing written\n");
    EXPECT_EQ(changes(locked, "locked.mem"), "");
}

}  // namespace

// The scan lists every device of the line with universal commands only (a
// short-frame command 0 per address, then 13 and, from HART 6 on, 20).
TEST_F(UniversalBatch, ScanListsEveryDeviceOfTheLine) {
    QString out;
    ASSERT_EQ(run({"scan", port, "--to", "4"}, &out), 0) << out.toStdString();
    EXPECT_EQ(out.split('\n', Qt::SkipEmptyParts),
              QStringList({"address 0: manufacturer 0x60C3, device type 0xE1A5, device ID "
                           "0x07C3D4, HART 7, tag TT-307, "
                           "long tag REACTOR 3 OUTLET TEMPERATURE",
                           "address 2: manufacturer 0x26, device type 0x06, device ID 0x05A1B2, "
                           "HART 5, tag FT-205",
                           "address 3: manufacturer 0x26, device type 0x06, device ID 0x050505, "
                           "HART 5, tag FT-205",
                           "scan " + port + ", addresses 0-4: 3 devices"}))
        << out.toStdString();
    EXPECT_EQ(receivedCommands(), QStringList({"13", "20", "13", "13"}));
    EXPECT_EQ(run({"scan", "/dev/zh-no-such-port"}, &out), 2);
    EXPECT_EQ(run({"scan", port, "--to", "64"}, &out), 2);
}

namespace {

// A device choice of the profile (Transmitter/Display) on a kind of device.
struct ChoiceRow {
    const char* name;
    const char* device;    // the simulated device's options
    const char* choice;    // Transmitter/Display
    const char* failure;   // what the output names when the read must fail; "" when it reads
    const char* compared;  // the keys that must equal an "auto" read's ("": all the file holds)
};

// The program copied with its profile, whose device choice each run sets.
class DeviceChoice : public BatchCommands, public ::testing::WithParamInterface<ChoiceRow> {
  protected:
    static void SetUpTestSuite() {
        installed = new QTemporaryDir;
        const QDir from(QStringLiteral(ZH_PROGRAM_DIR));
        for (const char* entry :
             {"ZEL-HART", "libhartlink.so", "Config-125.ini", "Language/*", "Images/*"}) {
            const QString name = QLatin1String(entry);
            const QString folder = name.endsWith('*') ? name.section('/', 0, 0) : QString();
            QDir(installed->path()).mkpath(folder.isEmpty() ? "." : folder);
            const QStringList files = folder.isEmpty()
                                          ? QStringList{name}
                                          : QDir(from.filePath(folder)).entryList(QDir::Files);
            for (const QString& f : files) {
                const QString relative = folder.isEmpty() ? f : folder + '/' + f;
                ASSERT_TRUE(QFile::copy(from.filePath(relative), installed->filePath(relative)))
                    << relative.toStdString();
            }
        }
        QFile::setPermissions(installed->filePath("ZEL-HART"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    static void TearDownTestSuite() { delete installed; }
    void SetUp() override {
        options = QLatin1String(GetParam().device) + ",hold=50,state=" + dir.filePath("device.mem");
        BatchCommands::SetUp();
        executable = installed->filePath(QStringLiteral("ZEL-HART"));
        mergedOutput = true;
    }
    // Runs the copied program with the profile's device choice `choice`.
    int runWith(const char* choice, const QStringList& arguments, QString* out) {
        const QString profile = installed->filePath(QStringLiteral("Config-125.ini"));
        QFile f(profile);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(f.readAll());
        f.close();
        text.replace(QRegularExpression(QStringLiteral("(?m)^Transmitter/Display=.*$")),
                     QStringLiteral("Transmitter/Display=") + QLatin1String(choice));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text.toUtf8());
        f.close();
        return run(arguments, out);
    }
    // The values of data file `name` by key, without the header and the
    // values that move by themselves (live read-out, pointers, operating time).
    QMap<QString, QString> values(const char* name) const {
        static const QRegularExpression moving(
            QStringLiteral("^(Transmitter/Display|Version/Date|Display|ADactRaw|HiTrail|LoTrail|"
                           "pc_ui32OPseconds)$"));
        QMap<QString, QString> v;
        for (const QString& line :
             QString::fromUtf8(file(name)).split(QRegularExpression("\r?\n"))) {
            const QString key = line.section('=', 0, 0);
            if (line.contains('=') && !moving.match(key).hasMatch())
                v.insert(key, line.section('=', 1));
        }
        return v;
    }
    static QTemporaryDir* installed;
};

QTemporaryDir* DeviceChoice::installed = nullptr;

// Each device choice reads what an "auto" read of the same device gives
// (for the parts it reads), or fails naming why; and what it read, written
// back, leaves every byte of the device as it was.
TEST_P(DeviceChoice, ReadsAsAutoOrFailsNamingWhy) {
    const ChoiceRow& row = GetParam();
    QString out;
    const int reference = runWith("auto", {"read", port, "auto.cfp"}, &out);
    const int status = runWith(row.choice, {"read", port, "chosen.cfp"}, &out);
    if (*row.failure) {
        EXPECT_EQ(status, 1) << out.toStdString();
        EXPECT_TRUE(out.contains(QLatin1String(row.failure))) << out.toStdString();
        EXPECT_TRUE(file("chosen.cfp").isEmpty());
        return;
    }
    ASSERT_EQ(reference, 0);
    ASSERT_EQ(status, 0) << out.toStdString();
    const QMap<QString, QString> chosen = values("chosen.cfp");
    const QMap<QString, QString> automatic = values("auto.cfp");
    const QRegularExpression compared(QStringLiteral("^(%1)$").arg(QLatin1String(row.compared)));
    int same = 0;
    for (auto it = chosen.cbegin(); it != chosen.cend(); ++it) {
        if (*row.compared && !compared.match(it.key()).hasMatch()) continue;
        EXPECT_EQ(it.value().toStdString(), automatic.value(it.key(), "(missing)").toStdString())
            << it.key().toStdString();
        ++same;
    }
    EXPECT_GT(same, 30);

    // Written back with the same choice, and with "auto" (the file knows
    // which parts its values are of): no byte changes.
    const hartsim::Memory before = memory("device.mem");
    for (const char* choice : {row.choice, "auto"}) {
        ASSERT_EQ(runWith(choice, {"write", "chosen.cfp", port, "all"}, &out), 0)
            << out.toStdString();
        EXPECT_EQ(hartsim::describeDifferences(
                      hartsim::configurationDifferences(before, memory("device.mem"))),
                  "")
            << choice;
    }
}

// The transmitter's own values: its configuration, table, range, unit and damping.
const char* const kTransmitterKeys =
    "ADCByte\\d+|AGW\\d+|T(Meas|Nom)Range\\w+|(Upper|Lower)RangeVal|Unit|Damping";

INSTANTIATE_TEST_SUITE_P(
    Rows, DeviceChoice,
    ::testing::Values(
        ChoiceRow{"BothReadAsAll", "presence=both", "all", "", ""},
        ChoiceRow{"BothReadAsDisplay", "presence=both", "display", "", ""},
        ChoiceRow{"BothReadAsTransmitter", "presence=both", "transmitter", "", kTransmitterKeys},
        ChoiceRow{"TransmitterReadAsTransmitter", "presence=transmitter", "transmitter", "", ""},
        ChoiceRow{"TransmitterReadAsDisplay", "presence=transmitter", "display",
                  "The connected device has no display module!", ""},
        ChoiceRow{"TransmitterReadAsAll", "presence=transmitter", "all",
                  "Invalid device connected (transmitter)!", ""},
        ChoiceRow{"DisplayReadAsDisplay", "presence=display", "display", "", ""},
        ChoiceRow{"DisplayReadAsTransmitter", "presence=display", "transmitter",
                  "The connected device has no transmitter!", ""},
        ChoiceRow{"DisplayReadAsAll", "presence=display", "all",
                  "Invalid device connected (display)!", ""},
        ChoiceRow{"OtherMakersDeviceReadAsAuto", "identity=hart7", "auto",
                  "not a device of this program", ""},
        ChoiceRow{"OtherMakersDeviceReadAsDisplay", "identity=hart7", "display",
                  "not a device of this program", ""},
        ChoiceRow{"OtherMakersDeviceReadAsTransmitter", "identity=hart7", "transmitter",
                  "not a device of this program", ""}),
    [](const ::testing::TestParamInfo<ChoiceRow>& info) { return std::string(info.param.name); });

// One comparison of the device with a data file read from it: the file
// edited or the device changed through hartcmd in between, then compared
// (or the edited file written with --verify, all or changes).
struct ComparisonRow {
    const char* name;
    const char* options;  // the simulated device
    const char* edit;     // "Key=value" put into the file, or ""
    const char* behind;   // "command data" sent through hartcmd, or ""
    const char* write;    // "all"/"changes": write --verify instead of compare
    int exit;
    QStringList named;        // the fields of the difference lines
    const char* says = "";    // a text the write (or compare) prints
    const char* status = "";  // the device status in words the summaries end with
};

class DeviceComparison : public BatchCommands, public ::testing::WithParamInterface<ComparisonRow> {
  protected:
    void SetUp() override {
        options = QLatin1String(GetParam().options);
        BatchCommands::SetUp();
    }
    // The field names of the "Caption (Name): file ..., device ..." lines.
    static QStringList differenceNames(const QString& out) {
        static const QRegularExpression line(
            QStringLiteral("(?m)^(?:[^\\n]* \\()?(\\w+)\\)?: file [^\\n]*, device "));
        QStringList names;
        for (auto it = line.globalMatch(out); it.hasNext();) names << it.next().captured(1);
        return names;
    }
};

TEST_P(DeviceComparison, ListsExactlyTheFieldsThatDiffer) {
    const ComparisonRow& row = GetParam();
    const QString status = QLatin1String(row.status);
    // The device's status ends every summary in words, and the file keeps it.
    const auto expectStatus = [&status](const QString& out) {
        if (status.isEmpty()) {
            EXPECT_FALSE(out.contains("device status")) << out.toStdString();
        } else {
            EXPECT_TRUE(out.trimmed().endsWith("; device status: " + status)) << out.toStdString();
        }
    };
    QString out;
    ASSERT_EQ(run({"read", port, "device.cfp"}, &out), 0) << out.toStdString();
    expectStatus(out);
    if (!status.isEmpty()) {
        EXPECT_TRUE(file("device.cfp").contains("\nDeviceStatus=0x91 (" + status.toUtf8() + ")"))
            << file("device.cfp").toStdString();
    }
    const QStringList read = receivedCommands();
    if (*row.edit) {
        const QString edit = QLatin1String(row.edit);
        setInFile("device.cfp", edit.section('=', 0, 0).toLatin1().constData(),
                  edit.section('=', 1).toLatin1().constData());
    }
    if (*row.behind) {
        ASSERT_NO_FATAL_FAILURE(sendBehind(row.behind));
    }
    const bool verifyWrite = *row.write != 0;
    const QStringList arguments =
        verifyWrite ? QStringList{"write", "device.cfp", port, row.write, "--verify"}
                    : QStringList{"compare", "device.cfp", port};
    EXPECT_EQ(run(arguments, &out), row.exit) << out.toStdString();
    EXPECT_EQ(differenceNames(out), row.named) << out.toStdString();
    expectStatus(out);
    EXPECT_TRUE(out.contains(QLatin1String(row.says))) << out.toStdString();
    // The comparison is one read of the device, frame for frame; the
    // verify asks only for what the write sent, each in its read form
    // (141 for 181, 15 for 35 and 34, 142 for 182, a block read per block).
    const QStringList sent = receivedCommands();
    if (!verifyWrite) {
        EXPECT_EQ(sent, read);
    } else {
        int last = static_cast<int>(sent.size()) - 1;
        while (last >= 0 && !writes({sent.at(last)})) --last;
        QStringList readBack;
        if (sent.contains("181")) readBack << "141";
        if (sent.contains("35") || sent.contains("34")) readBack << "15";
        if (sent.contains("182")) readBack << "142";
        for (const QString& c : sent)
            if (c == "190") readBack << "191";
        EXPECT_EQ(sent.mid(last + 1), readBack) << sent.join(' ').toStdString();
        // What the device holds afterwards: the write's values when it kept them.
        EXPECT_EQ(run({"compare", "device.cfp", port}, &out), row.exit) << out.toStdString();
        EXPECT_EQ(differenceNames(out), row.named) << out.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DeviceComparison,
    ::testing::Values(
        ComparisonRow{"FileReadFromTheDevice", "", "", "", "", 0, {}},
        ComparisonRow{
            "OneFieldEditedInTheFile", "", "SetPoint1=10.4[bar]", "", "", 1, {"SetPoint1"}},
        ComparisonRow{"DampingChangedThroughHartcmd", "", "", "34 3F000000", "", 1, {"Damping"}},
        ComparisonRow{"VerifiedWrite", "", "SetPoint1=10.4[bar]", "", "all", 0, {}},
        ComparisonRow{"VerifiedChange", "", "SetPoint1=10.4[bar]", "", "changes", 0, {}},
        ComparisonRow{"VerifiedDampingChange", "", "Damping=2.5[s]", "", "changes", 0, {}},
        ComparisonRow{"WriteTheDeviceIgnores",
                      "ignorewrites",
                      "SetPoint1=10.4[bar]",
                      "",
                      "all",
                      1,
                      {"SetPoint1"}},
        ComparisonRow{"ChangeTheDeviceIgnores",
                      "ignorewrites",
                      "Damping=2.5[s]",
                      "",
                      "changes",
                      1,
                      {"Damping"}},
        // The switch points keep their values on the file's own range.
        ComparisonRow{"RangeEditedInTheFile", "", "UpperRangeVal=14.0[bar]", "", "changes", 0, {}},
        ComparisonRow{"RangeEditedUnderAnotherDisplayUnit",
                      "displayunit=mbar",
                      "UpperRangeVal=15.0[bar]",
                      "",
                      "all",
                      0,
                      {}},
        ComparisonRow{"TagWithBrackets", "", "TagID=AB[C]D CD", "", "all", 0, {}},
        // What the device has no setting for is named, neither sent nor compared.
        ComparisonRow{"SwitchOptionOfATransmitter",
                      "",
                      "CurrentOn=5.0[mA]",
                      "",
                      "all",
                      0,
                      {},
                      "not written: the device has no CurrentOn"},
        ComparisonRow{"DeviceStatusInWords",
                      "status=0x91",
                      "SetPoint1=10.4[bar]",
                      "",
                      "all",
                      0,
                      {},
                      "",
                      "malfunction, more status available, primary variable out of limits"},
        ComparisonRow{"LoopTestValue",
                      "",
                      "Val4mAu=4.100",
                      "",
                      "all",
                      0,
                      {},
                      "not written: the device has no Val4mAu"},
        ComparisonRow{"PollingAddress", "", "HartAddress=5", "", "", 0, {}},
        ComparisonRow{"CopyOfTheRangeAlone",
                      "",
                      "TMeasRangeHigh=12.0[bar]",
                      "",
                      "all",
                      0,
                      {},
                      "not written: TMeasRangeHigh follows UpperRangeVal"}),
    [](const ::testing::TestParamInfo<ComparisonRow>& info) {
        return std::string(info.param.name);
    });

// The service report from a device, with a read saved on arrival as found:
// a report only reads, marks what differs, and writes its file whole or not
// at all. Fields are named by their labels, a value reads alike in both
// columns, and a tag is a text even where it reads as a number.
TEST_F(BatchCommands, ReportShowsTheDeviceAsFoundAndAsLeft) {
    QString out;
    ASSERT_EQ(run({"read", port, "found.cfp"}), 0);
    setInFile("found.cfp", "TagID", "0011");
    ASSERT_EQ(run({"write", "found.cfp", port, "changes"}), 0);
    setInFile("found.cfp", "TagID", "11");
    setInFile("found.cfp", "Damping", "2.5[s]");
    receivedCommands();
    struct Row {
        const char* locale;
        const char* notation;
        QStringList lines;  // CSV lines the report holds
    };
    for (const Row& row :
         {Row{"C",
              "c",
              {"Damping,Damping,s,2.5,0.0,yes", "SetPoint1,Set point 1,bar,9.600,9.600,",
               "TagID,TagID,,11,0011,yes"}},
          Row{"de_DE.UTF-8", "c", {"Damping,Damping,s,2.5,0.0,yes"}},
          Row{"de_DE.UTF-8",
              "desktop",
              {"Damping;Damping;s;2,5;0,0;yes", "SetPoint1;Set point 1;bar;9,600;9,600;"}}}) {
        locale = QLatin1String(row.locale);
        ASSERT_EQ(
            run({"report", port, "r.csv", "--as-found", "found.cfp", "--csv-locale", row.notation},
                &out),
            0)
            << out.toStdString();
        const QString csv = QString::fromUtf8(file("r.csv"));
        for (const QString& line : row.lines)
            EXPECT_TRUE(csv.contains(line + "\r\n")) << line.toStdString() << "\n"
                                                     << csv.toStdString();
        EXPECT_EQ(csv.count(QStringLiteral("yes\r\n")), 2) << csv.toStdString();
    }
    locale.clear();
    EXPECT_EQ(out, "report " + port + " -> r.csv: ok (all, Pressure, 87 fields)\n");
    EXPECT_FALSE(writes(receivedCommands()));
    // Nothing is left behind where the report cannot be written.
    EXPECT_EQ(run({"report", port, "no-such-folder/r.pdf"}, &out), 1);
    EXPECT_TRUE(out.contains("could not be written")) << out.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("no-such-folder"))));
    EXPECT_EQ(run({"report", port, "r.txt"}), 2);
    EXPECT_EQ(run({"report", "found.cfp", "r.csv", "--as-found", "found.cfp"}), 2);

    ASSERT_EQ(run({"report", port, "r.pdf", "--as-found", "found.cfp"}, &out), 0)
        << out.toStdString();
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    QProcess text;
    text.start(pdftotext, {dir.filePath(QStringLiteral("r.pdf")), QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString pdf = QString::fromUtf8(text.readAllStandardOutput());
    for (const char* wanted : {"0x0012AB", "Set point 1", "As found", "As left", "2.5 s"})
        EXPECT_TRUE(pdf.contains(QLatin1String(wanted))) << wanted << "\n" << pdf.toStdString();
}

// Another maker's device is reported with its universal items, from the
// line and from its universal data file alike.
TEST_F(UniversalBatch, ReportListsTheUniversalItems) {
    QString out;
    ASSERT_EQ(run({"report", port, "seven.csv"}, &out), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("ok (manufacturer 0x60C3, device type 0xE1A5, HART 7, tag TT-307"))
        << out.toStdString();
    ASSERT_EQ(run({"read", port, "seven.hrt"}), 0);
    ASSERT_EQ(run({"report", "seven.hrt", "file.csv"}, &out), 0) << out.toStdString();
    EXPECT_TRUE(file("seven.csv")
                    .contains("\r\nLongTag,LongTag,,REACTOR 3 OUTLET "
                              "TEMPERATURE,REACTOR 3 OUTLET TEMPERATURE,\r\n"));
    // The same items; only the measured values moved between the reads.
    auto settings = [](QByteArray csv) { return csv.left(csv.indexOf("\r\nPV,")); };
    EXPECT_EQ(settings(file("file.csv")), settings(file("seven.csv")));
    EXPECT_FALSE(writes(receivedCommands()));
}

}  // namespace

namespace {

// Two reads of one device with a change made behind the program's back in
// between: its history holds both, and what changed names the field.
struct HistoryRow {
    const char* name;
    const char* options;  // the simulated device
    const char* file;     // what the reads save into
    const char* folder;   // the device's history folder
};

class DeviceHistory : public BatchCommands, public ::testing::WithParamInterface<HistoryRow> {
  protected:
    void SetUp() override {
        options = QLatin1String(GetParam().options);
        BatchCommands::SetUp();
    }
};

TEST_P(DeviceHistory, KeepsEveryReadAndNamesWhatChanged) {
    const HistoryRow& row = GetParam();
    QString out;
    ASSERT_EQ(run({"read", port, row.file}, &out), 0) << out.toStdString();
    ASSERT_NO_FATAL_FAILURE(sendBehind("34 40000000"));
    ASSERT_EQ(run({"read", port, row.file}, &out), 0) << out.toStdString();
    const QString folder =
        dir.filePath(QStringLiteral("data/zel-hart/history/")) + QLatin1String(row.folder);
    const QString ext = QFileInfo(QLatin1String(row.file)).suffix();
    EXPECT_EQ(QDir(folder).entryList(QDir::Files, QDir::Name),
              QStringList({"0001-read." + ext, "0002-read." + ext, "readings.txt"}));
    // The second reading holds what the second read saved (its section and
    // time stamp aside).
    QFile kept(folder + "/0002-read." + ext);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    const auto values = [](const QByteArray& text) {
        QList<QByteArray> lines = text.split('\n');
        lines.removeIf([](const QByteArray& l) { return l.startsWith("Version/Date="); });
        return lines.mid(1);
    };
    EXPECT_EQ(values(kept.readAll()), values(file(row.file)));

    ASSERT_EQ(run({"history", port}, &out), 0) << out.toStdString();
    const QStringList lines = out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2) << out.toStdString();
    EXPECT_TRUE(lines.at(0).startsWith("1 ")) << out.toStdString();
    EXPECT_TRUE(lines.at(0).endsWith(": first reading kept")) << out.toStdString();
    EXPECT_TRUE(
        lines.at(1).contains(QRegularExpression(": (.*; )?Damping 0(\\.0 s)? -> 2(\\.0 s)?")))
        << out.toStdString();
    // By the folder's name without the device, and between two readings.
    ASSERT_EQ(run({"history", row.folder, "--diff", "1", "2"}, &out), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QRegularExpression("(?m)^Damping 0(\\.0 s)? -> 2(\\.0 s)?$")))
        << out.toStdString();
    EXPECT_EQ(run({"history", row.folder, "--diff", "1", "3"}, &out), 1) << out.toStdString();
    EXPECT_EQ(run({"history", row.folder, "--diff", "1"}, &out), 2) << out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DeviceHistory,
    ::testing::Values(HistoryRow{"OurDevice", "", "device.cfp", "94-7E-0012AB"},
                      HistoryRow{"OtherMakersDevice", "identity=hart7", "device.hrt",
                                 "60C3-E1A5-07C3D4"}),
    [](const ::testing::TestParamInfo<HistoryRow>& info) { return std::string(info.param.name); });

}  // namespace
