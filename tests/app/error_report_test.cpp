#include "app/error_report.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <stdexcept>
#include <thread>
#include <vector>

#include "app/dialogs.h"
#include "app/logger.h"
#include "support/scripted_dialogs.h"

namespace zh {
namespace {

FaultInfo fault(const char* message, const char* code) {
    FaultInfo f;
    f.message = QString::fromLatin1(message);
    f.code = QString::fromLatin1(code);
    return f;
}

TEST(ErrorReport, TextOneCarriageReturnPerLine) {
    FaultInfo av = fault("Segmentation fault (access violation)", "SIGSEGV (11)");
    av.codeAddress = 0x7f12ab34;
    av.accessViolation = true;
    av.targetAddress = 0x10;
    av.sourceLine = 42;
    av.sourceFile = QStringLiteral("session.cpp");
    EXPECT_EQ(
        errorReportText(av).toStdString(),
        "A program error was detected:\r\rError Message:   Segmentation fault (access violation)\r"
        "Error Code:      SIGSEGV (11)\rCode Address:    0x7f12ab34\rTarget Address:  0x10\r"
        "Sourcecode line: 42\rSourcecode file: session.cpp\r");

    FaultInfo ill = fault("Illegal instruction", "SIGILL (4)");
    ill.targetAddress = 0x1234;  // only shown for access violations
    EXPECT_EQ(errorReportText(ill).toStdString(),
              "A program error was detected:\r\rError Message:   Illegal instruction\r"
              "Error Code:      SIGILL (4)\rCode Address:    0x0\r"
              "Sourcecode line: Enable OnError lines support to get code line information.\r");
}

TEST(ErrorReport, DatedNameIsZeroPaddedOn24HourClock) {
    EXPECT_EQ(datedLogFileName(QDateTime(QDate(2026, 12, 7), QTime(20, 45))),
              "2026-12-07 20.45.log");
    EXPECT_EQ(datedLogFileName(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 59))),
              "2026-01-02 03.04.log");
}

class FatalErrorHandlerTest : public ::testing::Test {
  protected:
    test::ScriptedDialogs dialogs;
    Logger logger{dialogs};
    QTemporaryDir dir;
    QString readLog(const QString& name) {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
};

TEST_F(FatalErrorHandlerTest, ReportSavesLogViewAndShowsIt) {
    logger.debugLog(QStringLiteral(">>> HartConnect(1)"), -1);
    FatalErrorHandler handler(logger, dialogs, dir.path());
    handler.setTitle(QStringLiteral("Zel HART"));
    handler.showInMessageBox();
    dialogs.boxAnswers.push_back(mb::ResultOk);
    const FaultInfo ill = fault("Illegal instruction", "SIGILL (4)");

    const QString name = handler.report(ill);
    const QString saved = readLog(name);
    EXPECT_TRUE(saved.startsWith(QStringLiteral(">>> HartConnect(1)\n")));
    EXPECT_TRUE(saved.contains(
        QStringLiteral("^Error Message:   Illegal instruction^")));  // logged as one line
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].title, QStringLiteral("Zel HART"));
    EXPECT_EQ(dialogs.boxes[0].flags, mb::Ok | mb::IconError);
    EXPECT_EQ(dialogs.boxes[0].text,
              errorReportText(ill) + QStringLiteral("\rLogfile '%1' saved!").arg(name));

    FatalErrorHandler nowhere(logger, dialogs, dir.filePath(QStringLiteral("missing")));
    EXPECT_TRUE(nowhere.report(ill).isEmpty());
}

TEST_F(FatalErrorHandlerTest, SavedFileHoldsTheReportEvenWithLoggingOff) {
    logger.setThreshold(0);
    FatalErrorHandler handler(logger, dialogs, dir.path());
    const QString saved = readLog(handler.report(fault("Illegal instruction", "SIGILL (4)")));
    EXPECT_TRUE(saved.contains(QStringLiteral("\nError Message:   Illegal instruction\n")));
}

TEST_F(FatalErrorHandlerTest, OneInstalledAtATimeAndUninstallRestores) {
    struct sigaction before {
    }, after{};
    sigaction(SIGILL, nullptr, &before);
    const std::terminate_handler terminateBefore = std::get_terminate();
    {
        FatalErrorHandler first(logger, dialogs, dir.path()), second(logger, dialogs, dir.path());
        ASSERT_TRUE(first.install());
        EXPECT_FALSE(second.install());
        first.uninstall();
        EXPECT_TRUE(second.install());
    }
    sigaction(SIGILL, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
    EXPECT_EQ(std::get_terminate(), terminateBefore);
}

// Each fault happens in a child process; the parent checks what it left.
using FatalErrorHandlerDeathTest = FatalErrorHandlerTest;

void faultWithHandler(Logger& logger, Dialogs& dialogs, const QString& dir, void (*fault)()) {
    logger.debugLog(QStringLiteral("before the fault"), -1);
    FatalErrorHandler handler(logger, dialogs, dir);
    handler.install();
    fault();
}

TEST_F(FatalErrorHandlerDeathTest, IllegalInstructionWritesDatedLogAndExits) {
    EXPECT_EXIT(
        faultWithHandler(logger, dialogs, dir.path(), &FatalErrorHandler::raiseIllegalInstruction),
        ::testing::ExitedWithCode(3),
        "Error Code:      SIGILL \\(4\\)(.|\n)*Logfile '.*\\.log' saved!");
    // The minute may have turned since the child named the file.
    const QStringList logs = QDir(dir.path()).entryList({QStringLiteral("*.log")}, QDir::Files);
    ASSERT_EQ(logs.size(), 1);
    EXPECT_TRUE(readLog(logs[0]).contains(QStringLiteral("before the fault")));
    EXPECT_TRUE(readLog(logs[0]).contains(QStringLiteral("Error Message:   Illegal instruction")));
}

int recurse(unsigned depth) {
    volatile char frame[1024];
    frame[0] = static_cast<char>(depth);
    return depth == 0 ? 0
                      : recurse(depth - 1) + frame[0];  // no tail call: every level keeps its frame
}

TEST_F(FatalErrorHandlerDeathTest, AccessViolationAndStackOverflowAreReported) {
    EXPECT_EXIT(faultWithHandler(logger, dialogs, dir.path(),
                                 [] {
                                     volatile quintptr address = 0x10;
                                     *reinterpret_cast<volatile int*>(quintptr(address)) = 1;
                                 }),
                ::testing::ExitedWithCode(3),
                "Code Address:    0x[0-9a-f]+\nTarget Address:  0x10\n");
    EXPECT_EXIT(faultWithHandler(logger, dialogs, dir.path(), [] { recurse(1u << 30); }),
                ::testing::ExitedWithCode(3), "Error Code:      SIGSEGV \\(11\\)");
}

TEST_F(FatalErrorHandlerDeathTest, QtFatalMessageIsReportedWithItsText) {
    EXPECT_EXIT(faultWithHandler(logger, dialogs, dir.path(), [] { qFatal("window system lost"); }),
                ::testing::ExitedWithCode(3),
                "Error Message:   Qt fatal error: window system lost\nError Code:      qFatal");
}

TEST_F(FatalErrorHandlerDeathTest, UncaughtExceptionInAnyThreadNamesIt) {
    EXPECT_EXIT(faultWithHandler(
                    logger, dialogs, dir.path(),
                    [] { std::thread([] { throw std::runtime_error("port vanished"); }).join(); }),
                ::testing::ExitedWithCode(3),
                "Error Message:   Unhandled exception: port vanished");
}

}  // namespace
}  // namespace zh
