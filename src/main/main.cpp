// The program's entry: builds the program context, installs the error
// handler, runs the start-up and, for now, reports what it loaded. The same
// source builds both editions; the file name decides which one runs.

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "app/clock.h"
#include "app/console_dialogs.h"
#include "app/error_report.h"
#include "app/headless_gadgets.h"
#include "app/profile_settings.h"
#include "app/program.h"
#include "app/setting_stores.h"
#include "app/startup.h"
#include "hart/connection_probe.h"
#include "hart/hart_session.h"
#include "hart/link_library.h"
#include "files/batch_commands.h"
#include "model/device_model.h"
#include "model/field_definitions.h"

namespace {

void printLoaded(const zh::Program& p, const zh::DeviceModel& model, const zh::LinkLibrary& link) {
    const zh::AppState& s = p.state;
    auto line = [](const char* name, const QString& value) {
        std::printf("  %-26s %s\n", name, value.toLocal8Bit().constData());
    };
    std::printf("%s\n", s.WindowTitle.toLocal8Bit().constData());
    line("Program directory", s.ProgramDir);
    line("Profile", p.profile.resolve(s.ProfilePath));
    line("Language", s.ActualLanguage + QStringLiteral(" (") + p.profile.resolve(s.LanguageFile) + QLatin1Char(')'));
    line("Languages offered", zh::availableLanguages(s.ProgramDir).join(QStringLiteral(", ")));
    line("User mode", s.UserMode);
    line("Serial port", s.ComPort);
    line("HART address", QString::number(s.HartAddress));
    line("Transmitter/Display", s.TransmitterDisplay);
    line("Measurands", s.Measurands);
    for (const zh::MeasurandSettings& m : s.MeasurandList) {
        line("  measurand", m.Name + QStringLiteral(" base unit ") + m.BaseUnit);
    }
    line("Debug level / file", QString::number(s.DebugLevel) + QStringLiteral(" / ") + s.DebugFile);
    line("Poll / message time [ms]", QString::number(s.DynPollTime) + QStringLiteral(" / ") +
                                          QString::number(s.MessageDisplayTime));
    line("Connect time-out / retry", QString::number(s.ConnectTimeout) + QStringLiteral(" ms / ") +
                                          QString::number(s.ConnectRetry));
    line("Display interface", s.DisplayInterfaceVersion + QStringLiteral(" (writes ") +
                                   s.SetDisplayInterfaceVersion + QLatin1Char(')'));
    line("Texts translated", QString::number(p.texts.size() + p.commonTexts.size()));
    line("Captions", QString::number(p.captions.size()));
    line("Device type", model.cal.Measurand + QStringLiteral(", unit ") + model.cal.DispUnit +
                            QStringLiteral(", range ") + QString::number(model.cal.CalDPlow) + QStringLiteral(" ... ") +
                            QString::number(model.cal.CalDPhi));
    line("Fields defined", QString::number(model.fields.definedNames().count(QLatin1Char(';'))) +
                               QStringLiteral(" (") + QString::number(model.fields.gadgetList().size()) +
                               QStringLiteral(" bound to controls)"));
    line("HART library", link.isLoaded() ? QStringLiteral("loaded") : QStringLiteral("not available: ") + link.loadError());
    std::printf("Start-up complete; the main window is not part of this build yet.\n");
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString executableName = QFileInfo(QString::fromLocal8Bit(argv[0])).fileName();

    zh::ConsoleDialogs dialogs;
    zh::HeadlessGadgets gadgets;
    zh::SteadyClock clock;
    zh::Program program(dialogs, gadgets, clock);

    zh::FatalErrorHandler errorHandler(program.log, dialogs, QDir::currentPath());
    errorHandler.install();

    zh::LinkLibrary link(program.log);
    zh::StartupHooks hooks;
    hooks.bindLinkLibrary = [&] { link.load(programDir + QLatin1Char('/') + zh::LinkLibrary::defaultFileName()); };
    hooks.runProbe = [&](const QString& port) { return zh::runConnectionProbe(link, program.log, port); };

    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const zh::StartResult started = zh::runStartup(program, executableName, programDir, arguments, hooks);
    if (!started.runWindow) return started.exitCode;

    if (!zh::ReadProfileFile(program)) return 0;

    if (zh::isBatchCommand(arguments)) {
        zh::ProcessProbe probe(dialogs, QCoreApplication::applicationFilePath());
        return zh::runBatchCommand(program, link, probe, arguments);
    }
    program.captions = program.messages.LoadLabels(QStringLiteral("Application"));

    // The field table for the first measurand, as the window will show it.
    zh::DeviceModel model(program);
    const zh::AppState& s = program.state;
    if (!s.MeasurandList.empty()) model.cal.Measurand = s.MeasurandList.front().Name;
    zh::DefDataStruc(model, s.MeasurandList.empty() ? QStringLiteral("[-]") : s.MeasurandList.front().BaseUnit, 0, -11);
    printLoaded(program, model, link);

    // Until the window exists, show that the configured port answers.
    zh::ProcessProbe probe(dialogs, QCoreApplication::applicationFilePath());
    zh::HartSession session(program, link, probe);
    std::printf("Connecting on %s ...\n", s.ComPort.toLocal8Bit().constData());
    std::fflush(stdout);
    if (session.HartConnect() == 1) {
        std::printf("Connected: %s (transmitter %s, display module %s)\n", s.TransmDisplay.toLocal8Bit().constData(),
                    session.TransmitterPresent ? "answers" : "absent", session.DisplayPresent ? "answers" : "absent");
        session.HartDisConnect();
        return 0;
    }
    std::printf("No connection on %s.\n", s.ComPort.toLocal8Bit().constData());
    return 2;
}
