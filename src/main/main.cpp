// The program's entry: builds the program context, installs the error
// handler, runs the start-up and then either a command without a window
// (the connection probe, the batch commands) or the main window and its
// loop. The same source builds both editions; the file name decides which
// one runs.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <memory>
#include <optional>
#include <type_traits>

#include "app/clock.h"
#include "app/console_dialogs.h"
#include "app/error_report.h"
#include "app/headless_gadgets.h"
#include "app/menu_ids.h"
#include "app/profile_settings.h"
#include "app/program.h"
#include "app/report_viewer.h"
#include "app/startup.h"
#include "app/unattended_dialogs.h"
#include "files/batch_commands.h"
#include "files/device_core.h"
#include "hart/connection_probe.h"
#include "hart/link_library.h"
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/qt_dialogs.h"
#include "ui/qt_gadgets.h"
#include "ui/replay.h"
#include "ui/report_box.h"
#include "ui/write_checks.h"

namespace {

QStringList argumentsOf(int argc, char** argv) {
    QStringList out;
    for (int i = 1; i < argc; ++i) out << QString::fromLocal8Bit(argv[i]);
    return out;
}

// The connection probe and the batch commands run without a window.
bool runsWithoutWindow(const QStringList& arguments) {
    return arguments.value(0) == QLatin1String("Connect") || zh::isBatchCommand(arguments);
}

// Qt sets the C library's locale from the desktop; profiles, data files,
// the wire and the log all write numbers with a decimal point, so number
// conversions stay in the C locale whatever the desktop's language.
void keepNumbersInCLocale() {
    std::setlocale(LC_NUMERIC, "C");
}

bool displayAvailable() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

// "--screenshot FILE": read the device, save a picture of the window, end.
QString screenshotPath(QStringList& arguments) {
    const int at = arguments.indexOf(QStringLiteral("--screenshot"));
    if (at < 0) return QString();
    const QString path = arguments.value(at + 1);
    arguments.remove(at, std::min<qsizetype>(2, arguments.size() - at));
    return path.isEmpty() ? QStringLiteral("screenshot.png") : path;
}

// What every run does before its own work: the HART link library bound from
// the program's folder, the start-up (edition, profile, language, texts, the
// connection probe) and the profile read. Returns -1 to go on, else the
// exit code.
int startProgram(zh::Program& program, zh::LinkLibrary& link, const char* argv0,
                 const QStringList& arguments) {
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString executableName = QFileInfo(QString::fromLocal8Bit(argv0)).fileName();
    zh::StartupHooks hooks;
    hooks.bindLinkLibrary = [&] {
        // The program runs on without it, but the person learns at once why
        // no device will answer.
        if (!link.load(programDir + QLatin1Char('/') + zh::LinkLibrary::defaultFileName()))
            program.messages.MsgBox(
                program.texts.text(QStringLiteral("Application"), QStringLiteral("Failure")),
                QStringLiteral("HART library not loaded: ") + link.loadError(),
                zh::mb::Ok | zh::mb::IconError, QStringLiteral("nodefmsg"));
    };
    // "Connect <port> [address]"
    hooks.runProbe = [&](const QString& port) {
        return zh::runConnectionProbe(link, program.log, port, arguments.value(2).toInt());
    };
    const zh::StartResult started =
        zh::runStartup(program, executableName, programDir, arguments, hooks);
    if (!started.runWindow) return started.exitCode;
    if (!zh::ReadProfileFile(program)) return 0;
    return -1;
}

// Builds the program context on `DialogsT` and `GadgetsT` (with the error
// handler installed for it), starts it and hands it to `work`, which
// returns the exit code.
template <typename DialogsT, typename GadgetsT, typename Work>
int runProgram(const char* argv0, const QStringList& arguments, Work work) {
    DialogsT dialogs;
    GadgetsT gadgets;
    zh::SteadyClock clock;
    zh::Program program(dialogs, gadgets, clock);
    zh::FatalErrorHandler errorHandler(program.log, dialogs, QDir::currentPath());
    // With a window, the report is shown in a box by a fresh process of the
    // program; the faulted one waits for it and then ends.
    const zh::ReportViewer viewer(
        QCoreApplication::applicationFilePath(),
        QDir::temp().filePath(
            QStringLiteral("zel-hart-report-%1.txt").arg(QCoreApplication::applicationPid())));
    if constexpr (std::is_same_v<DialogsT, zh::QtDialogs>)
        errorHandler.setShow(
            [&viewer](const QString& title, const QString& text) { viewer.show(title, text); });
    errorHandler.install();
    zh::LinkLibrary link(program.log);
    if (const int ended = startProgram(program, link, argv0, arguments); ended >= 0) return ended;
    return work(program, dialogs, gadgets, link);
}

int runHeadless(int argc, char** argv, const QStringList& arguments) {
    QCoreApplication app(argc, argv);
    keepNumbersInCLocale();
    return runProgram<zh::ConsoleDialogs, zh::HeadlessGadgets>(
        argv[0], arguments,
        [&](zh::Program& program, zh::ConsoleDialogs& dialogs, zh::HeadlessGadgets&,
            zh::LinkLibrary& link) {
            zh::ProcessProbe probe(dialogs, QCoreApplication::applicationFilePath());
            zh::DeviceCore core(program, link, probe);
            zh::installWriteChecks(core);
            return zh::runBatchCommand(core, arguments);
        });
}

// "--check-start N": show the window, print the title and the profile in
// use, rebuild the window N times, print how long each rebuild took and end
// (for the start-up benchmark and the start-up tests).
int rebuildCount(QStringList& arguments) {
    const int at = arguments.indexOf(QStringLiteral("--check-start"));
    if (at < 0) return -1;
    const int n = std::max(0, arguments.value(at + 1).toInt());
    arguments.remove(at, std::min<qsizetype>(2, arguments.size() - at));
    return n;
}

int checkStart(zh::Program& program, zh::Application& application, int rebuilds) {
    QApplication::processEvents();
    std::printf("%s\n  Profile                    %s\nwindow shown\n",
                program.state.WindowTitle.toLocal8Bit().constData(),
                program.profile.resolve(program.state.ProfilePath).toLocal8Bit().constData());
    QElapsedTimer timer;
    for (int i = 0; i < rebuilds; ++i) {
        timer.start();
        application.VANTOMain(1);
        QApplication::processEvents();
        std::printf("rebuild %.2f ms\n", static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::fflush(stdout);
    return 0;
}

int showWindow(zh::Program& program, zh::QtDialogs& dialogs, zh::QtGadgets& gadgets,
               zh::LinkLibrary& link, const QString& screenshot, int rebuilds, bool raiseError) {
    dialogs.setCancelCaption(
        program.messages.LookupMessage(QStringLiteral("Cancel"), QStringLiteral("Common")));

    // With --screenshot nobody is there to answer: a message box that opens is answered with
    // its default button after a second, and its text goes to standard error.
    QTimer unattended;
    QObject::connect(&unattended, &QTimer::timeout, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        std::fprintf(stderr, "%s: %s\n", box->windowTitle().toLocal8Bit().constData(),
                     box->text().toLocal8Bit().constData());
        if (box->defaultButton() != nullptr)
            box->defaultButton()->click();
        else
            box->reject();
    });
    if (!screenshot.isEmpty()) unattended.start(1000);

    zh::ProcessProbe probe(dialogs, QCoreApplication::applicationFilePath());
    zh::DeviceCore core(program, link, probe);
    zh::Application application(core, gadgets, dialogs, link);
    if (!application.VANTOMain(0)) {
        dialogs.messageBox(QString(), QStringLiteral("Open Window failed"), zh::mb::Ok);
        return 1;
    }
    if (rebuilds >= 0) return checkStart(program, application, rebuilds);
    if (raiseError) {
        QApplication::processEvents();
        application.command(zh::menu::kKeyRaiseError);
    }
    if (screenshot.isEmpty()) return application.run();

    // Read the device the profile names, then take the picture.
    application.command(zh::menu::kReadAll);
    QApplication::processEvents();
    const bool read = program.state.DataTrigger >= 0;
    bool saved = application.window()->grab().save(screenshot);
    // One more picture per further tab the user mode shows.
    QTabWidget* tabs = application.window()->panel();
    const QFileInfo shot(screenshot);
    for (int i = 1; tabs && i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QApplication::processEvents();
        const QString name =
            tabs->tabText(i).toLower().remove(QRegularExpression(QStringLiteral("[^a-z0-9]")));
        saved = application.window()->grab().save(shot.path() + QLatin1Char('/') +
                                                  shot.completeBaseName() + QLatin1Char('-') +
                                                  name + QLatin1Char('.') + shot.suffix()) &&
                saved;
    }
    if (tabs) tabs->setCurrentIndex(0);
    std::printf("%s: %s, %s\n", screenshot.toLocal8Bit().constData(),
                read ? "device read" : "device not read", saved ? "saved" : "not saved");
    return read && saved ? 0 : 1;
}

// "--replay FILE [--step-delay MS]": plays the event records of a debug
// log against the device, with nobody there to answer.
struct ReplayRequest {
    QString file;
    int delayMs = 0;
};

std::optional<ReplayRequest> replayRequest(QStringList& arguments) {
    const int at = arguments.indexOf(QStringLiteral("--replay"));
    if (at < 0) return std::nullopt;
    ReplayRequest r{arguments.value(at + 1), 0};
    arguments.remove(at, std::min<qsizetype>(2, arguments.size() - at));
    const int delay = arguments.indexOf(QStringLiteral("--step-delay"));
    if (delay >= 0) {
        r.delayMs = std::max(0, arguments.value(delay + 1).toInt());
        arguments.remove(delay, std::min<qsizetype>(2, arguments.size() - delay));
    }
    return r;
}

// The program's dialogs answer for themselves; the progress window shows.
struct ReplayDialogs : zh::UnattendedDialogs {
    ReplayDialogs() : zh::UnattendedDialogs(qt) {}
    zh::QtDialogs qt;
};

int runReplay(zh::Program& program, ReplayDialogs& dialogs, zh::QtGadgets& gadgets,
              zh::LinkLibrary& link, const ReplayRequest& request) {
    zh::ProcessProbe probe(dialogs.qt, QCoreApplication::applicationFilePath());
    zh::DeviceCore core(program, link, probe);
    zh::Application application(core, gadgets, dialogs.qt, link);
    if (!application.VANTOMain(0)) return 2;
    zh::Replay& replay = application.replay();
    replay.unattended = true;
    int failures = dialogs.failures();
    int failedStep = 0;
    // A step failed when it put up an error for somebody to read.
    replay.hooks.played = [&](int step, int steps, const QString& name) {
        const bool ok = dialogs.failures() == failures;
        failures = dialogs.failures();
        const QString outcome =
            ok ? QStringLiteral("ok") : QStringLiteral("failed (") + dialogs.lastFailure() + ')';
        std::printf("step %d/%d: %s ... %s\n", step, steps,
                    name.trimmed().toLocal8Bit().constData(), outcome.toLocal8Bit().constData());
        std::fflush(stdout);
        if (!ok && failedStep == 0) {
            failedStep = step;
            replay.end();
        }
    };
    if (!replay.start(request.file, request.delayMs, true)) {
        std::fprintf(stderr, "replay: cannot read '%s'\n", request.file.toLocal8Bit().constData());
        return 2;
    }
    while (replay.active() && !program.state.QuitRequested)
        if (const std::optional<zh::WindowEvent> e = replay.pass()) application.dispatch(*e);
    if (failedStep > 0) {
        std::fprintf(stderr, "replay failed at step %d: %s\n", failedStep,
                     replay.lines().value(failedStep - 1).toLocal8Bit().constData());
        return 1;
    }
    std::printf("replay: %lld steps ok\n", static_cast<long long>(replay.lines().size()));
    return 0;
}

int runWindow(int argc, char** argv, QStringList arguments) {
    if (const std::optional<ReplayRequest> request = replayRequest(arguments)) {
        QApplication app(argc, argv);
        keepNumbersInCLocale();
        return runProgram<ReplayDialogs, zh::QtGadgets>(
            argv[0], arguments,
            [&](zh::Program& program, ReplayDialogs& dialogs, zh::QtGadgets& gadgets,
                zh::LinkLibrary& link) {
                return runReplay(program, dialogs, gadgets, link, *request);
            });
    }
    const QString screenshot = screenshotPath(arguments);
    const int rebuilds = rebuildCount(arguments);
    // "--raise-error": once the window is up, the run-time fault of Ctrl+Y.
    const bool raiseError = arguments.removeAll(QStringLiteral("--raise-error")) > 0;
    QApplication app(argc, argv);
    keepNumbersInCLocale();
    return runProgram<zh::QtDialogs, zh::QtGadgets>(
        argv[0], arguments,
        [&](zh::Program& program, zh::QtDialogs& dialogs, zh::QtGadgets& gadgets,
            zh::LinkLibrary& link) {
            return showWindow(program, dialogs, gadgets, link, screenshot, rebuilds, raiseError);
        });
}

}  // namespace

constexpr const char* kUsage =
    "usage: %s [options]\n"
    "  Connect <port> [address]     probe the device on <port> (polling address,\n"
    "                               default 0) and end\n"
    "  scan <port> [--to N]         list every device answering at polling addresses 0-15\n"
    "                               (0-63 once a HART 6/7 device answers, or up to N)\n"
    "  --screenshot FILE            read the device, save pictures of the window, end\n"
    "  --replay FILE [--step-delay MS]\n"
    "                               play the event records (\"<<<\" lines) of a debug log\n"
    "                               unattended, one line per step; exit 0 when all ran\n"
    "  --help                       this text\n";

int main(int argc, char** argv) {
    const QStringList arguments = argumentsOf(argc, argv);
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        std::printf(
            kUsage,
            QFileInfo(QString::fromLocal8Bit(argv[0])).fileName().toLocal8Bit().constData());
        return 0;
    }
    // A replay needs no screen: without one its window stays off-screen.
    if (arguments.contains(QStringLiteral("--replay")) && !displayAvailable())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (arguments.value(0) == zh::ReportViewer::argument() && displayAvailable()) {
        QApplication app(argc, argv);
        return zh::showReportBox(arguments.value(1));
    }
    if (runsWithoutWindow(arguments)) return runHeadless(argc, argv, arguments);
    if (!displayAvailable()) {
        std::fprintf(stderr,
                     "No display: start the program on a desktop, or without one through "
                     "scripts/run-tool.sh (it uses a virtual display).\n");
        return 2;
    }
    return runWindow(argc, argv, arguments);
}
