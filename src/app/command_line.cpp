#include "command_line.h"

#include <QCommandLineParser>
#include <QDir>
#include <algorithm>

namespace zh {
namespace {

// What QApplication takes from the command line itself; listed so that they
// are not refused before it sees them.
const char* const kQtValueOptions[] = {
    "platform",        "platformpluginpath", "platformtheme", "plugin",  "style",    "stylesheet",
    "qwindowgeometry", "qwindowtitle",       "qwindowicon",   "display", "geometry", "title",
    "session",         "qmljsdebugger"};
const char* const kQtFlagOptions[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

QCommandLineOption hidden(QCommandLineOption option) {
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    return option;
}

// The argument as it was written, for the message: "--foo", "-x".
QString asWritten(const QStringList& arguments, const QString& name) {
    for (const QString& a : arguments) {
        if (!a.startsWith(QLatin1Char('-'))) continue;
        QString bare = a.mid(a.startsWith(QLatin1String("--")) ? 2 : 1);
        bare = bare.section(QLatin1Char('='), 0, 0);
        if (bare == name) return a.section(QLatin1Char('='), 0, 0);
    }
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

}  // namespace

WindowArguments parseWindowArguments(const QStringList& arguments, const QString& workingDir) {
    WindowArguments out;
    QCommandLineParser parser;
    // "-platform offscreen" as Qt writes its own options.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption screenshot(QStringLiteral("screenshot"), QString(),
                                        QStringLiteral("FILE"));
    const QCommandLineOption replay(QStringLiteral("replay"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption stepDelay(QStringLiteral("step-delay"), QString(),
                                       QStringLiteral("MS"));
    const QCommandLineOption checkStart(QStringLiteral("check-start"), QString(),
                                        QStringLiteral("N"));
    const QCommandLineOption raiseError(QStringLiteral("raise-error"));
    parser.addOptions({screenshot, replay, stepDelay, checkStart, raiseError});
    for (const char* name : kQtValueOptions)
        parser.addOption(
            hidden(QCommandLineOption(QLatin1String(name), QString(), QStringLiteral("VALUE"))));
    for (const char* name : kQtFlagOptions)
        parser.addOption(hidden(QCommandLineOption(QLatin1String(name))));

    QStringList line = arguments;
    // "--screenshot" last, without a file, has always meant screenshot.png.
    if (!line.isEmpty() && line.last() == QLatin1String("--screenshot"))
        line << QStringLiteral("screenshot.png");
    if (!parser.parse(QStringList{QStringLiteral("ZEL-HART")} + line)) {
        const QStringList unknown = parser.unknownOptionNames();
        out.error = unknown.isEmpty()
                        ? parser.errorText()
                        : QStringLiteral("unknown option ") + asWritten(line, unknown.first());
        return out;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        out.error = QStringLiteral("one data file at most, not: ") + files.join(QLatin1Char(' '));
        return out;
    }
    if (!files.isEmpty()) {
        if (files.first().trimmed().isEmpty()) {
            out.error = QStringLiteral("an empty file name");
            return out;
        }
        out.file = QDir::cleanPath(QDir(workingDir).absoluteFilePath(files.first()));
    }
    out.screenshot = parser.value(screenshot);
    out.replay = parser.value(replay);
    out.stepDelayMs = std::max(0, parser.value(stepDelay).toInt());
    if (parser.isSet(checkStart)) out.checkStart = std::max(0, parser.value(checkStart).toInt());
    out.raiseError = parser.isSet(raiseError);
    return out;
}

}  // namespace zh
