// The read and write sequences against the simulated device: what a read
// brings into the field table, what a write sends (the device's own frame
// log is the witness), and how a failed sequence leaves the data set.

#include "model/read_write_sequences.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>

#include "app/profile_settings.h"
#include "hart/connection_probe.h"
#include "hart/hart_session.h"
#include "hart/link_library.h"
#include "model/device_model.h"
#include "model/field_definitions.h"
#include "model/live_display.h"
#include "support/ending_probe.h"
#include "support/test_program.h"

namespace zh {
namespace {

const QRegularExpression kWriteFrame(QStringLiteral("RX command=(34|35|181|182|190|192) "));

class SequencesTest : public ::testing::Test {
  protected:
    // Builds the program on the shipped profile and the simulator with `options`.
    void start(const QString& options, const QByteArray& profileEdit = QByteArray(),
               const QByteArray& edited = "\n1=P 0...16 bar gauge|") {
        QFile shipped(QStringLiteral(ZH_SOURCE_DIR "/resources/Config.ini"));
        ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
        QByteArray profile = shipped.readAll();
        if (!profileEdit.isEmpty()) profile.replace(edited, profileEdit);
        t.program.ini.forget(t.writeFile(QStringLiteral("Config-125.ini"), profile));
        ASSERT_TRUE(readProfileFile(t.program));
        t.program.state.DebugLevel = 4;
        frameLog = t.path(QStringLiteral("frames.log"));
        qputenv("HARTSIM_OPTIONS", (options + ",log=" + frameLog).toLocal8Bit());
        ASSERT_TRUE(link.load(QStringLiteral(ZH_PROGRAM_DIR "/libhartlink.so")));
        t.program.state.ComPort = QStringLiteral("Sim");
        model.cal.Measurand = QStringLiteral("Pressure");
        defineDataStructure(model, QStringLiteral("[bar]"), 0, -11);
        session = std::make_unique<HartSession>(t.program, link, probe);
        seq = std::make_unique<DeviceSequences>(model, *session, link);
    }
    void TearDown() override { qunsetenv("HARTSIM_OPTIONS"); }

    // Frames the device received since the last call.
    QString newFrames() {
        QFile f(frameLog);
        if (!f.open(QIODevice::ReadOnly)) return QString();
        const QString all = QString::fromUtf8(f.readAll());
        const QString fresh = all.mid(seen);
        seen = all.size();
        return fresh;
    }
    FieldRecord& f(const QString& name) { return model.fields.at(model.fields.find(name)); }
    QString log() const { return t.program.log.viewText(); }
    QString progressText() const { return t.dialogs.progress.join('\n'); }

    test::TestProgram t;
    LinkLibrary link{t.program.log};
    test::EndingProbe probe;
    DeviceModel model{t.program};
    std::unique_ptr<HartSession> session;
    std::unique_ptr<DeviceSequences> seq;
    QString frameLog;
    int seen = 0;
};

TEST_F(SequencesTest, ReadFillsTheTableInEveryPresence) {
    start(QStringLiteral("presence=both"));
    t.program.state.DataChanged = true;
    ASSERT_EQ(seq->readDevice(Presence::All), 0) << log().toStdString();
    const QString frames = newFrames();
    for (const char* cmd : {"141", "15", "142", "151", "191"})
        EXPECT_TRUE(frames.contains(QStringLiteral("RX command=") + cmd + " ")) << cmd;
    // What the connection already holds is not asked again: the identity,
    // command 141 and blocks 12 and 89 of the detection.
    EXPECT_EQ(frames.count(QStringLiteral("RX command=0 ")), 1);
    EXPECT_EQ(frames.count(QStringLiteral("RX command=141 ")), 1);
    EXPECT_EQ(frames.count(QStringLiteral("RX command=191 ")), 11)
        << frames.toStdString();            // every block once
    EXPECT_EQ(f("ADCByte20").RawVal, "1");  // the configuration key of the simulated device
    EXPECT_EQ(f("TMeasRangeHigh").RawVal.toDouble(), 16.0);
    EXPECT_FALSE(f("VersCheck").RawVal.isEmpty());
    EXPECT_EQ(f("Damping").GadStatus, "read");
    EXPECT_EQ(t.program.state.DataTrigger, 0);  // data present after a good read
    EXPECT_FALSE(t.program.state.DataChanged);
    EXPECT_EQ(seq->moduleState, 1);
    EXPECT_EQ(t.program.state.ConnectionState, 0);  // opened by the read, so closed by it
    EXPECT_EQ(session->LinkOpen, 1);                // the next sequence skips the detection
    EXPECT_EQ(seq->snapshots().size(), 9);
    EXPECT_TRUE(seq->readRecord().contains('\\'));
}

class PresenceTest : public SequencesTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(PresenceTest, ReadThenChangesWriteSendsNothingAndAllWriteSendsEverything) {
    start(QStringLiteral("presence=") + GetParam());
    ASSERT_EQ(session->connectDevice(), 1);  // finds out which devices answer
    session->disconnectDevice();
    session->LinkOpen = 0;
    const Presence part = parsePresence(t.program.state.TransmDisplay);
    ASSERT_EQ(seq->readDevice(part), 0) << log().toStdString();
    newFrames();
    ASSERT_EQ(seq->writeDevice(part, WriteScope::Changes), 0) << log().toStdString();
    const QString quiet = newFrames();
    EXPECT_FALSE(quiet.contains(kWriteFrame)) << quiet.toStdString();
    ASSERT_EQ(seq->writeDevice(part, WriteScope::All), 0) << log().toStdString();
    const QString frames = newFrames();
    if (part != Presence::Display) {
        for (const char* cmd : {"181", "182", "35", "34"})
            EXPECT_TRUE(frames.contains(QStringLiteral("RX command=") + cmd + " ")) << cmd;
    }
    if (part != Presence::Transmitter) {
        EXPECT_TRUE(frames.contains(QStringLiteral("RX command=190 ")));
        EXPECT_TRUE(frames.contains(QStringLiteral("RX command=192 ")));  // stored in EEPROM
    }
}

INSTANTIATE_TEST_SUITE_P(Presences, PresenceTest,
                         ::testing::Values("both", "transmitter", "display"));

TEST_F(SequencesTest, WrittenValuesComeBackAndOnlyTheDampingCommandsGoOut) {
    start(QStringLiteral("presence=both"));
    ASSERT_EQ(seq->readDevice(Presence::All), 0);
    newFrames();
    f("Damping").Content = QStringLiteral("4.5");
    f("Damping").RawVal = QStringLiteral("4.5");
    ASSERT_EQ(seq->writeDevice(Presence::All, WriteScope::Changes), 0) << log().toStdString();
    const QString frames = newFrames();
    EXPECT_TRUE(frames.contains(QStringLiteral("RX command=35 ")));
    EXPECT_TRUE(frames.contains(QStringLiteral("RX command=34 ")));
    EXPECT_FALSE(frames.contains(QRegularExpression(QStringLiteral("RX command=(181|182|190) "))))
        << log().toStdString();

    f("Damping").RawVal = QStringLiteral("1.0");
    f("Damping").Content = QStringLiteral("1.0");
    ASSERT_EQ(seq->readDevice(Presence::All), 0);
    EXPECT_DOUBLE_EQ(f("Damping").RawVal.toDouble(), 4.5);
    // Nothing changed since: the next "changes" write is silent.
    newFrames();
    ASSERT_EQ(seq->writeDevice(Presence::All, WriteScope::Changes), 0);
    EXPECT_FALSE(newFrames().contains(kWriteFrame));
}

TEST_F(SequencesTest, AnEditedSetPointIsConvertedAndOnlyItsBlockGoesOut) {
    start(QStringLiteral("presence=both"));
    ASSERT_EQ(seq->readDevice(Presence::All), 0);
    newFrames();
    const QString before = f("SetPoint1").RawVal;
    // As the input check leaves an edited field: new content, state "changed".
    f("SetPoint1").Content = QStringLiteral("7.5");
    f("SetPoint1").setColourState(ColourChanged);
    ASSERT_EQ(seq->writeDevice(Presence::All, WriteScope::Changes), 0) << log().toStdString();
    EXPECT_NE(f("SetPoint1").RawVal, before);  // counts derived from the new content
    const QString frames = newFrames();
    EXPECT_TRUE(frames.contains(QStringLiteral("RX command=190 "))) << frames.toStdString();
    EXPECT_FALSE(frames.contains(QRegularExpression(QStringLiteral("RX command=(181|182|34|35) "))))
        << frames.toStdString();
}

TEST_F(SequencesTest, NoWriteSendsNoWriteFrame) {
    start(QStringLiteral("presence=both"));
    ASSERT_EQ(seq->readDevice(Presence::All), 0);
    t.program.state.NoWrite = QStringLiteral("ON");
    newFrames();
    EXPECT_EQ(seq->writeDevice(Presence::All, WriteScope::All), kResultDryRun)
        << log().toStdString();
    EXPECT_FALSE(newFrames().contains(kWriteFrame));
}

// A read that breaks off half way gives back the data set shown before.
TEST_F(SequencesTest, FailedReadRestoresTheDataSet) {
    start(QStringLiteral("presence=both,fault=noanswer*50@142"));
    f("Damping").RawVal = QStringLiteral("7.5");
    f("Damping").Content = QStringLiteral("7.5");
    f("Damping").setColourState(ColourChanged);
    f("TagID").RawVal = QStringLiteral("EDITED");
    t.program.state.DataTrigger = 3;
    t.program.state.DataChanged = true;
    t.program.state.RequestTries = 1;
    EXPECT_NE(seq->readDevice(Presence::All), 0);
    EXPECT_EQ(f("Damping").RawVal, "7.5");
    EXPECT_EQ(f("Damping").Content, "7.5");
    EXPECT_EQ(f("Damping").GadStatus, "changed");
    EXPECT_EQ(f("TagID").RawVal, "EDITED");
    EXPECT_EQ(t.program.state.DataTrigger, 3);
    EXPECT_TRUE(t.program.state.DataChanged);
    EXPECT_EQ(session->LinkOpen, 0);
}

TEST_F(SequencesTest, WrongInterfaceVersionFailsTheRead) {
    start(QStringLiteral("presence=display,version=4"));
    EXPECT_EQ(seq->readDevice(Presence::Display), kResultWrongInterfaceVersion);
    EXPECT_TRUE(progressText().contains(QStringLiteral("Invalid Firmwareversion! (4)")))
        << progressText().toStdString();
    EXPECT_EQ(t.program.state.DataTrigger, -1);
}

// Without a catalogue entry nothing goes to the transmitter, and that is a failure.
TEST_F(SequencesTest, UnknownConfigurationFailsTheWrite) {
    start(QStringLiteral("presence=both"), "\n1X=P 0...16 bar gauge|");
    ASSERT_EQ(seq->readDevice(Presence::All), 0);
    const QString before = seq->readRecord();
    newFrames();
    f("Damping").RawVal = QStringLiteral("2.5");
    f("Damping").Content = QStringLiteral("2.5");
    EXPECT_EQ(seq->writeDevice(Presence::All, WriteScope::Changes), kResultInvalidConfiguration);
    EXPECT_FALSE(newFrames().contains(kWriteFrame));
    EXPECT_EQ(seq->readRecord(), before);
    EXPECT_FALSE(progressText().contains(QStringLiteral("Data transmitted")));
}

// After command 15 the range fields hold counts over the nominal range of
// command 141 and the scaling state is set for the serial interface.
TEST_F(SequencesTest, TransmitterReadTakesRangeAndUnitFromCommand15) {
    start(QStringLiteral("presence=transmitter,config=4"));
    ASSERT_EQ(session->connectDevice(), 1);
    session->disconnectDevice();
    session->LinkOpen = 0;
    model.cal.CalADlow = 0.0f;
    model.cal.CalADhi = 1.0f;
    ASSERT_EQ(seq->readDevice(Presence::Transmitter), 0) << log().toStdString();
    EXPECT_EQ(model.cal.IntSerIO, 1);
    EXPECT_FLOAT_EQ(model.cal.CalADlow, 4000.0f);
    EXPECT_FLOAT_EQ(model.cal.CalADhi, 20000.0f);
    EXPECT_FLOAT_EQ(model.cal.CalNomLow, 0.0f);
    EXPECT_FLOAT_EQ(model.cal.CalNomHi, 16.0f);
    EXPECT_EQ(f("NominalRangeHigh").RawVal, "16");
    // 0...10 bar of a 0...16 bar cell: 4000 and 14000 counts.
    EXPECT_EQ(f("LowerRangeVal").RawVal, "4000");
    EXPECT_EQ(f("UpperRangeVal").RawVal, "14000");
    EXPECT_EQ(f("UnitULRV").RawVal, "0");  // bar in the calibration units
    EXPECT_EQ(f("UnitType").RawVal, "0");  // Pressure, first of the measurands
}

// Without a catalogue entry for the key nothing but command 15 sets the range.
TEST_F(SequencesTest, RangeOfCommand15WithoutCatalogueEntry) {
    // 0...10 bar of a 0...16 bar cell; the profile's defaults are 0...16 bar.
    start(QStringLiteral("presence=transmitter,config=4"), "\n4X=P 0...10 bar absolute",
          "\n4=P 0...10 bar absolute");
    ASSERT_EQ(session->connectDevice(), 1);
    session->disconnectDevice();
    session->LinkOpen = 0;
    ASSERT_EQ(seq->readDevice(Presence::Transmitter), 0) << log().toStdString();
    EXPECT_EQ(f("LowerRangeVal").RawVal, "4000");
    EXPECT_EQ(f("UpperRangeVal").RawVal, "14000");
    EXPECT_DOUBLE_EQ(f("UpperRangeVal").Content.toDouble(), 10.0);
    EXPECT_EQ(f("NominalRangeHigh").RawVal, "16");
}

TEST_F(SequencesTest, TransmitterReadTakesTheCalibrationUnitOfCommand15) {
    start(QStringLiteral("presence=transmitter,config=2"));  // 0...600 mbar
    ASSERT_EQ(session->connectDevice(), 1);
    session->disconnectDevice();
    session->LinkOpen = 0;
    ASSERT_EQ(seq->readDevice(Presence::Transmitter), 0) << log().toStdString();
    EXPECT_EQ(f("UnitULRV").RawVal, "1");  // mbar
    EXPECT_EQ(f("Unit").RawVal, "1");
    EXPECT_EQ(f("UpperRangeVal").RawVal, "20000");
}

// The display module alone: its range values carry the decimal point of
// block 012, and the calibration points follow from the counts of block 013.
TEST_F(SequencesTest, DisplayReadScalesTheRangesAndInterpolatesTheCalibration) {
    start(QStringLiteral("presence=display,config=4"));
    ASSERT_EQ(seq->readDevice(Presence::Display), 0) << log().toStdString();
    EXPECT_EQ(model.cal.CalDecP, 2);
    EXPECT_FLOAT_EQ(model.cal.CalDPlow, 0.0f);
    EXPECT_FLOAT_EQ(model.cal.CalDPhi, 10.0f);
    EXPECT_FLOAT_EQ(model.cal.CalNomHi, 16.0f);
    EXPECT_DOUBLE_EQ(f("UpperRangeVal").Content.toDouble(), 10.0);
    EXPECT_DOUBLE_EQ(f("NominalRangeHigh").Content.toDouble(), 16.0);
    EXPECT_TRUE(t.dialogs.boxes.empty());

    // 10 bar now at 12000 counts: the upper calibration point (20000) is 20 bar.
    f("UpperRangeADVal").RawVal = QStringLiteral("12000");
    ASSERT_EQ(seq->writeDevice(Presence::Display, WriteScope::All), 0) << log().toStdString();
    ASSERT_EQ(seq->readDevice(Presence::Display), 0) << log().toStdString();
    EXPECT_EQ(f("UpperRangeADVal").RawVal, "12000");
    EXPECT_FLOAT_EQ(model.cal.CalDPlow, 0.0f);
    EXPECT_FLOAT_EQ(model.cal.CalDPhi, 20.0f);
}

TEST_F(SequencesTest, RangeOutsideTheNominalRangeIsReportedAndTheReadGoesOn) {
    start(QStringLiteral("presence=display,config=4"));
    ASSERT_EQ(seq->readDevice(Presence::Display), 0) << log().toStdString();
    ASSERT_TRUE(t.dialogs.boxes.empty());
    f("LowerRangeVal").RawVal = QStringLiteral("-150");  // -1.5 bar
    ASSERT_EQ(seq->writeDevice(Presence::Display, WriteScope::All), 0) << log().toStdString();
    ASSERT_EQ(seq->readDevice(Presence::Display), 0) << log().toStdString();
    ASSERT_EQ(t.dialogs.boxes.size(), 1u);
    EXPECT_EQ(t.dialogs.boxes[0].title, "Error");
    EXPECT_EQ(t.dialogs.boxes[0].text, "Lower range value -1.5 < nominal range 0");
    EXPECT_EQ(seq->moduleState, 1);

    t.dialogs.boxes.clear();
    f("LowerRangeVal").RawVal = QStringLiteral("0");
    f("UpperRangeVal").RawVal = QStringLiteral("1725");  // 17.25 bar
    ASSERT_EQ(seq->writeDevice(Presence::Display, WriteScope::All), 0) << log().toStdString();
    ASSERT_EQ(seq->readDevice(Presence::Display), 0) << log().toStdString();
    ASSERT_EQ(t.dialogs.boxes.size(), 1u);
    EXPECT_EQ(t.dialogs.boxes[0].title, "Error");
    EXPECT_EQ(t.dialogs.boxes[0].text, "Upper range value 17.25 > nominal range 16");
}

// The device's own range stands after a read, even when the catalogue
// entry of its key says otherwise, and the display's range follows it.
TEST_F(SequencesTest, ReadKeepsTheDeviceRangeOverTheCatalogueAndTheDisplayFollows) {
    start(QStringLiteral("presence=both,config=4"), "\n4=P 0...10 bar absolute, 16 bar cell|0;12;",
          "\n4=P 0...10 bar absolute, 16 bar cell|0;10;");
    ASSERT_EQ(seq->readDevice(Presence::All), 0) << log().toStdString();
    EXPECT_DOUBLE_EQ(f("UpperRangeVal").Content.toDouble(),
                     10.0);  // the device's, not the catalogue's 12
    EXPECT_EQ(f("UpperRangeVal").RawVal, "14000");
    EXPECT_DOUBLE_EQ(f("DspMBE").Content.toDouble(), 10.0);
    EXPECT_DOUBLE_EQ(f("DspMBA").Content.toDouble(), 0.0);
    EXPECT_EQ(f("UnitAdm").Content, f("Unit").Content);
    EXPECT_FLOAT_EQ(model.cal.CalDPhi, 10.0f);  // 20 mA: the upper range value
}

// A range the user changes goes out in the unit whose code is sent;
// the device then reports the same range in that unit.
TEST_F(SequencesTest, ChangedRangeAndUnitGoOutTogether) {
    start(QStringLiteral("presence=transmitter,config=4"));
    t.program.log.setThreshold(2);
    ASSERT_EQ(session->connectDevice(), 1);
    session->disconnectDevice();
    ASSERT_EQ(seq->readDevice(Presence::Transmitter), 0) << log().toStdString();
    newFrames();
    f("Unit").Content = f("Unit").RawVal = QStringLiteral("1");  // mbar
    f("Unit").setColourState(ColourChanged);
    f("UpperRangeVal").Content = QStringLiteral("8000");
    f("UpperRangeVal").GadUnit = QStringLiteral("[mbar]");
    f("UpperRangeVal").setColourState(ColourChanged);
    f("LowerRangeVal").Content = QStringLiteral("0");
    f("LowerRangeVal").GadUnit = QStringLiteral("[mbar]");
    ASSERT_EQ(seq->writeDevice(Presence::Transmitter, WriteScope::Changes), 0)
        << log().toStdString();
    const QString frames = newFrames();
    EXPECT_TRUE(frames.contains(QStringLiteral("RX command=35 "))) << frames.toStdString();
    EXPECT_TRUE(log().contains(QStringLiteral(">>Einheit alt: 7, Einheit neu: 8")))
        << log().toStdString();

    ASSERT_EQ(seq->readDevice(Presence::Transmitter), 0) << log().toStdString();
    EXPECT_DOUBLE_EQ(f("TMeasRangeHigh").RawVal.toDouble(), 8000.0);  // in mbar now
    EXPECT_EQ(f("Unit").RawVal, "1");
    EXPECT_EQ(f("UpperRangeVal").RawVal, "12000");  // 8 bar of the 16 bar cell
}

// Values that cannot be sent and units the table lacks: a write that cannot
// be sent as asked stops before the link opens.
TEST_F(SequencesTest, UnsendableValuesStopTheWriteBeforeAnyFrame) {
    start(QStringLiteral("presence=both"));
    ASSERT_EQ(seq->readDevice(Presence::All), 0);
    newFrames();
    f("Damping").RawVal = QStringLiteral("nan");
    EXPECT_EQ(seq->writeDevice(Presence::All, WriteScope::All), kResultValueRefused);
    f("Damping").RawVal = QStringLiteral("1.0");
    f("Unit").Content = f("Unit").RawVal =
        QStringLiteral("6");  // mA: no HART code in the list below
    f("Unit").setColourState(ColourChanged);
    f("UpperRangeVal").setColourState(ColourChanged);
    t.program.profile.writeData(QStringLiteral("Pressure"), QStringLiteral("HartUnits"),
                                QStringLiteral("bar=7;"), t.program.state.ProfilePath);
    EXPECT_EQ(seq->writeDevice(Presence::All, WriteScope::All), kResultValueRefused);
    EXPECT_TRUE(newFrames().isEmpty());

    // A profile without the measurand's units: neither a read nor a write.
    t.program.profile.writeData(QStringLiteral("Pressure"), QStringLiteral("Units"), QString(),
                                t.program.state.ProfilePath);
    EXPECT_EQ(seq->readDevice(Presence::All), kResultNoProfileUnits);
    EXPECT_EQ(seq->writeDevice(Presence::All, WriteScope::All), kResultNoProfileUnits);
    EXPECT_TRUE(newFrames().isEmpty());
}

// Blocks written but not stored by the module make a failed write.
TEST_F(SequencesTest, FailedStoreAfterTheBlocksFailsTheWrite) {
    start(QStringLiteral("presence=both,fault=error:64*10@192"));
    ASSERT_EQ(seq->readDevice(Presence::All), 0) << log().toStdString();
    f("SetPoint1").Content = QStringLiteral("7.5");
    f("SetPoint1").setColourState(ColourChanged);
    EXPECT_EQ(seq->writeDevice(Presence::Display, WriteScope::Changes), kResultStoreFailed)
        << log().toStdString();
    EXPECT_FALSE(progressText().contains(QStringLiteral("Data transmitted")));
}

// Cancel in the progress window ends a read at the next step and leaves the
// data set as it was.
TEST_F(SequencesTest, CancelEndsTheReadAndKeepsTheDataSet) {
    start(QStringLiteral("presence=both"));
    f("TagID").RawVal = QStringLiteral("MINE");
    t.program.state.DataTrigger = 1;
    t.dialogs.cancelAtServe = 12;
    EXPECT_EQ(seq->readDevice(Presence::All), kResultCancelled);
    EXPECT_EQ(f("TagID").RawVal, "MINE");
    EXPECT_EQ(t.program.state.DataTrigger, 1);
    EXPECT_EQ(t.program.state.ConnectionState, 0);
    EXPECT_FALSE(t.dialogs.progressIsOpen());
}

// A module on its own brings its measurand with it: a temperature display
// read into a pressure table switches the table to temperature.
TEST_F(SequencesTest, DisplayOnlyReadTakesTheModulesMeasurand) {
    start(QStringLiteral("presence=display,config=0x20"));
    QStringList switched;
    seq->hooks.switchMeasurand = [&](const QString& m) { switched << m; };
    ASSERT_EQ(seq->readDevice(Presence::Display), 0) << log().toStdString();
    EXPECT_EQ(switched, QStringList{QStringLiteral("Temperature")});
    EXPECT_EQ(model.cal.Measurand, "Temperature");
    EXPECT_EQ(model.cal.IntSerIO, 0);
    EXPECT_DOUBLE_EQ(f("UpperRangeVal").Content.toDouble(), 250.0);
    EXPECT_DOUBLE_EQ(f("TempUpper").Content.toDouble(), 250.0);
    EXPECT_EQ(newFrames().count(QStringLiteral("RX command=191 ")),
              11);  // block 000 too asked once
}

// The live display on the same device: which commands one poll sends for
// each kind of device, what the read-out, the loop current and the
// converter value show, and that a lost poll is followed by a good one.
class LiveDisplayTest : public SequencesTest {
  protected:
    // A device of its own for each call, connected afresh.
    void connect(const QString& options) {
        live.reset();
        seq.reset();
        session.reset();
        start(options);
        t.program.state.DataTrigger = -1;
        t.program.log.setThreshold(4);
        live = std::make_unique<LiveDisplay>(model, *session, *seq);
        ASSERT_TRUE(live->startDynDisplay(Presence::All)) << log().toStdString();
        newFrames();
    }
    // The commands of one poll, in order.
    QString poll() {
        live->updateLiveDisplay();
        QStringList out;
        static const QRegularExpression rx(QStringLiteral("RX command=(\\d+) "));
        for (auto it = rx.globalMatch(newFrames()); it.hasNext();) out << it.next().captured(1);
        return out.join(QLatin1Char(','));
    }
    std::unique_ptr<LiveDisplay> live;
};

TEST_F(LiveDisplayTest, EachKindOfDeviceIsPolledForWhatItShows) {
    struct Row {
        const char* options;
        const char* commands;  // one poll
        const char* readOut;   // as shown
        double current;        // mA; NaN: none polled
        bool converterFromTransmitter;
    } rows[] = {
        {"presence=display,hold=50", "191", "8.01", NAN, false},
        {"presence=transmitter,hold=50", "1,2", "8.00 [bar]", 12.0, false},
        // Table mode: the converter reading of command 142 as well.
        {"presence=transmitter,config=03,hold=0", "1,142,2", "-1.00 [bar]", 4.0, true},
        {"presence=both,config=03,hold=0,caldecimals=3", "191,1,142,2", "-0.99", 4.0, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.options);
        connect(QLatin1String(r.options));
        // Values typed into the table are not the poll's to change.
        f(QStringLiteral("AGW3")).RawVal = QStringLiteral("123");
        EXPECT_EQ(poll(), QLatin1String(r.commands));
        const LiveState& s = live->state;
        EXPECT_EQ(s.Shown, QLatin1String(r.readOut));
        EXPECT_EQ(f(QStringLiteral("AGW3")).RawVal, "123");
        if (std::isnan(r.current))
            EXPECT_TRUE(std::isnan(s.LoopCurrent));
        else
            EXPECT_NEAR(s.LoopCurrent, r.current, 0.05);
        if (r.converterFromTransmitter) {
            EXPECT_EQ(s.ActADvalue, s.TransmitterAD);
            EXPECT_EQ(s.ActADvalue, -25000);  // the table's first point: the range's low end
        }
        live->stopDynDisplay();
        EXPECT_EQ(s.Shown, "");
        EXPECT_TRUE(std::isnan(s.LoopCurrent));
        EXPECT_EQ(t.program.state.ConnectionState, 0);
    }
}

// A poll the device does not answer is logged; the next one gets through.
TEST_F(LiveDisplayTest, ALostPollIsLoggedAndTheNextOneSucceeds) {
    connect(QStringLiteral("presence=transmitter,hold=25,fault=noanswer*1@1"));
    EXPECT_EQ(poll(), "1");  // one try: the next poll follows anyway
    EXPECT_TRUE(log().contains("C1_Response returned="));
    EXPECT_TRUE(t.program.state.DynamicDisplayOn);
    EXPECT_EQ(poll(), "1,2");
    EXPECT_EQ(live->state.Shown, "4.00 [bar]");
    EXPECT_TRUE(log().contains("DynDisplay=4.00 Current=8.00 [mA]"));
}

}  // namespace
}  // namespace zh
