// Message lookup through the language file, placeholders, the message box
// with its silent collection, and the waiting prompt.

#include <gtest/gtest.h>

#include "app/message_text.h"
#include "app/text_tables.h"
#include "support/test_program.h"

namespace zh {
namespace {

using test::TestProgram;

TEST(MessageText, EscapedKeyFormRoundTrips) {
    EXPECT_EQ(escapeMessageKey("can't open file "), "can't open file&nbsp;");
    EXPECT_EQ(escapeMessageKey("Value of {GadName}={ActVal}"), "Value of {GadName}&eq;{ActVal}");
    EXPECT_EQ(escapeMessageKey("[mA]"), "&sbo;mA&sbc;");
    EXPECT_EQ(escapeMessageKey("a\r\nb\nc"), "a<br><br>b<br>c");
    EXPECT_EQ(escapeCaptionKey("Unit [mA] = "), "Unit &sbo;mA&sbc; &eq; ");
    for (const char* text : {"can't open file ", "x=[y]", "two\nlines", "Update now?<br>Yes"}) {
        QString expected = QString::fromUtf8(text);
        expected.replace(QLatin1String("<br>"), QLatin1String("\n"));
        EXPECT_EQ(unescapeMessage(escapeMessageKey(QString::fromUtf8(text))), expected) << text;
    }
}

TEST(MessageText, PlaceholdersAreFilledByPosition) {
    EXPECT_EQ(fillPositional("Transfer of command '{command}' failed!", {"C190_012"}, true),
              "Transfer of command 'C190_012' failed!");
    // Names are documentation only; a repeated placeholder takes the same value.
    EXPECT_EQ(fillPositional("{b} then {a} then {b}", {"1", "2"}, true), "1 then 2 then 1");
    EXPECT_EQ(fillPositional("{x}-{y}-{z}", {"1"}, true), "1--");    // surplus placeholders empty
    EXPECT_EQ(fillPositional("{x}", {"1", "2", "3"}, true), "1");    // surplus parameters ignored
    EXPECT_EQ(fillPositional("{x} stays", {}, false), "{x} stays");  // no parameter field at all
}

TEST(MessageText, FillingNeverLoopsOrRescansInsertedText) {
    // A "}" before the last "{" and parameters that carry braces themselves.
    EXPECT_EQ(fillPositional("a} {p} {", {"{q}"}, true), "a} {q} {");
    EXPECT_EQ(fillPositional("{p} {q}", {"{q}", "2"}, true), "{q} 2");
    EXPECT_EQ(fillPositional("}{", {"x"}, true), "}{");
}

class MessagesTest : public ::testing::Test {
  protected:
    QString lookup(const QString& m, const QString& section = QStringLiteral("Application")) {
        return t.program.messages.lookupMessage(m, section);
    }
    QByteArray language() const { return t.readFile("Language/English.ini"); }
    TestProgram t;
};

TEST_F(MessagesTest, TranslationComesFromTheLanguageFile) {
    t.writeFile("Language/English.ini",
                "[SerialIO]\nTransfer of command '{command}' failed!=Übertragung von '{command}' "
                "fehlgeschlagen!\n"
                "[Application]\ncan't open file&nbsp;=kann Datei nicht öffnen:&nbsp;\n"
                "Value of {GadName}&eq;{ActVal} higher than limit&eq;{Limit}={GadName}&eq;{ActVal} "
                "&gt; {Limit}\n");
    EXPECT_EQ(lookup("Transfer of command '{command}' failed!\tC181", "SerialIO"),
              "Übertragung von 'C181' fehlgeschlagen!");
    EXPECT_EQ(lookup("can't open file "), "kann Datei nicht öffnen: ");
    EXPECT_EQ(lookup("Value of {GadName}={ActVal} higher than limit={Limit}\tDamping\t70\t60"),
              "Damping=70 &gt; 60");
    EXPECT_EQ(lookup("   "), "");
}

TEST_F(MessagesTest, MissingTextsAreAddedToTheLanguageFileOnce) {
    t.writeFile("Language/English.ini",
                "; translators: add texts below\n[Application]\nOpen=Open\n");
    EXPECT_EQ(lookup("Range [mA] = 4..20"), "Range [mA] = 4..20");
    EXPECT_EQ(lookup("can't read file "), "can't read file ");
    EXPECT_EQ(lookup("Line one\nline two"), "Line one\nline two");
    const QByteArray once = language();
    EXPECT_EQ(once,
              "; translators: add texts below\n[Application]\nOpen=Open\n"
              "Range &sbo;mA&sbc; &eq; 4..20=Range &sbo;mA&sbc; &eq; 4..20\n"
              "can't read file&nbsp;=can't read file&nbsp;\n"
              "Line one<br>line two=Line one<br>line two\n");
    // Read back through a fresh store: the same texts, nothing added twice.
    TestProgram again;
    again.writeFile("Language/English.ini", once);
    EXPECT_EQ(again.program.messages.lookupMessage("Range [mA] = 4..20", "Application"),
              "Range [mA] = 4..20");
    EXPECT_EQ(again.program.messages.lookupMessage("can't read file ", "Application"),
              "can't read file ");
    EXPECT_EQ(again.readFile("Language/English.ini"), once);
}

TEST_F(MessagesTest, LeadingBlanksSurviveTheLanguageFile) {
    EXPECT_EQ(lookup(" - File not updated!"), " - File not updated!");
    TestProgram again;
    again.writeFile("Language/English.ini", language());
    EXPECT_EQ(again.program.messages.lookupMessage(" - File not updated!", "Application"),
              " - File not updated!");
}

TEST_F(MessagesTest, UnwritableLanguageFileStillShowsTheEnglishText) {
    t.program.log.setThreshold(3);
    t.program.state.LanguageFile = QStringLiteral(".\\NoFolder\\Sub\\English.ini");
    QDir(t.dir.path()).mkpath("NoFolder");
    t.writeFile("NoFolder/Sub", "a file where the folder should be");
    EXPECT_EQ(lookup("Read module"), "Read module");
    EXPECT_EQ(lookup("Read module"), "Read module");
    int failures = 0;
    for (const QString& l : t.program.log.viewLines()) failures += l.startsWith("WriteData:");
    EXPECT_EQ(failures, 1);  // tried once, logged once
}

TEST_F(MessagesTest, SilentModeCollectsAndPrintAllShowsOneBox) {
    Messages& m = t.program.messages;
    m.collectSilently();
    EXPECT_EQ(m.showMessageBox("Error", "First problem", mb::Ok), "ok");
    EXPECT_EQ(m.showMessageBox("Error", "Second problem", mb::YesNo), "ok");
    EXPECT_TRUE(t.dialogs.boxes.empty());
    EXPECT_EQ(m.showCollected("Summary", mb::Ok), "ok");
    ASSERT_EQ(t.dialogs.boxes.size(), 1u);
    EXPECT_EQ(t.dialogs.boxes[0].text, "First problem\nSecond problem\n");
    EXPECT_FALSE(m.silent());

    m.collectSilently();
    m.showMessageBox("", "Dropped", mb::Ok);
    m.dropCollected();
    m.showCollected("", mb::Ok);  // nothing left: no box
    EXPECT_EQ(t.dialogs.boxes.size(), 1u);
    // Control words are commands, never texts for translators.
    EXPECT_FALSE(language().contains("~~"));
}

TEST_F(MessagesTest, AnswersAreWordsAndNodefmsgSkipsTranslation) {
    t.writeFile("Language/English.ini", "[Application]\nExit program=Programm beenden\n");
    Messages& m = t.program.messages;
    t.dialogs.boxAnswers = {mb::ResultYes, mb::ResultNo, mb::ResultCancel, 42};
    EXPECT_EQ(m.showMessageBox("Exit program", "Exit program", mb::YesNo), "yes");
    EXPECT_EQ(t.dialogs.boxes.back().title, "Programm beenden");
    EXPECT_EQ(m.showMessageBox("Exit program", "Exit program", mb::YesNo, MsgText::AsIs), "no");
    EXPECT_EQ(t.dialogs.boxes.back().text, "Exit program");
    EXPECT_EQ(m.showMessage("Info", "Set calibrator to {RangeVal} and confirm action!\t20 mA",
                            mb::YesNoCancel),
              "cancel");
    EXPECT_EQ(t.dialogs.boxes.back().text, "Set calibrator to 20 mA and confirm action!");
    EXPECT_EQ(m.showMessageBox("x", "odd button", mb::YesNo), "-");
    EXPECT_EQ(m.showMessageBox("x", "", mb::YesNo), "ok");  // empty: not shown
    EXPECT_EQ(t.dialogs.boxes.size(), 4u);
}

class WaitForActionTest : public MessagesTest {
  protected:
    static constexpr int kButton = 77;
};

TEST_F(WaitForActionTest, ShortWaitTimesOutWithoutProgressBar) {
    t.gadgets.control(kButton).text = QStringLiteral("Start");
    const std::int64_t start = t.clock.nowMs();
    EXPECT_EQ(t.program.messages.waitForAction(kButton, 200, "Working...", "", -1), 0);
    EXPECT_GE(t.clock.nowMs() - start, 200);
    EXPECT_LT(t.clock.nowMs() - start, 220);
    for (int p : t.gadgets.progressHistory) EXPECT_EQ(p, 0);
    EXPECT_EQ(t.gadgets.text(kButton), "Start");  // restored
    EXPECT_TRUE(t.gadgets.windowEnabled.value(Messages::kMainWindow));
}

TEST_F(WaitForActionTest, ClickEndsTheWaitAndLongWaitsShowTheTimeLeft) {
    WindowEvent click{EventGadget, 1, kButton, -1, GadgetSelect};
    t.gadgets.queueEvent(click, 2500);
    EXPECT_EQ(t.program.messages.waitForAction(kButton, 5000, "Set calibrator", "", rgb(255, 0, 0)),
              1);
    EXPECT_EQ(t.gadgets.control(kButton).foreground, rgb(255, 0, 0));
    ASSERT_FALSE(t.gadgets.progressHistory.empty());
    EXPECT_EQ(t.gadgets.progressHistory.front(), 100);
    EXPECT_EQ(t.gadgets.progressHistory.back(), 52);  // at the last tick 2.4 s of 5 s had passed
    EXPECT_TRUE(t.gadgets.windowEnabled.value(Messages::kMainWindow));
}

TEST_F(WaitForActionTest, NoCancelIgnoresClicksAndAClosedWindowEndsAnEndlessWait) {
    t.gadgets.queueEvent({EventGadget, 1, kButton, -1, GadgetSelect}, 10);
    EXPECT_EQ(t.program.messages.waitForAction(kButton, 100, "Please wait", "nocancel", -1), 0);
    t.gadgets.queueEvent({EventCloseWindow, 1, -1, -1, -1}, 10);
    EXPECT_EQ(t.program.messages.waitForAction(kButton, -1, "Waiting", "", -1), 0);
}

TEST_F(MessagesTest, DelayLogsAndWaits) {
    t.program.log.setThreshold(4);
    t.program.messages.delayFor(1000);
    EXPECT_EQ(t.dialogs.sleeps, std::vector<int>{1000});
    EXPECT_EQ(t.program.log.viewLines().back(), ">> Delay: 1000");
}

TEST_F(MessagesTest, LabelsAreTranslatedAndMissingOnesAdded) {
    t.writeFile("Language/Deutsch.ini",
                "[Application]\nSwitch 1=Schalter 1\n&sbo;mA&sbc;=&sbo;mA&sbc; Strom\n");
    t.program.state.LanguageFile = QStringLiteral(".\\Language\\Deutsch.ini");
    const std::vector<QString> captions = t.program.messages.loadLabels("Application");
    ASSERT_EQ(captions.size(), texts::kCaptionCount);
    EXPECT_EQ(captions[0], "ZEL Hart");
    int switch1 = -1, milliamps = -1;
    for (std::size_t i = 0; i < texts::kCaptionCount; ++i) {
        if (QString::fromUtf8(texts::kCaptions[i]) == "Switch 1") switch1 = static_cast<int>(i);
        if (QString::fromUtf8(texts::kCaptions[i]) == "[mA]") milliamps = static_cast<int>(i);
    }
    ASSERT_GT(switch1, 0);
    ASSERT_GT(milliamps, 0);
    EXPECT_EQ(captions[switch1], "Schalter 1");
    EXPECT_EQ(captions[milliamps], "[mA] Strom");
    const QByteArray file = t.readFile("Language/Deutsch.ini");
    EXPECT_TRUE(file.contains("\nStatus file=Status file\n"));
    EXPECT_EQ(t.program.state.CurrentMessageSection, "Application");
}

}  // namespace
}  // namespace zh
