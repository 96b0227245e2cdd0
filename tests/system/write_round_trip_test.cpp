// A write changes exactly what the file changes, proven on the simulated
// device's memory: hartsim keeps it in a state file, the batch commands
// read the device into a data file and write it back (all, or changes), and
// the memory before and after is compared byte by byte.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "comparable_lines.h"
#include "sim/memory_file.h"

namespace {

constexpr double kCharMs = 11.0 * 1000.0 / 1200.0;  // one character at 1200 bit/s

struct RoundTrip {
    const char* name;
    const char* device;   // hartsim options
    const char* file;     // data file (its extension names the measurand)
    const char* scope;    // "all" or "changes"
    const char* edit;     // "Key=value" set in the file before the write, or ""
    int exitCode;         // of the write
    const char* changes;  // memories (name prefixes, space separated) that must differ, "" for none
};

void PrintTo(const RoundTrip& row, std::ostream* os) {
    *os << row.name;
}

// The write steps that change each place of the memory: the transmitter's
// configuration bytes and nominal range (its command 181 write), its table
// (its command 182 write), range and unit (command 35) and damping
// (command 34); a display block's RAM (its block write) and EEPROM (the
// copy after the block writes).
QStringList stepsThatChanged(const std::vector<hartsim::MemoryDifference>& differences) {
    QStringList steps;
    for (const hartsim::MemoryDifference& d : differences) {
        const QString name = QString::fromStdString(d.name);
        if (name == QLatin1String("transmitter.ram")) {
            for (std::size_t at : d.offsets)
                steps << (at < 26 ? "C1810" : at < 48 ? "C1820" : at < 57 ? "C35" : "C34");
        } else if (name.startsWith(QLatin1String("display.ram."))) {
            steps << QStringLiteral("C190_%1").arg(name.section('.', 2).toInt(), 3, 10,
                                                   QLatin1Char('0'));
        } else if (name.startsWith(QLatin1String("display.eeprom."))) {
            steps << QStringLiteral("C192_5");
        } else {
            steps << name;  // no write step changes it
        }
    }
    steps.removeDuplicates();
    return steps;
}

// The steps a failed write's summary names as written or as having maybe
// reached the device.
QStringList namedSteps(const QString& out) {
    static const QRegularExpression named(
        QStringLiteral("(?:written before the failure|may have reached the device): ([\\w ]+)"));
    QStringList steps;
    for (auto it = named.globalMatch(out); it.hasNext();)
        steps << it.next().captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return steps;
}

// hartsim on a pseudo-terminal with its memory in a state file, and the
// batch commands run against it.
class DeviceOnPty : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override { stopDevice(); }
    void stopDevice() {
        sim.terminate();
        if (!sim.waitForFinished(3000)) sim.kill();
        sim.waitForFinished(3000);
    }
    // `flags` go before the options ("--realtime", "--log", FILE).
    void startDevice(const QString& options, const QStringList& flags = {},
                     const QString& stateFile = QStringLiteral("device.state")) {
        state = dir.filePath(stateFile);
        sim.start(
            QStringLiteral(ZH_PROGRAM_DIR "/hartsim"),
            QStringList{QStringLiteral("--pty"), QStringLiteral("--seconds"),
                        QStringLiteral("120")} +
                flags +
                QStringList{QStringLiteral("--options"),
                            QStringLiteral("hold=50,state=") + state +
                                (options.isEmpty() ? QString() : QLatin1Char(',') + options)});
        ASSERT_TRUE(sim.waitForStarted(5000));
        ASSERT_TRUE(sim.waitForReadyRead(5000));
        port = QString::fromLocal8Bit(sim.readLine()).trimmed();
        ASSERT_FALSE(port.isEmpty());
    }
    int run(const QStringList& arguments, QString* out) {
        QProcess program;
        program.setWorkingDirectory(dir.path());
        program.start(QStringLiteral(ZH_PROGRAM_DIR "/ZEL-HART"), arguments);
        program.waitForFinished(60000);
        *out = QString::fromLocal8Bit(program.readAllStandardOutput()) +
               QString::fromLocal8Bit(program.readAllStandardError()).right(2000);
        return program.exitCode();
    }
    hartsim::Memory memory() const {
        hartsim::Memory m;
        EXPECT_TRUE(hartsim::loadMemoryFile(state.toStdString(), &m));
        return m;
    }
    void edit(const QString& file, const QString& assignment) {
        QFile f(dir.filePath(file));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(f.readAll());
        f.close();
        const QString key = assignment.section(QLatin1Char('='), 0, 0);
        const QRegularExpression line(QStringLiteral("(?m)^") + QRegularExpression::escape(key) +
                                      QStringLiteral("=.*$"));
        ASSERT_TRUE(text.contains(line)) << key.toStdString();
        text.replace(line, assignment);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text.toUtf8());
    }

    QTemporaryDir dir;
    QProcess sim;
    QString port, state;
};

class WriteRoundTrip : public DeviceOnPty, public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(WriteRoundTrip, TheDeviceMemoryChangesExactlyAsTheFile) {
    const RoundTrip& row = GetParam();
    startDevice(QLatin1String(row.device));
    QString out;
    ASSERT_EQ(run({"read", port, row.file}, &out), 0) << out.toStdString();
    if (*row.edit) edit(QLatin1String(row.file), QLatin1String(row.edit));
    const hartsim::Memory before = memory();
    EXPECT_EQ(run({"write", row.file, port, row.scope}, &out), row.exitCode) << out.toStdString();
    const std::string differences =
        hartsim::describeDifferences(hartsim::configurationDifferences(before, memory()));
    // Each memory named differs, and nothing beyond them.
    QString rest = QString::fromStdString(differences);
    for (const QString& memoryName :
         QString::fromLatin1(row.changes).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        EXPECT_TRUE(rest.contains(memoryName))
            << memoryName.toStdString() << " unchanged; " << out.toStdString();
        rest.remove(
            QRegularExpression(QRegularExpression::escape(memoryName) + QStringLiteral("\\S*")));
    }
    EXPECT_TRUE(rest.trimmed().isEmpty()) << differences << "\n" << out.toStdString();
    // A failed write names every step that changed the device.
    if (row.exitCode != 0 && out.contains(QLatin1String(": failed ("))) {
        const QStringList named = namedSteps(out);
        for (const QString& step :
             stepsThatChanged(hartsim::configurationDifferences(before, memory())))
            EXPECT_TRUE(named.contains(step))
                << step.toStdString() << " not named: " << out.toStdString();
        EXPECT_EQ(out.contains(QLatin1String("nothing written")), named.isEmpty())
            << out.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, WriteRoundTrip,
    ::testing::Values(
        RoundTrip{"UnchangedAll", "", "a.cfp", "all", "", 0, ""},
        RoundTrip{"UnchangedChanges", "", "a.cfp", "changes", "", 0, ""},
        RoundTrip{"DisplayInMbarAll", "displayunit=mbar", "a.cfp", "all", "", 0, ""},
        RoundTrip{"DisplayInMbarChanges", "displayunit=mbar", "a.cfp", "changes", "", 0, ""},
        RoundTrip{"CalibrationDecimalsAll", "caldecimals=2", "a.cfp", "all", "", 0, ""},
        RoundTrip{"PaddedWithNulsAll", "textpad=nul", "a.cfp", "all", "", 0, ""},
        RoundTrip{"TemperatureAll", "config=20", "t.cft", "all", "", 0, ""},
        RoundTrip{"TemperatureInFahrenheitChanges", "config=20,displayunit=F", "t.cft", "changes",
                  "", 0, ""},
        RoundTrip{"TransmitterOnlyAll", "presence=transmitter", "a.cfp", "all", "", 0, ""},
        RoundTrip{"DisplayOnlyAll", "presence=display", "a.cfp", "all", "", 0, ""},
        // Edited: exactly the edited value's place changes.
        RoundTrip{"EditedSetPointChanges", "", "a.cfp", "changes", "SetPoint1=10.4[bar]", 0,
                  "display.eeprom.10 display.ram.10"},
        RoundTrip{"EditedDampingAll", "", "a.cfp", "all", "Damping=2.5[s]", 0, "transmitter.ram"},
        RoundTrip{"EditedNominalRangeWithCalibrationDecimals", "caldecimals=2", "a.cfp", "changes",
                  "NominalRangeHigh=20[bar]", 0, "display.eeprom.12 display.ram.12"},
        RoundTrip{"EditedTableValueChanges", "", "a.cfp", "changes", "AGW5=100", 0, "transmitter"},
        RoundTrip{"EditedTagOfDisplayOnly", "presence=display", "a.cfp", "changes", "TagID=PT-NEW",
                  0, "display.eeprom.2 display.ram.2"},
        RoundTrip{"EditedOptionChanges", "", "a.cfp", "changes", "CalcMethod=1 (ADC Table)", 0,
                  "transmitter"},
        RoundTrip{"EditedRangeMovesTheSwitchPointCounts", "", "a.cfp", "changes",
                  "UpperRangeVal=14.0[bar]", 0,
                  "display.eeprom.10 display.eeprom.11 display.eeprom.12 display.ram.10 "
                  "display.ram.11 display.ram.12 transmitter.ram"},
        // Refused before any frame: nothing changes.
        RoundTrip{"NegativeDamping", "", "a.cfp", "all", "Damping=-5[s]", 1, ""},
        RoundTrip{"RangeBeyondTheCell", "", "a.cfp", "all", "UpperRangeVal=1e9[bar]", 1, ""},
        RoundTrip{"NonAsciiTag", "", "a.cfp", "changes", "TagID=PT-\xc3\xa4\xc3\xb6", 1, ""},
        RoundTrip{"TableValueBeyond16Bits", "", "a.cfp", "all", "AGW5=40000", 1, ""},
        RoundTrip{"AnotherSensorsConfiguration", "", "a.cfp", "all", "ADCByte20=05", 1, ""},
        // The answer spoilt or lost after the request went out: the device
        // may have carried it out, and the summary names it.
        RoundTrip{"BadCheckByteAfterTheDamping", "fault=badcheck*12@34", "a.cfp", "changes",
                  "Damping=2.5[s]", 1, "transmitter.ram"},
        RoundTrip{"TruncatedAnswerToTheDamping", "fault=truncated*12@34", "a.cfp", "changes",
                  "Damping=2.5[s]", 1, "transmitter.ram"},
        RoundTrip{"WrongLengthAfterABlock", "fault=wronglength*12@190", "a.cfp", "changes",
                  "SetPoint1=10.4[bar]", 1, "display.ram.10"},
        RoundTrip{"LostAnswerToTheDamping", "fault=lost*12@34", "a.cfp", "changes",
                  "Damping=2.5[s]", 1, "transmitter.ram"},
        RoundTrip{"TimeOutAfterTheDampingLeft", "fault=late:20000*12@34", "a.cfp", "changes",
                  "Damping=2.5[s]", 1, "transmitter.ram"},
        RoundTrip{"LostAnswerToTheEepromCopy", "fault=lost*12@192", "a.cfp", "changes",
                  "SetPoint1=10.4[bar]", 1, "display.eeprom.10 display.ram.10"},
        RoundTrip{"NoAnswerToTheConfiguration", "fault=noanswer*12@181", "a.cfp", "all", "", 1, ""},
        // Taken as a delayed response that never ends: not "nothing written".
        RoundTrip{"DelayedResponseThatNeverEnds", "delayed=1000", "a.cfp", "changes",
                  "Damping=2.5[s]", 1, ""},
        RoundTrip{"AnotherSensorsDeviceType", "", "a.cfp", "all", "DevType=2", 1, ""},
        RoundTrip{"RangeWithoutSpan", "", "a.cfp", "changes", "UpperRangeVal=-0[bar]", 1, ""},
        RoundTrip{"RangeBelowTheSensor", "", "a.cfp", "changes", "LowerRangeVal=-5[bar]", 1, ""},
        RoundTrip{"RangeBelowTheSwitchPoints", "", "a.cfp", "changes", "UpperRangeVal=12.0[bar]", 1,
                  ""},
        RoundTrip{"TableThatDoesNotRise", "", "a.cfp", "changes", "AGW3=-5", 1, ""},
        RoundTrip{"NegativeTaraPulse", "", "a.cfp", "changes", "TaraPulseLen=-5", 1, ""},
        RoundTrip{"NegativeStartupDelay", "", "a.cfp", "changes", "pc_startup_delay_LS_TP=-5", 1,
                  ""},
        RoundTrip{"OptionNotInItsList", "", "a.cfp", "changes", "CmbSelCmd=999", 1, ""},
        RoundTrip{"AnotherMeasurandInThePressureFile", "", "a.cfp", "changes",
                  "UnitType=1 (Temperature)", 1, ""}),
    [](const ::testing::TestParamInfo<RoundTrip>& info) { return std::string(info.param.name); });

// A frame of hartsim's real-time log: when its first byte was on the wire,
// who sent it, and how long it was there.
struct LoggedFrame {
    double startMs = 0;
    double endMs = 0;
    QString source;  // RX (the program), TX (a device), M2 (the second master)
    int delimiter = 0;
    bool primaryBit = false;
};

QList<LoggedFrame> loggedFrames(const QString& log, int* collisions) {
    static const QRegularExpression line(QStringLiteral(
        "^(\\d\\d):(\\d\\d):(\\d\\d)\\.(\\d{3}) (RX|TX|M2|COLLISION)((?: [0-9A-F]{2})*)"));
    QList<LoggedFrame> frames;
    *collisions = 0;
    for (const QString& text : log.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch m = line.match(text);
        if (!m.hasMatch()) continue;
        if (m.captured(5) == QLatin1String("COLLISION")) {
            ++*collisions;
            continue;
        }
        const QStringList bytes = m.captured(6).trimmed().split(QLatin1Char(' '));
        int at = 0;
        while (at < bytes.size() && bytes[at] == QLatin1String("FF")) ++at;
        if (at + 1 >= bytes.size()) continue;
        LoggedFrame f;
        f.startMs =
            ((m.captured(1).toInt() * 60 + m.captured(2).toInt()) * 60 + m.captured(3).toInt()) *
                1000.0 +
            m.captured(4).toInt();
        f.endMs = f.startMs + static_cast<double>(bytes.size()) * kCharMs;
        f.source = m.captured(5);
        f.delimiter = bytes[at].toInt(nullptr, 16) & 0x07;
        f.primaryBit = (bytes[at + 1].toInt(nullptr, 16) & 0x80) != 0;
        frames << f;
    }
    return frames;
}

// Why the program's request at `next` came too early after `last`, the
// frame before it on the line; "" when it kept its turn. The program is a
// primary master. Stamps are in whole ms: 2 ms of tolerance.
QString earlyRequest(const LoggedFrame& last, const LoggedFrame& next) {
    constexpr double kRt1 = 33 * kCharMs, kHold = 10 * kCharMs, kSlot = 2 * kCharMs;
    const double gap = next.startMs - last.endMs + 2;
    const bool answer = last.delimiter == 6, burst = last.delimiter == 1;
    double least = kRt1;  // after a request, ours or the second master's, that got no answer
    QString after = QStringLiteral("a request without answer");
    if ((answer && last.primaryBit) || (burst && !last.primaryBit)) {
        least = kHold;
        after = answer ? QStringLiteral("its own answer") : QStringLiteral("a burst frame to M2");
    } else if (answer || burst) {
        least = kSlot;
        after = answer ? QStringLiteral("an answer to M2") : QStringLiteral("a burst frame to it");
    }
    return gap >= least ? QString()
                        : QStringLiteral("%1 ms after %2").arg(gap - 2, 0, 'f', 1).arg(after);
}

// The device gets the same read and the same write on a loop it shares with
// a second master and a device in burst mode, at wire speed, as on a quiet
// one: the same data file and the same changes to its memory. Nothing the
// program sends collides, and its requests keep the line's timers as the
// frame log's time stamps show: RT1 after a request without answer, HOLD
// after its own answer, its turn only from the burst slot on.
TEST_F(DeviceOnPty, ASharedLoopGivesTheReadAndWriteOfAQuietOne) {
    QString out;
    const auto readEditWrite = [&](const char* file) {
        ASSERT_EQ(run({"read", port, file}, &out), 0) << out.toStdString();
        QFile::copy(dir.filePath(QLatin1String(file)), dir.filePath(QLatin1String(file) + ".read"));
        edit(QLatin1String(file), QStringLiteral("SetPoint1=10.4[bar]"));
        edit(QLatin1String(file), QStringLiteral("Damping=2.5[s]"));
        const hartsim::Memory before = memory();
        ASSERT_EQ(run({"write", file, port, "changes"}, &out), 0) << out.toStdString();
        out = QString::fromStdString(
            hartsim::describeDifferences(hartsim::configurationDifferences(before, memory())));
    };

    startDevice(QString(), {}, QStringLiteral("quiet.state"));
    readEditWrite("quiet.cfp");
    const QString quietChanges = out;
    EXPECT_TRUE(quietChanges.contains(QLatin1String("display.ram.10"))) << out.toStdString();
    stopDevice();

    const QString logPath = dir.filePath(QStringLiteral("shared.log"));
    startDevice(QStringLiteral("othermaster=300,burst=500"),
                {QStringLiteral("--realtime"), QStringLiteral("--log"), logPath},
                QStringLiteral("shared.state"));
    readEditWrite("shared.cfp");
    EXPECT_EQ(out, quietChanges);
    EXPECT_EQ(comparableLines(dir.filePath("shared.cfp.read")),
              comparableLines(dir.filePath("quiet.cfp.read")));
    stopDevice();

    QFile log(logPath);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    int collisions = 0;
    const QList<LoggedFrame> frames = loggedFrames(QString::fromLatin1(log.readAll()), &collisions);
    EXPECT_EQ(collisions, 0);
    int requests = 0, others = 0, bursts = 0;
    for (int i = 1; i < frames.size(); ++i) {
        others += frames[i].source == QLatin1String("M2");
        bursts += frames[i].delimiter == 1;
        if (frames[i].source != QLatin1String("RX")) continue;
        ++requests;
        const QString early = earlyRequest(frames[i - 1], frames[i]);
        EXPECT_TRUE(early.isEmpty()) << "frame " << i << ": " << early.toStdString();
    }
    // The line was shared all along: the second master and the burst
    // device had their turns between the program's requests.
    EXPECT_GT(requests, 20);
    EXPECT_GT(others, 10);
    EXPECT_GT(bursts, 10);
}

}  // namespace
