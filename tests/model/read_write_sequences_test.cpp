// The read and write sequences against the simulated device: what a read
// brings into the field table, what a write sends (the device's own frame
// log is the witness), and how a failed sequence leaves the data set.

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "app/profile_settings.h"
#include "hart/connection_probe.h"
#include "hart/hart_session.h"
#include "hart/link_library.h"
#include "model/device_model.h"
#include "model/field_definitions.h"
#include "model/read_write_sequences.h"
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
        ASSERT_TRUE(ReadProfileFile(t.program));
        t.program.state.DebugLevel = 4;
        frameLog = t.path(QStringLiteral("frames.log"));
        qputenv("HARTSIM_OPTIONS", (options + ",log=" + frameLog).toLocal8Bit());
        ASSERT_TRUE(link.load(QStringLiteral(ZH_PROGRAM_DIR "/libhartlink.so")));
        t.program.state.ComPort = QStringLiteral("Sim");
        model.cal.Measurand = QStringLiteral("Pressure");
        DefDataStruc(model, QStringLiteral("[bar]"), 0, -11);
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
    ASSERT_EQ(seq->HartRead(QStringLiteral("all all")), 0) << log().toStdString();
    const QString frames = newFrames();
    for (const char* cmd : {"141", "15", "142", "151", "191"})
        EXPECT_TRUE(frames.contains(QStringLiteral("RX command=") + cmd + " ")) << cmd;
    EXPECT_EQ(f("ADCByte20").RawVal, "1");            // the configuration key of the simulated device
    EXPECT_EQ(f("TMeasRangeHigh").RawVal.toDouble(), 16.0);
    EXPECT_FALSE(f("VersCheck").RawVal.isEmpty());
    EXPECT_EQ(f("Damping").GadStatus, "read");
    EXPECT_EQ(t.program.state.DataTrigger, 0);        // B4
    EXPECT_FALSE(t.program.state.DataChanged);
    EXPECT_EQ(seq->moduleState, 1);
    EXPECT_EQ(session->LinkOpen, 0);                  // opened by the read, so closed by it
    EXPECT_EQ(seq->snapshots().size(), 9);
    EXPECT_TRUE(seq->readRecord().contains('\\'));
}

class PresenceTest : public SequencesTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(PresenceTest, ReadThenChangesWriteSendsNothingAndAllWriteSendsEverything) {
    start(QStringLiteral("presence=") + GetParam());
    ASSERT_EQ(session->HartConnect(), 1);  // finds out which devices answer
    session->HartDisConnect();
    session->LinkOpen = 0;
    const QString mode = t.program.state.TransmDisplay == "transmitter" ? "transmitter" : t.program.state.TransmDisplay;
    ASSERT_EQ(seq->HartRead(mode + " all"), 0) << log().toStdString();
    newFrames();
    ASSERT_EQ(seq->HartWrite(mode + " changes"), 0) << log().toStdString();
    const QString quiet = newFrames();
    EXPECT_FALSE(quiet.contains(kWriteFrame)) << quiet.toStdString();
    ASSERT_EQ(seq->HartWrite(mode + " all"), 0) << log().toStdString();
    const QString frames = newFrames();
    if (mode != "display") {
        for (const char* cmd : {"181", "182", "35", "34"})
            EXPECT_TRUE(frames.contains(QStringLiteral("RX command=") + cmd + " ")) << cmd;
    }
    if (mode != "transmitter") {
        EXPECT_TRUE(frames.contains(QStringLiteral("RX command=190 ")));
        EXPECT_TRUE(frames.contains(QStringLiteral("RX command=192 ")));  // stored in EEPROM
    }
}

INSTANTIATE_TEST_SUITE_P(Presences, PresenceTest, ::testing::Values("both", "transmitter", "display"));

TEST_F(SequencesTest, WrittenValuesComeBackAndOnlyTheDampingCommandsGoOut) {
    start(QStringLiteral("presence=both"));
    ASSERT_EQ(seq->HartRead(QStringLiteral("all all")), 0);
    newFrames();
    f("Damping").Content = QStringLiteral("4.5");
    t.gadgets.setText(f("Damping").GadID, QStringLiteral("4.5"));
    f("Damping").RawVal = QStringLiteral("4.5");
    ASSERT_EQ(seq->HartWrite(QStringLiteral("all changes")), 0) << log().toStdString();
    const QString frames = newFrames();
    EXPECT_TRUE(frames.contains(QStringLiteral("RX command=35 ")));
    EXPECT_TRUE(frames.contains(QStringLiteral("RX command=34 ")));
    EXPECT_FALSE(frames.contains(QRegularExpression(QStringLiteral("RX command=(181|182|190) ")))) << log().toStdString();

    f("Damping").RawVal = QStringLiteral("1.0");
    f("Damping").Content = QStringLiteral("1.0");
    ASSERT_EQ(seq->HartRead(QStringLiteral("all all")), 0);
    EXPECT_DOUBLE_EQ(f("Damping").RawVal.toDouble(), 4.5);
    // Nothing changed since: the next "changes" write is silent.
    newFrames();
    ASSERT_EQ(seq->HartWrite(QStringLiteral("all changes")), 0);
    EXPECT_FALSE(newFrames().contains(kWriteFrame));
}

TEST_F(SequencesTest, AnEditedSetPointIsConvertedAndOnlyItsBlockGoesOut) {
    start(QStringLiteral("presence=both"));
    ASSERT_EQ(seq->HartRead(QStringLiteral("all all")), 0);
    newFrames();
    const QString before = f("SetPoint1").RawVal;
    // As the input check leaves an edited field: new content, state "changed".
    f("SetPoint1").Content = QStringLiteral("7.5");
    f("SetPoint1").setColourState(ColourChanged);
    ASSERT_EQ(seq->HartWrite(QStringLiteral("all changes")), 0) << log().toStdString();
    EXPECT_NE(f("SetPoint1").RawVal, before);  // counts derived from the new content
    const QString frames = newFrames();
    EXPECT_TRUE(frames.contains(QStringLiteral("RX command=190 "))) << frames.toStdString();
    EXPECT_FALSE(frames.contains(QRegularExpression(QStringLiteral("RX command=(181|182|34|35) ")))) << frames.toStdString();
}

TEST_F(SequencesTest, NoWriteSendsNoWriteFrame) {
    start(QStringLiteral("presence=both"));
    ASSERT_EQ(seq->HartRead(QStringLiteral("all all")), 0);
    t.program.state.NoWrite = QStringLiteral("ON");
    newFrames();
    EXPECT_EQ(seq->HartWrite(QStringLiteral("all all")), 0) << log().toStdString();
    EXPECT_FALSE(newFrames().contains(kWriteFrame));
}

// A6: a read that breaks off half way gives back the data set shown before.
TEST_F(SequencesTest, FailedReadRestoresTheDataSet) {
    start(QStringLiteral("presence=both,fault=noanswer*50@142"));
    f("Damping").RawVal = QStringLiteral("7.5");
    f("Damping").Content = QStringLiteral("7.5");
    f("Damping").setColourState(ColourChanged);
    f("TagID").RawVal = QStringLiteral("EDITED");
    t.program.state.DataTrigger = 3;
    t.program.state.DataChanged = true;
    t.program.state.RequestTries = 1;
    EXPECT_NE(seq->HartRead(QStringLiteral("all all")), 0);
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
    EXPECT_EQ(seq->HartRead(QStringLiteral("display all")), kResultWrongInterfaceVersion);
    EXPECT_TRUE(progressText().contains(QStringLiteral("Invalid Firmwareversion! (4)")))
        << progressText().toStdString();
    EXPECT_EQ(t.program.state.DataTrigger, -1);
}

// A7: without a catalogue entry nothing goes to the transmitter, and that is a failure.
TEST_F(SequencesTest, UnknownConfigurationFailsTheWrite) {
    start(QStringLiteral("presence=both"), "\n1X=P 0...16 bar gauge|");
    ASSERT_EQ(seq->HartRead(QStringLiteral("all all")), 0);
    const QString before = seq->readRecord();
    newFrames();
    f("Damping").RawVal = QStringLiteral("2.5");
    f("Damping").Content = QStringLiteral("2.5");
    EXPECT_EQ(seq->HartWrite(QStringLiteral("all changes")), kResultInvalidConfiguration);
    EXPECT_FALSE(newFrames().contains(kWriteFrame));
    EXPECT_EQ(seq->readRecord(), before);
    EXPECT_FALSE(progressText().contains(QStringLiteral("Data transmitted")));
}

// After command 15 the range fields hold counts over the nominal range of
// command 141 and the scaling state is set for the serial interface.
TEST_F(SequencesTest, TransmitterReadTakesRangeAndUnitFromCommand15) {
    start(QStringLiteral("presence=transmitter,config=4"));
    ASSERT_EQ(session->HartConnect(), 1);
    session->HartDisConnect();
    session->LinkOpen = 0;
    model.cal.CalADlow = 0.0f;
    model.cal.CalADhi = 1.0f;
    ASSERT_EQ(seq->HartRead(QStringLiteral("transmitter all")), 0) << log().toStdString();
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
    ASSERT_EQ(session->HartConnect(), 1);
    session->HartDisConnect();
    session->LinkOpen = 0;
    ASSERT_EQ(seq->HartRead(QStringLiteral("transmitter all")), 0) << log().toStdString();
    EXPECT_EQ(f("LowerRangeVal").RawVal, "4000");
    EXPECT_EQ(f("UpperRangeVal").RawVal, "14000");
    EXPECT_DOUBLE_EQ(f("UpperRangeVal").Content.toDouble(), 10.0);
    EXPECT_EQ(f("NominalRangeHigh").RawVal, "16");
}

TEST_F(SequencesTest, TransmitterReadTakesTheCalibrationUnitOfCommand15) {
    start(QStringLiteral("presence=transmitter,config=2"));  // 0...600 mbar
    ASSERT_EQ(session->HartConnect(), 1);
    session->HartDisConnect();
    session->LinkOpen = 0;
    ASSERT_EQ(seq->HartRead(QStringLiteral("transmitter all")), 0) << log().toStdString();
    EXPECT_EQ(f("UnitULRV").RawVal, "1");  // mbar
    EXPECT_EQ(f("Unit").RawVal, "1");
    EXPECT_EQ(f("UpperRangeVal").RawVal, "20000");
}

// The display module alone: its range values carry the decimal point of
// block 012, and the calibration points follow from the counts of block 013.
TEST_F(SequencesTest, DisplayReadScalesTheRangesAndInterpolatesTheCalibration) {
    start(QStringLiteral("presence=display,config=4"));
    ASSERT_EQ(seq->HartRead(QStringLiteral("display all")), 0) << log().toStdString();
    EXPECT_EQ(model.cal.CalDecP, 2);
    EXPECT_FLOAT_EQ(model.cal.CalDPlow, 0.0f);
    EXPECT_FLOAT_EQ(model.cal.CalDPhi, 10.0f);
    EXPECT_FLOAT_EQ(model.cal.CalNomHi, 16.0f);
    EXPECT_DOUBLE_EQ(f("UpperRangeVal").Content.toDouble(), 10.0);
    EXPECT_DOUBLE_EQ(f("NominalRangeHigh").Content.toDouble(), 16.0);
    EXPECT_TRUE(t.dialogs.boxes.empty());

    // 10 bar now at 12000 counts: the upper calibration point (20000) is 20 bar.
    f("UpperRangeADVal").RawVal = QStringLiteral("12000");
    ASSERT_EQ(seq->HartWrite(QStringLiteral("display all")), 0) << log().toStdString();
    ASSERT_EQ(seq->HartRead(QStringLiteral("display all")), 0) << log().toStdString();
    EXPECT_EQ(f("UpperRangeADVal").RawVal, "12000");
    EXPECT_FLOAT_EQ(model.cal.CalDPlow, 0.0f);
    EXPECT_FLOAT_EQ(model.cal.CalDPhi, 20.0f);
}

TEST_F(SequencesTest, RangeOutsideTheNominalRangeIsReportedAndTheReadGoesOn) {
    start(QStringLiteral("presence=display,config=4"));
    ASSERT_EQ(seq->HartRead(QStringLiteral("display all")), 0) << log().toStdString();
    ASSERT_TRUE(t.dialogs.boxes.empty());
    f("LowerRangeVal").RawVal = QStringLiteral("-150");  // -1.5 bar
    ASSERT_EQ(seq->HartWrite(QStringLiteral("display all")), 0) << log().toStdString();
    ASSERT_EQ(seq->HartRead(QStringLiteral("display all")), 0) << log().toStdString();
    ASSERT_EQ(t.dialogs.boxes.size(), 1u);
    EXPECT_EQ(t.dialogs.boxes[0].title, "Error");
    EXPECT_EQ(t.dialogs.boxes[0].text, "Lower range value -1.5 < nominal range 0");
    EXPECT_EQ(seq->moduleState, 1);

    t.dialogs.boxes.clear();
    f("LowerRangeVal").RawVal = QStringLiteral("0");
    f("UpperRangeVal").RawVal = QStringLiteral("1725");  // 17.25 bar
    ASSERT_EQ(seq->HartWrite(QStringLiteral("display all")), 0) << log().toStdString();
    ASSERT_EQ(seq->HartRead(QStringLiteral("display all")), 0) << log().toStdString();
    ASSERT_EQ(t.dialogs.boxes.size(), 1u);
    EXPECT_EQ(t.dialogs.boxes[0].title, "Error");
    EXPECT_EQ(t.dialogs.boxes[0].text, "Upper range value 17.25 > nominal range 16");
}

}  // namespace
}  // namespace zh
