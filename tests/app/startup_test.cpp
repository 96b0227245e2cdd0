// Program identity and the order of the start.

#include "app/startup.h"

#include <gtest/gtest.h>

#include "app/edition.h"
#include "support/test_program.h"

namespace zh {
namespace {

using test::TestProgram;

TEST(Edition, ChosenByTheBeginningOfTheFileNameInAnyCase) {
    EXPECT_EQ(editionFromFileName("ZEL-HART").name, "ZEL-HART");
    EXPECT_EQ(editionFromFileName("zel-hart-v2").profilePath, ".\\Config-125.ini");
    EXPECT_EQ(editionFromFileName("Kalvero_Service").name, "KALVERO_S");
    EXPECT_EQ(editionFromFileName("KALVERO_S").profilePath, ".\\Config.ini");
    EXPECT_EQ(editionFromFileName("ZELHART").name, "invalid");
    EXPECT_EQ(editionFromFileName("ZEL-HAR").name, "invalid");
    EXPECT_EQ(editionFromFileName("my-ZEL-HART").name, "invalid");

    AppState s;
    applyEdition(s, "zel-hart");
    EXPECT_EQ(s.WindowTitle, "ZEL-HART V 0.9.129");
    EXPECT_TRUE(s.AboutText.startsWith("ZEL-HART\r\rV 0.9.129\r\r"));
    EXPECT_EQ(s.ProfilePath, s.InitialProfilePath);
}

TEST(CommandLine, FieldsAndPortNumbers) {
    const QString cmd = commandLineText({"Connect", "Com5"});
    EXPECT_EQ(cmd, "HartMain Connect Com5 ");
    EXPECT_EQ(blankField(cmd, 2), "Connect");
    EXPECT_EQ(blankField(cmd, 3), "Com5");
    EXPECT_EQ(blankField(commandLineText({"Connect"}), 3), "");
    EXPECT_EQ(portNumberOf("Com5"), 5);
    EXPECT_EQ(portNumberOf("COM16"), 16);
    EXPECT_EQ(portNumberOf("Sim"), 0);
    EXPECT_EQ(portNumberOf("Auto"), 0);
    EXPECT_EQ(portNumberOf("Com99999999"), 0);
}

class StartupTest : public ::testing::Test {
  protected:
    StartResult start(const QString& exe, const QStringList& args) {
        return runStartup(t.program, exe, t.dir.path(), args, hooks);
    }
    TestProgram t;
    StartupHooks hooks;
    QStringList calls;
    void SetUp() override {
        hooks.bindLinkLibrary = [this] { calls << "bind"; };
        hooks.runProbe = [this](const QString& port) {
            calls << "probe " + port;
            return 4;
        };
    }
};

TEST_F(StartupTest, NormalStartTranslatesTextsAndBindsTheLibraryOnce) {
    t.writeFile("Config-125.ini", "[Language]\nActualLanguage=Deutsch\n");
    t.writeFile("Language/Deutsch.ini", "[SerialIO]\nRead module=Modul lesen\n");
    const StartResult r = start("ZEL-HART", {});
    EXPECT_TRUE(r.runWindow);
    EXPECT_EQ(calls, QStringList({"bind"}));
    EXPECT_EQ(t.program.state.ActualLanguage, "Deutsch");
    EXPECT_EQ(t.program.texts.text("SerialIO", "Read module"), "Modul lesen");
    EXPECT_TRUE(t.program.texts.contains("Application", "Program has been renamed!"));
    EXPECT_TRUE(t.program.commonTexts.contains("Common", "Save data"));
    // Untranslated texts were added to the language file for the translator.
    EXPECT_TRUE(t.readFile("Language/Deutsch.ini").contains("\nHart address=Hart address\n"));
}

TEST_F(StartupTest, ProbeWritesNoFileAndEndsWithTheProbesResult) {
    t.writeFile("Language/English.ini", "");
    const StartResult r = start("ZEL-HART", {"Connect", "Com5"});
    EXPECT_FALSE(r.runWindow);
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_EQ(calls, QStringList({"bind", "probe Com5"}));
    EXPECT_EQ(t.readFile("Language/English.ini"), QByteArray());
    EXPECT_FALSE(QFile::exists(t.path("Debug.log")));

    // No port, or an empty one: a usage error, nothing probed.
    for (const QStringList& arguments :
         {QStringList{"Connect"}, QStringList{"Connect", ""}, QStringList{"Connect", " ", "3"}}) {
        calls.clear();
        TestProgram two;
        const StartResult r2 =
            runStartup(two.program, "ZEL-HART", two.dir.path(), arguments, hooks);
        EXPECT_FALSE(r2.runWindow);
        EXPECT_EQ(r2.exitCode, 2) << qPrintable(arguments.join('|'));
        EXPECT_EQ(calls, QStringList({"bind"}));
    }
}

TEST_F(StartupTest, RenamedProgramIsRefused) {
    const StartResult r = start("ZELHART", {});
    EXPECT_FALSE(r.runWindow);
    ASSERT_EQ(t.dialogs.boxes.size(), 1u);
    EXPECT_EQ(t.dialogs.boxes[0].title, "Failure");
    EXPECT_EQ(t.dialogs.boxes[0].text, "Program has been renamed! (ZELHART)");
    // The composed text is not a text for translators.
    EXPECT_FALSE(t.readFile("Language/English.ini").contains("(ZELHART)"));
}

TEST(Startup, TheLanguageIsTheProfilesElseTheDesktopsWhenItShips) {
    struct Row {
        const char* name;
        const char* profile;
        const char* desktop;  // "" unknown
        const char* language;
    };
    const Row rows[] = {
        {"a name that leaves the folder", "[Language]\nActualLanguage=../../tmp/evil\n", "",
         "English"},
        {"the profile's", "[Language]\nActualLanguage=English\n", "Deutsch", "English"},
        {"none named: the desktop's", "[Common]\n", "Deutsch", "Deutsch"},
        {"none named, the desktop's not shipped", "[Common]\n", "Klingon", "English"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TestProgram t;
        t.writeFile("Config-125.ini", row.profile);
        t.writeFile("Language/Deutsch.ini", "[Application]\n");
        StartupHooks hooks;
        if (*row.desktop) hooks.desktopLanguage = [&] { return QString(row.desktop); };
        runStartup(t.program, "ZEL-HART", t.dir.path(), {}, hooks);
        EXPECT_EQ(t.program.state.ActualLanguage, row.language);
        EXPECT_TRUE(
            t.program.state.LanguageFile.endsWith(QString("Language\\") + row.language + ".ini"));
    }
}

}  // namespace
}  // namespace zh
