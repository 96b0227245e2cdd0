// The start-up read of the profile and the small settings stores.

#include "app/profile_settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "app/setting_stores.h"
#include "support/test_program.h"

namespace zh {
namespace {

using test::TestProgram;

class ProfileSettingsTest : public ::testing::Test {
  protected:
    AppState& loaded(const QByteArray& profile) {
        t.program.ini.forget(t.writeFile("Config-125.ini", profile));
        EXPECT_TRUE(readProfileFile(t.program));
        return t.program.state;
    }
    TestProgram t;
};

TEST_F(ProfileSettingsTest, MissingProfileGivesEveryDefault) {
    ASSERT_TRUE(readProfileFile(t.program));
    const AppState& s = t.program.state;
    EXPECT_EQ(s.DebugLevel, 0);
    EXPECT_EQ(t.program.log.threshold(), 0);
    EXPECT_FALSE(s.FrameMonitor);
    EXPECT_EQ(s.SaveRequestTargets, "file;module");
    EXPECT_EQ(s.TransmitterDisplay, "auto");
    EXPECT_EQ(s.FileExtensions, "Pressure (*.cfp)|*.cfp|Temperature (*.cft)|*.cft");
    EXPECT_EQ(s.ComPort, "Com4");
    EXPECT_EQ(s.DisplayInterfaceVersion, "5");
    EXPECT_EQ(s.SetDisplayInterfaceVersion, "5");
    EXPECT_EQ(s.DynPollTime, 250);
    EXPECT_EQ(s.MessageDisplayTime, 5000);
    EXPECT_EQ(s.ConnectTimeout, 4000);
    EXPECT_EQ(s.ConnectRetry, 3);
    EXPECT_EQ(s.HartAddress, 0);
    EXPECT_FLOAT_EQ(s.MinHysteresis, 0.5f);
    ASSERT_EQ(s.MeasurandList.size(), 2u);
    EXPECT_EQ(s.MeasurandList[1].Name, "Temperature");
    EXPECT_EQ(s.MeasurandList[1].Index, 1);
    EXPECT_EQ(s.MeasurandList[1].BaseUnit, "[°C]");
    EXPECT_FALSE(QFile::exists(t.path("Config-125.ini")));  // nothing written back
}

TEST_F(ProfileSettingsTest, ValuesAreNormalised) {
    const AppState& s = loaded(
        "[Common]\nTransmitter/"
        "Display=Display\nSaveRequest=FILE\nUserMode=Customizer\nFrameMonitor=on\n"
        "MessageDisplayTime=2,5\nFileExtensions=Data (*.cfp)\\*.cfp\nMeasurands=Pressure=0\n"
        "[Pressure]\nBaseUnit=[bar]\nDeviceEquipment=Switch=1;Display=2\n[Config]\nminhys=1,5s\n");
    EXPECT_EQ(s.TransmitterDisplay, "display");
    EXPECT_EQ(s.SaveRequestTargets, "file");
    EXPECT_EQ(s.UserMode, "customizer");
    EXPECT_EQ(s.MessageDisplayTime, 2500);
    EXPECT_EQ(s.FileExtensions, "Data (*.cfp)|*.cfp");
    ASSERT_EQ(s.MeasurandList.size(), 1u);
    EXPECT_EQ(s.MeasurandList[0].BaseUnit, "[bar]");
    EXPECT_EQ(s.MeasurandList[0].DeviceEquipment, "Switch=1;Display=2");
    EXPECT_FLOAT_EQ(s.MinHysteresis, 1.5f);
    EXPECT_TRUE(s.FrameMonitor);
}

TEST_F(ProfileSettingsTest, TransmitterDisplayChoices) {
    EXPECT_EQ(loaded("[Common]\nTransmitter/Display=both\n").TransmitterDisplay, "auto");
    EXPECT_EQ(loaded("[Common]\nTransmitter&Display=ALL\n").TransmitterDisplay, "all");
    EXPECT_EQ(
        loaded("[Common]\nTransmitter/Display=display\nTransmitterOnly=ON\n").TransmitterDisplay,
        "transmitter");
    EXPECT_EQ(
        loaded("[Common]\nTransmitter/Display=display\nTransmitterOnly=on\n").TransmitterDisplay,
        "display");
}

TEST_F(ProfileSettingsTest, BadNumbersFallBackToTheirDefaults) {
    const AppState& s = loaded(
        "[Common]\nDynPollTime=0\nHartAddress=300\nMessageDisplayTime=-4\n"
        "[Serial_IO]\nConnectTimeout=-1\nConnectRetry=0\n");
    EXPECT_EQ(s.DynPollTime, 250);
    EXPECT_EQ(s.HartAddress, 0);
    EXPECT_EQ(s.MessageDisplayTime, 5000);
    EXPECT_EQ(s.ConnectTimeout, 4000);
    EXPECT_EQ(s.ConnectRetry, 0);  // no probe at all is a valid choice
    EXPECT_EQ(loaded("[Common]\nHartAddress=abc\n").HartAddress, 0);
    EXPECT_EQ(loaded("[Common]\nHartAddress= 15 \n").HartAddress, 15);
    EXPECT_EQ(loaded("[Common]\nHartAddress=63\n").HartAddress, 63);
    EXPECT_EQ(loaded("[Common]\nHartAddress=64\n").HartAddress, 0);
}

TEST_F(ProfileSettingsTest, DebugSettingsStartANewLog) {
    t.writeFile("logs/run.log", "previous run\n");
    const AppState& s = loaded("[Common]\nDebugLevel=-3\nDebugFile=.\\logs\\run.log\n");
    EXPECT_EQ(s.DebugLevel, -3);
    EXPECT_EQ(t.program.log.threshold(), 3);
    EXPECT_EQ(t.readFile("logs/run.log"),
              QByteArray());  // old log removed, this run's lines follow
    t.program.log.debugLog("hello", 3);
    EXPECT_EQ(t.readFile("logs/run.log"), "hello\n");

    // Only a log of this program is emptied: any other file keeps what it
    // holds, and the log goes to its default place with a warning.
    const QByteArray kept = "[x]\nk=v\n";
    for (const char* name : {"Config-125.ini", "Language/English.ini", "data/p.cfp",
                             "logs/log-link.log", "logs/folder.log"}) {
        t.writeFile("Language/English.ini", kept);
        t.writeFile("data/p.cfp", kept);
        QFile::remove(t.path("logs/log-link.log"));
        ASSERT_TRUE(QFile::link(t.path("Config-125.ini"), t.path("logs/log-link.log")));
        ASSERT_TRUE(QDir().mkpath(t.path("logs/folder.log")));
        const QByteArray profile = "[Common]\nDebugLevel=1\nDebugFile=" + QByteArray(name) + "\n";
        const QString debugLog = t.path("Debug.log");
        t.writeFile("Debug.log", "previous run\n");
        loaded(profile);
        EXPECT_EQ(t.readFile("Config-125.ini"), profile) << name;
        EXPECT_EQ(t.readFile("Language/English.ini"), kept) << name;
        EXPECT_EQ(t.readFile("data/p.cfp"), kept) << name;
        EXPECT_EQ(t.program.log.file(), debugLog) << name;
        EXPECT_TRUE(t.readFile("Debug.log")
                        .startsWith("DebugFile " + t.path(name).toUtf8() + " is not used"))
            << name << ": " << t.readFile("Debug.log").toStdString();
    }
}

TEST_F(ProfileSettingsTest, ChosenProfileReplacesTheDefaultOne) {
    t.writeFile("Config-125.ini", "[Common]\nSelectConfig=ON\n");
    t.writeFile("site/plant.ini", "[Common]\nUserMode=administrator\n");
    t.dialogs.fileAnswers = {t.path("site/plant.ini")};
    ASSERT_TRUE(readProfileFile(t.program));
    EXPECT_EQ(t.program.state.UserMode, "administrator");
    EXPECT_TRUE(t.dialogs.requesters.first().startsWith("open|ZELHart|"));

    TestProgram cancelled;
    cancelled.writeFile("Config-125.ini", "[Common]\nSelectConfig=ON\n");
    cancelled.dialogs.fileAnswers = {QString()};
    EXPECT_FALSE(readProfileFile(cancelled.program));
}

TEST_F(ProfileSettingsTest, HartAddressInputAcceptsOnlyZeroToFifteen) {
    t.writeFile("Config-125.ini", "[Common]\r\nHartAddress=0\r\n");
    for (const char* bad : {"abc", "16", "-1", "1.5", "", "007"}) {
        EXPECT_FALSE(applyHartAddressInput(t.program, QString::fromUtf8(bad))) << bad;
    }
    EXPECT_EQ(t.program.state.HartAddress, 0);
    EXPECT_FALSE(applyHartAddressInput(t.program, "0"));  // unchanged: nothing written
    EXPECT_EQ(t.readFile("Config-125.ini"), "[Common]\r\nHartAddress=0\r\n");
    t.dialogs.inputAnswers = {" 12 "};
    HartAddressDialog(t.program);
    EXPECT_EQ(t.program.state.HartAddress, 12);
    EXPECT_EQ(t.readFile("Config-125.ini"), "[Common]\r\nHartAddress=12\r\n");
    EXPECT_EQ(t.dialogs.requesters.last(), "input|Hart Parameters|Hart Address (0...15):|0");
}

TEST_F(ProfileSettingsTest, PortDeviceAndLanguageStores) {
    t.program.state.ConnectionState = 1;
    EXPECT_TRUE(selectComPort(t.program, "Com7"));
    EXPECT_EQ(t.program.state.ConnectionState, 1);
    EXPECT_TRUE(selectComPort(t.program, "Auto"));
    EXPECT_EQ(t.program.state.ConnectionState, 0);
    EXPECT_TRUE(selectTransmitterDisplay(t.program, "all"));
    EXPECT_FALSE(selectTransmitterDisplay(t.program, "both"));
    EXPECT_TRUE(selectLanguage(t.program, "Deutsch"));
    EXPECT_FALSE(selectLanguage(t.program, "../../etc/passwd"));
    EXPECT_EQ(t.readFile("Config-125.ini"),
              "[Serial_IO]\r\nComPort=Auto\r\n[Common]\r\nTransmitter/"
              "Display=all\r\n[Language]\r\nActualLanguage=Deutsch\r\n");
    EXPECT_EQ(queryLanguage(t.program, "English"), "Deutsch");
}

TEST(SettingStores, LanguagesAreTheIniFilesOfTheLanguageFolder) {
    TestProgram t;
    for (const char* name : {"English", "Deutsch", "Français", "L03", "L04", "L05", "L06", "L07",
                             "L08", "L09", "L10"}) {
        t.writeFile(QStringLiteral("Language/%1.ini").arg(QString::fromUtf8(name)),
                    "[Application]\n");
    }
    t.writeFile("Language/readme.txt", "not a language");
    const QStringList langs = availableLanguages(t.program.state.ProgramDir);
    ASSERT_EQ(langs.size(), kMaxLanguages);
    EXPECT_EQ(langs.first(), "Deutsch");
    EXPECT_TRUE(langs.contains("English"));
    EXPECT_TRUE(availableLanguages(t.path("nowhere")).isEmpty());
}

}  // namespace
}  // namespace zh
