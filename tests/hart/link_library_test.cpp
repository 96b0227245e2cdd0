#include "hart/link_library.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "app/logger.h"
#include "support/scripted_dialogs.h"

namespace zh {
namespace {

// A logger over scripted dialogs, a fresh journal for the fake library and
// the fake's result variables cleared.
class LinkLibraryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(journalDir.isValid());
        qputenv("FAKE_LINK_JOURNAL",
                journalDir.filePath(QStringLiteral("journal.txt")).toLocal8Bit());
        qunsetenv("FAKE_LINK_OPEN_RESULT");
        qunsetenv("FAKE_LINK_CONNECT_RESULT");
    }
    void TearDown() override {
        qunsetenv("FAKE_LINK_JOURNAL");
        qunsetenv("FAKE_LINK_OPEN_RESULT");
        qunsetenv("FAKE_LINK_CONNECT_RESULT");
    }

    // The calls the fake library saw, one per line.
    QStringList journal() const {
        QFile f(journalDir.filePath(QStringLiteral("journal.txt")));
        if (!f.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    QString logText() const { return log.viewText(); }

    test::ScriptedDialogs dialogs;
    Logger log{dialogs};
    LinkLibrary link{log};
    QTemporaryDir journalDir;
};

QStringList lines(std::initializer_list<const char*> items) {
    QStringList out;
    for (const char* s : items) out << QString::fromLatin1(s);
    return out;
}

TEST_F(LinkLibraryTest, MissingLibraryEveryCallIsResourceErrorNamingTheEntryPoint) {
    EXPECT_FALSE(link.load(journalDir.filePath(QStringLiteral("no-such-dir/libhartlink.so"))));
    EXPECT_FALSE(link.isLoaded());
    EXPECT_FALSE(link.loadError().isEmpty());
    EXPECT_TRUE(logText().contains(QStringLiteral("HART library not loaded")))
        << logText().toStdString();

    uint8_t byte = 0, responseLength = 0, status1 = 0, status2 = 0;
    uint8_t response[8] = {};
    const uint8_t request[2] = {1, 2};
    struct Call {
        const char* name;
        int result;
    };
    const Call calls[] = {
        {"BaTinHrtCPr_Configure", link.configure(0, 0, 5, 1, 0, 0, 0, 10, 0)},
        {"BaTinHrtCPr_Open", link.open(5)},
        {"BaTinHrtCPr_Connect", link.connect(&byte)},
        {"BaTinHrtCPr_SendRequest",
         link.sendRequest(0, 2, request, &responseLength, response, &status1, &status2)},
        {"BaTinHrtCPr_GetComPortStatus", link.comPortStatus()},
        {"BaTinHrtCPr_Disconnect", link.disconnect()},
        {"BaTinHrtCPr_Close", link.close()},
    };
    for (const Call& c : calls) {
        EXPECT_EQ(c.result, HARTLINK_ERR_RESOURCE) << c.name;
        EXPECT_TRUE(logText().contains(QLatin1String(c.name))) << c.name << " not logged";
    }

    log.clearView();
    EXPECT_NE(runConnectionProbe(link, log, QStringLiteral("Com5")), HARTLINK_ERR_OK);
    EXPECT_TRUE(logText().contains(QStringLiteral("BaTinHrtCPr_Configure")))
        << logText().toStdString();
    EXPECT_TRUE(journal().isEmpty());
}

TEST_F(LinkLibraryTest, PartialLibraryProbeStopsAtTheMissingConnect) {
    ASSERT_TRUE(link.load(QStringLiteral(FAKE_LINK_PARTIAL_PATH)))
        << link.loadError().toStdString();
    // A library that cannot report its frames: the monitor stays quiet.
    link.setFrameMonitor([] { return true; });

    EXPECT_EQ(runConnectionProbe(link, log, QStringLiteral("Com5")), HARTLINK_ERR_RESOURCE);
    EXPECT_EQ(journal(), lines({"Configure 0 2 5 0 0 0 0 10 0", "Open 5"}));

    // The entry points that exist are not reported; the missing ones are,
    // by name and with the library they were looked for in.
    const QString text = logText();
    EXPECT_FALSE(text.contains(QStringLiteral("entry point BaTinHrtCPr_Configure")))
        << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("entry point BaTinHrtCPr_Open")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("BaTinHrtCPr_Connect not found in")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("BaTinHrtCPr_Close not found in")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Connect failed, result 2"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("BaTinHrtCPr_SetFrameCallback")))
        << text.toStdString();
}

TEST_F(LinkLibraryTest, FullLibraryProbeCallOrderAndArguments) {
    ASSERT_TRUE(link.load(QStringLiteral(FAKE_LINK_FULL_PATH))) << link.loadError().toStdString();

    EXPECT_EQ(runConnectionProbe(link, log, QStringLiteral("Com5")), HARTLINK_ERR_OK);
    EXPECT_EQ(journal(), lines({"Configure 0 2 5 0 0 0 0 10 0", "Open 5", "Connect 0", "Close"}));
    EXPECT_FALSE(logText().contains(QStringLiteral("not found"))) << logText().toStdString();
    // The polling address the session is configured for.
    EXPECT_EQ(runConnectionProbe(link, log, QStringLiteral("Com5"), 3), HARTLINK_ERR_OK);
    EXPECT_EQ(journal().mid(4, 1), lines({"Configure 3 2 5 0 0 0 0 10 0"}));
}

TEST_F(LinkLibraryTest, FullLibraryProbeEndsAfterFailedOpen) {
    ASSERT_TRUE(link.load(QStringLiteral(FAKE_LINK_FULL_PATH)));
    qputenv("FAKE_LINK_OPEN_RESULT", "4");

    EXPECT_EQ(runConnectionProbe(link, log, QStringLiteral("Com5")), HARTLINK_ERR_NO_RESPONSE);
    EXPECT_EQ(journal(), lines({"Configure 0 2 5 0 0 0 0 10 0", "Open 5"}));
    EXPECT_TRUE(logText().contains(QStringLiteral("Open failed, result 4")))
        << logText().toStdString();
}

TEST_F(LinkLibraryTest, FullLibraryProbeClosesAfterFailedConnect) {
    ASSERT_TRUE(link.load(QStringLiteral(FAKE_LINK_FULL_PATH)));
    qputenv("FAKE_LINK_CONNECT_RESULT", "3");

    EXPECT_EQ(runConnectionProbe(link, log, QStringLiteral("Com5")), HARTLINK_ERR_COMMUNICATION);
    EXPECT_EQ(journal(), lines({"Configure 0 2 5 0 0 0 0 10 0", "Open 5", "Connect 0", "Close"}));
}

TEST_F(LinkLibraryTest, ProbePortNumberFollowsTheLetterM) {
    ASSERT_TRUE(link.load(QStringLiteral(FAKE_LINK_FULL_PATH)));
    qputenv("FAKE_LINK_OPEN_RESULT", "4");  // only Configure and Open each time

    runConnectionProbe(link, log, QStringLiteral("Com12"));
    runConnectionProbe(link, log, QStringLiteral("COM7"));
    runConnectionProbe(link, log, QStringLiteral("Com"));
    const QStringList calls = journal();
    EXPECT_EQ(calls.filter(QStringLiteral("Open ")), lines({"Open 12", "Open 7", "Open 0"}));
}

TEST_F(LinkLibraryTest, FullLibraryPassesArgumentsAndResultsThrough) {
    ASSERT_TRUE(link.load(QStringLiteral(FAKE_LINK_FULL_PATH)));
    qputenv("FAKE_LINK_OPEN_RESULT", "7");

    EXPECT_EQ(link.configure(3, 250, 5, 1, 2, 9, 65535, 10, 300), HARTLINK_ERR_OK);
    EXPECT_EQ(link.open(65535), 7);
    uint8_t byte = 42;
    EXPECT_EQ(link.connect(&byte), HARTLINK_ERR_OK);

    const uint8_t request[3] = {0x01, 0xAB, 0xFF};
    uint8_t response[8] = {};
    uint8_t responseLength = 0, status1 = 0x55, status2 = 0x55;
    EXPECT_EQ(link.sendRequest(130, 3, request, &responseLength, response, &status1, &status2),
              HARTLINK_ERR_OK);
    EXPECT_EQ(responseLength, 3);
    EXPECT_EQ(response[1], 0xAB);
    EXPECT_EQ(status1, 0);
    EXPECT_EQ(status2, 0);

    EXPECT_EQ(link.comPortStatus(), HARTLINK_ERR_OK);
    EXPECT_EQ(link.disconnect(), HARTLINK_ERR_OK);
    EXPECT_EQ(link.close(), HARTLINK_ERR_OK);

    EXPECT_EQ(journal(),
              lines({"Configure 3 250 5 1 2 9 65535 10 300", "Open 65535", "Connect 42",
                     "SendRequest 130 3 01 AB FF", "GetComPortStatus", "Disconnect", "Close"}));
    EXPECT_FALSE(logText().contains(QStringLiteral("BaTinHrtCPr_"))) << logText().toStdString();
}

}  // namespace
}  // namespace zh
