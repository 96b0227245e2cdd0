#pragma once
// The run-time error handler. A fatal signal (segmentation fault, illegal
// instruction, arithmetic fault, bus error, abort) or std::terminate ends up
// here, and so does a fatal message of Qt (qFatal): the program writes an error report into the
// log, saves the whole log view to a dated file in the working directory, prints the report on
// stderr and ends with exit code 3.

#include <signal.h>

#include <QDateTime>
#include <QMessageLogContext>
#include <QString>
#include <QtGlobal>
#include <array>
#include <atomic>
#include <exception>
#include <functional>
#include <memory>

namespace zh {

class Dialogs;
class Logger;

// What is known about a fault when it is reported.
struct FaultInfo {
    QString message;           // "Illegal instruction", "Unhandled exception: ..."
    QString code;              // "SIGILL (4)", "std::terminate"
    quintptr codeAddress = 0;  // instruction that faulted; 0 when unknown
    bool accessViolation = false;
    quintptr targetAddress = 0;  // address that was accessed (access violations only)
    int sourceLine = -1;         // 1-based; anything below 1 means no line information
    QString sourceFile;
};

// The report as it is logged and shown: lines separated by "\r".
QString errorReportText(const FaultInfo& fault);

// "yyyy-MM-dd hh.mm.log" (24-hour clock), the name the log is saved under.
QString datedLogFileName(const QDateTime& when);

class FatalErrorHandler {
  public:
    // Receives the title and the text of the report once it has been saved.
    using ShowFn = std::function<void(const QString& title, const QString& text)>;

    FatalErrorHandler(Logger& logger, Dialogs& dialogs, QString workingDir);
    ~FatalErrorHandler();  // uninstalls
    FatalErrorHandler(const FatalErrorHandler&) = delete;
    FatalErrorHandler& operator=(const FatalErrorHandler&) = delete;

    // Takes over the fatal signals and std::terminate. Only one handler can be
    // installed at a time; false when another one is, or the system refuses.
    bool install();
    // Puts back what was there before install(). Does nothing when this
    // handler is not the installed one.
    void uninstall();
    bool isInstalled() const;

    // Called with the report after the log file is saved. None by default:
    // a message box is not something to open from inside a signal handler,
    // so the window opts in once it is up.
    void setShow(ShowFn show) { show_ = std::move(show); }
    // Shows the report through Dialogs::messageBox (Ok, error icon).
    void showInMessageBox();
    void setTitle(const QString& title) { title_ = title; }
    const QString& title() const { return title_; }

    // Logs the report, saves the log view to the dated file, prints the
    // report on stderr and calls the show function. Does not end the
    // program. Returns the name of the log file, empty when it could not be
    // written.
    QString report(const FaultInfo& fault);

    // The debug shortcut that checks this handler end to end.
    static void raiseIllegalInstruction();

    // Stack for the signal handler, so that a stack overflow is reported too.
    static constexpr std::size_t kAltStackSize = std::size_t{512} * 1024;

  private:
    static void onSignal(int sig, siginfo_t* info, void* context);
    static void onTerminate();
    static void onQtMessage(QtMsgType type, const QMessageLogContext& context,
                            const QString& message);
    [[noreturn]] void fatal(const FaultInfo& fault);
    static void restoreDefaultAndRaise(int sig);
    static void onReportHung(int sig);
    // How long a fault's report may take before the program ends without it.
    static constexpr unsigned kReportSeconds = 10;

    Logger& logger_;
    Dialogs& dialogs_;
    QString workingDir_;
    QString title_ = QStringLiteral("Program error");
    ShowFn show_;

    static constexpr std::array<int, 5> kSignals = {SIGSEGV, SIGILL, SIGFPE, SIGBUS, SIGABRT};
    std::array<struct sigaction, kSignals.size()> previousActions_{};
    std::terminate_handler previousTerminate_ = nullptr;
    QtMessageHandler previousQtHandler_ = nullptr;
    std::unique_ptr<char[]> altStack_;
    stack_t previousAltStack_{};
    bool altStackSet_ = false;
    // Set by the first fault; a second fault while reporting ends at once.
    std::atomic<bool> reporting_{false};
};

}  // namespace zh
