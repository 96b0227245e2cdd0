// The debug log: levels, progress marks, one line per entry, the file that
// survives a crash, and the colours of the log view.

#include "app/logger.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "app/gadgets.h"
#include "app/log_style.h"
#include "support/scripted_dialogs.h"

namespace zh {
namespace {

class LoggerTest : public ::testing::Test {
  protected:
    QByteArray fileText() const {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList view() const { return QStringList(log.viewLines().begin(), log.viewLines().end()); }

    QTemporaryDir dir;
    QString path = dir.path() + QStringLiteral("/Debug.log");
    test::ScriptedDialogs dialogs;
    Logger log{dialogs};
};

TEST_F(LoggerTest, ProgressMarksGrowInTheViewAndNeverReachTheFile) {
    log.setFile(path);
    log.debugLog("!");
    log.debugLog("!");
    log.debugLog("!");
    log.debugLog("next");
    log.debugLog("!");
    EXPECT_EQ(view(), QStringList({"!", "!!", "!!!", "next", "!"}));
    EXPECT_EQ(fileText(), "next\n");
}

TEST_F(LoggerTest, LineBreaksAreFoldedIntoOneLine) {
    log.setFile(path);
    log.debugLog("first\r\nsecond\nthird");
    EXPECT_EQ(view(), QStringList({"first^#second#third"}));
    EXPECT_EQ(fileText(), "first^#second#third\n");
}

TEST_F(LoggerTest, ThresholdDecidesWhatIsLogged) {
    log.setThreshold(3);
    log.debugLog("level 3", 3);
    log.debugLog("level 4", 4);
    log.debugLog("always", -1);
    EXPECT_EQ(view(), QStringList({"level 3", "always"}));
    log.setThreshold(0);
    log.debugLog("off", -1);
    EXPECT_EQ(view().size(), 2);
}

TEST_F(LoggerTest, HiddenWindowStillFeedsTheFile) {
    // A negative level in the profile hides the log window, yet the file
    // gets the lines up to the level's absolute value.
    log.setThreshold(3);
    log.setFile(path);
    log.debugLog("to file", 3);
    log.debugLog("too detailed", 4);
    EXPECT_EQ(fileText(), "to file\n");
    log.setViewExists(false);
    log.setFile(QString());
    log.debugLog("nowhere to go", 1);  // neither view nor file: nothing, no crash
    EXPECT_EQ(view(), QStringList({"to file"}));
}

TEST_F(LoggerTest, EachLineIsAppendedSoEarlierLinesSurvive) {
    log.setFile(path);
    log.debugLog("one");
    QFile(path).open(QIODevice::ReadOnly);  // someone reading the file meanwhile
    log.debugLog("two");
    EXPECT_EQ(fileText(), "one\ntwo\n");
    log.setFile(dir.path() + QStringLiteral("/no/such/dir/x.log"));
    log.debugLog("view only");  // unwritable file: the view still gets it
    EXPECT_EQ(view().last(), "view only");
}

TEST_F(LoggerTest, LevelSevenAlsoShowsABox) {
    log.setThreshold(7);
    log.debugLog("look here\nnow", 7);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].title, "Logio");
    EXPECT_EQ(dialogs.boxes[0].text, "look here#now");
}

TEST(LogLineStyle, FirstMatchingPrefixWins) {
    struct Case {
        const char* line;
        int colour;
        bool bold;
    } cases[] = {
        {"--> Com190_012", rgb(0, 185, 0), true},
        {"<-- Read Com190_089", rgb(0, 185, 0), true},
        {"<<< Comment: step 2", rgb(0, 136, 0), true},
        {"<<< UpdateDisplay\t|1|", rgb(100, 0, 100), true},
        {">>> HartRead(all all)", rgb(0, 0, 255), false},
        {">> Delay: 5", rgb(0, 0, 255), true},
        {"> #  MenuOpen", rgb(255, 0, 0), true},
        {"plain", rgb(0, 0, 0), false},
    };
    for (const Case& c : cases) {
        const LogLineStyle s = logLineStyle(QString::fromUtf8(c.line));
        EXPECT_EQ(s.colour, c.colour) << c.line;
        EXPECT_EQ(s.bold, c.bold) << c.line;
    }
    EXPECT_EQ(logLineStyle("plain", rgb(1, 2, 3)).colour, rgb(1, 2, 3));
    EXPECT_EQ(logLineStyle(">>> entry", rgb(1, 2, 3)).colour, rgb(0, 0, 255));
}

}  // namespace
}  // namespace zh
