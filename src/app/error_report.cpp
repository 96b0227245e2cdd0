#include "error_report.h"

#include <ucontext.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cstdio>
#include <cstdlib>

#include "dialogs.h"
#include "logger.h"

namespace zh {

namespace {

// The handler that owns the signals right now. A signal handler gets no
// argument to find its object by, so this is the one place that keeps it.
std::atomic<FatalErrorHandler*> g_installed{nullptr};

QString hexAddress(quintptr address) {
    return QStringLiteral("0x") + QString::number(address, 16);
}

QString signalMessage(int sig, int code) {
    switch (sig) {
        case SIGSEGV:
            return QStringLiteral("Segmentation fault (access violation)");
        case SIGILL:
            return QStringLiteral("Illegal instruction");
        case SIGBUS:
            return QStringLiteral(
                "Bus error (invalid address alignment or no memory behind the address)");
        case SIGABRT:
            return QStringLiteral("Abnormal termination (abort)");
        case SIGFPE:
            switch (code) {
                case FPE_INTDIV:
                    return QStringLiteral("Integer division by zero");
                case FPE_INTOVF:
                    return QStringLiteral("Integer overflow");
                case FPE_FLTDIV:
                    return QStringLiteral("Floating-point division by zero");
                default:
                    return QStringLiteral("Arithmetic fault (floating-point exception)");
            }
        default:
            return QStringLiteral("Signal %1").arg(sig);
    }
}

QString signalName(int sig) {
    const char* name = "SIG?";
    switch (sig) {
        case SIGSEGV:
            name = "SIGSEGV";
            break;
        case SIGILL:
            name = "SIGILL";
            break;
        case SIGFPE:
            name = "SIGFPE";
            break;
        case SIGBUS:
            name = "SIGBUS";
            break;
        case SIGABRT:
            name = "SIGABRT";
            break;
        default:
            break;
    }
    return QStringLiteral("%1 (%2)").arg(QLatin1String(name)).arg(sig);
}

// The instruction pointer at the moment of the fault, where the machine
// context tells it.
quintptr instructionPointer(const void* context) {
    if (!context) return 0;
    const auto* uc = static_cast<const ucontext_t*>(context);
#if defined(__linux__) && defined(__x86_64__)
    return static_cast<quintptr>(uc->uc_mcontext.gregs[REG_RIP]);
#elif defined(__linux__) && defined(__aarch64__)
    return static_cast<quintptr>(uc->uc_mcontext.pc);
#else
    (void)uc;
    return 0;
#endif
}

FaultInfo faultFromSignal(int sig, const siginfo_t* info, const void* context) {
    FaultInfo fault;
    fault.message = signalMessage(sig, info ? info->si_code : 0);
    fault.code = signalName(sig);
    fault.codeAddress = instructionPointer(context);
    if (sig == SIGSEGV || sig == SIGBUS) {
        fault.accessViolation = true;
        fault.targetAddress = info ? reinterpret_cast<quintptr>(info->si_addr) : 0;
    }
    return fault;
}

void writeToStderr(const QByteArray& bytes) {
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(STDERR_FILENO, p, static_cast<size_t>(left));
        if (n <= 0) return;
        p += n;
        left -= n;
    }
}

}  // namespace

QString errorReportText(const FaultInfo& fault) {
    // Every line, the last one included, ends with exactly one "\r"; the
    // hint about line information carries no "\r" of its own here, so the
    // report never ends in an empty line.
    QString text;
    auto line = [&text](const QString& s) {
        text += s;
        text += QLatin1Char('\r');
    };
    line(QStringLiteral("A program error was detected:"));
    line(QString());
    line(QStringLiteral("Error Message:   ") + fault.message);
    line(QStringLiteral("Error Code:      ") + fault.code);
    line(QStringLiteral("Code Address:    ") + hexAddress(fault.codeAddress));
    if (fault.accessViolation)
        line(QStringLiteral("Target Address:  ") + hexAddress(fault.targetAddress));
    if (fault.sourceLine > 0) {
        line(QStringLiteral("Sourcecode line: ") + QString::number(fault.sourceLine));
        line(QStringLiteral("Sourcecode file: ") + fault.sourceFile);
    } else {
        line(QStringLiteral(
            "Sourcecode line: Enable OnError lines support to get code line information."));
    }
    return text;
}

QString datedLogFileName(const QDateTime& when) {
    return when.toString(QStringLiteral("yyyy-MM-dd hh.mm")) + QStringLiteral(".log");
}

FatalErrorHandler::FatalErrorHandler(Logger& logger, Dialogs& dialogs, QString workingDir)
    : logger_(logger), dialogs_(dialogs), workingDir_(std::move(workingDir)) {}

FatalErrorHandler::~FatalErrorHandler() {
    uninstall();
}

bool FatalErrorHandler::install() {
    FatalErrorHandler* expected = nullptr;
    if (!g_installed.compare_exchange_strong(expected, this)) return expected == this;
    reporting_ = false;

    // The alternate stack belongs to the installing thread (the GUI thread,
    // where nearly all the work happens). A fault in another thread is still
    // reported, on that thread's own stack.
    if (!altStack_) altStack_.reset(new char[kAltStackSize]);
    stack_t stack{};
    stack.ss_sp = altStack_.get();
    stack.ss_size = kAltStackSize;
    stack.ss_flags = 0;
    altStackSet_ = sigaltstack(&stack, &previousAltStack_) == 0;

    struct sigaction action {};
    action.sa_sigaction = &FatalErrorHandler::onSignal;
    sigemptyset(&action.sa_mask);
    // SA_NODEFER: a fault inside the report comes back here and meets the
    // re-entry guard instead of killing the process with a blocked signal.
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (sigaction(kSignals[i], &action, &previousActions_[i]) != 0) {
            for (std::size_t j = 0; j < i; ++j)
                sigaction(kSignals[j], &previousActions_[j], nullptr);
            if (altStackSet_) sigaltstack(&previousAltStack_, nullptr);
            altStackSet_ = false;
            g_installed = nullptr;
            return false;
        }
    }
    previousTerminate_ = std::set_terminate(&FatalErrorHandler::onTerminate);
    previousQtHandler_ = qInstallMessageHandler(&FatalErrorHandler::onQtMessage);
    return true;
}

void FatalErrorHandler::uninstall() {
    if (g_installed.load() != this) return;
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        sigaction(kSignals[i], &previousActions_[i], nullptr);
    std::set_terminate(previousTerminate_);
    previousTerminate_ = nullptr;
    qInstallMessageHandler(previousQtHandler_);
    previousQtHandler_ = nullptr;
    if (altStackSet_) {
        // Never pull the stack away from under a handler that runs on it.
        stack_t current{};
        if (sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_ONSTACK))
            sigaltstack(&previousAltStack_, nullptr);
        altStackSet_ = false;
    }
    g_installed = nullptr;
}

bool FatalErrorHandler::isInstalled() const {
    return g_installed.load() == this;
}

void FatalErrorHandler::showInMessageBox() {
    Dialogs* dialogs = &dialogs_;
    show_ = [dialogs](const QString& title, const QString& text) {
        dialogs->messageBox(title, text, mb::Ok | mb::IconError);
    };
}

QString FatalErrorHandler::report(const FaultInfo& fault) {
    const QString text = errorReportText(fault);
    logger_.debugLog(text, -1);

    const QString name = datedLogFileName(QDateTime::currentDateTime());
    QFile file(QDir(workingDir_).filePath(name));
    bool saved = false;
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        // With logging switched off the view does not hold the report, yet
        // the saved file is what a technician sends in: it always ends with it.
        QString content = logger_.viewText();
        if (logger_.viewLines().empty() ||
            !logger_.viewLines().back().startsWith(QStringLiteral("A program error"))) {
            QString folded = text;
            folded.replace(QLatin1Char('\r'), QLatin1Char('\n'));
            content += folded;
        }
        const QByteArray bytes = content.toUtf8();
        saved = file.write(bytes) == bytes.size();
        file.close();
        saved = saved && file.error() == QFileDevice::NoError;
    }
    const QString shown =
        text + (saved ? QStringLiteral("\rLogfile '%1' saved!").arg(name)
                      : QStringLiteral("\rLogfile '%1' could not be saved!").arg(name));

    // A terminal treats "\r" as a return to the start of the same line, so
    // stderr gets line feeds instead.
    QString console = shown;
    console.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    console += QLatin1Char('\n');
    writeToStderr(console.toLocal8Bit());

    if (show_) {
        alarm(0);  // the report is complete; the box waits for the person
        show_(title_, shown);
    }
    return saved ? name : QString();
}

void FatalErrorHandler::raiseIllegalInstruction() {
    ::raise(SIGILL);
}

void FatalErrorHandler::fatal(const FaultInfo& fault) {
    // The report below needs the heap and Qt, which the fault may have left
    // locked or broken. Should it hang, the watchdog still ends the program
    // with 3; the report is given until the box is up, then the person decides.
    struct sigaction watchdog {};
    watchdog.sa_handler = &FatalErrorHandler::onReportHung;
    sigemptyset(&watchdog.sa_mask);
    sigaction(SIGALRM, &watchdog, nullptr);
    alarm(kReportSeconds);
    report(fault);
    _exit(3);
}

void FatalErrorHandler::onReportHung(int) {
    static const char kText[] =
        "A program error was detected; its report could not be completed.\n";
    (void)!::write(STDERR_FILENO, kText, sizeof kText - 1);
    _exit(3);
}

void FatalErrorHandler::restoreDefaultAndRaise(int sig) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(sig, &action, nullptr);
    ::raise(sig);
}

void FatalErrorHandler::onSignal(int sig, siginfo_t* info, void* context) {
    FatalErrorHandler* self = g_installed.load();
    if (!self) {
        // Uninstalled in the meantime: the fault takes its ordinary course.
        restoreDefaultAndRaise(sig);
        return;
    }
    if (self->reporting_.exchange(true)) _exit(3);
    self->fatal(faultFromSignal(sig, info, context));
}

void FatalErrorHandler::onTerminate() {
    FatalErrorHandler* self = g_installed.load();
    if (!self) std::abort();
    if (self->reporting_.exchange(true)) _exit(3);

    FaultInfo fault;
    fault.code = QStringLiteral("std::terminate");
    if (std::exception_ptr current = std::current_exception()) {
        try {
            std::rethrow_exception(current);
        } catch (const std::exception& e) {
            fault.message =
                QStringLiteral("Unhandled exception: ") + QString::fromLocal8Bit(e.what());
        } catch (...) {
            fault.message = QStringLiteral("Unhandled exception of unknown type");
        }
    } else {
        fault.message = QStringLiteral("std::terminate called");
    }
    self->fatal(fault);
}

void FatalErrorHandler::onQtMessage(QtMsgType type, const QMessageLogContext& context,
                                    const QString& message) {
    FatalErrorHandler* self = g_installed.load();
    if (type != QtFatalMsg || !self) {
        // Everything else is Qt's business, as it was before the handler.
        if (self && self->previousQtHandler_)
            self->previousQtHandler_(type, context, message);
        else
            std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
        return;
    }
    if (self->reporting_.exchange(true)) _exit(3);
    FaultInfo fault;
    fault.message = QStringLiteral("Qt fatal error: ") + message;
    fault.code = QStringLiteral("qFatal");
    if (context.line > 0 && context.file) {
        fault.sourceLine = context.line;
        fault.sourceFile = QString::fromLocal8Bit(context.file);
    }
    self->fatal(fault);
}

}  // namespace zh
