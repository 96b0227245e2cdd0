// The built program started as a user would: copied with its resources into
// a scratch folder under a chosen file name and run as a separate process.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <utility>

namespace {

constexpr int kTimeoutMs = 20000;

struct Outcome {
    bool finished = false;
    int exitCode = -1;
    QString out;
    QString err;
    qint64 elapsedMs = 0;
};

// Every file and folder below `root`, by relative path, with its contents
// (folders map to a marker). Two equal snapshots mean nothing was written.
using Snapshot = QMap<QString, QByteArray>;

Snapshot snapshot(const QString& root) {
    Snapshot files;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(root).relativeFilePath(path);
        if (it.fileInfo().isDir()) {
            files.insert(relative + QLatin1Char('/'), QByteArray("<dir>"));
            continue;
        }
        QFile f(path);
        files.insert(relative,
                     f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>"));
    }
    return files;
}

// What changed from `before` to `after`, one "added/removed/changed <path>
// (<size>)" line per entry; empty when nothing did.
std::string changes(const Snapshot& before, const Snapshot& after) {
    std::string out;
    auto line = [&out](const char* what, const QString& path, const QByteArray& content) {
        out += std::string(what) + " " + path.toStdString() + " (" +
               std::to_string(content.size()) + " bytes)\n";
    };
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (!before.contains(it.key())) {
            line("added", it.key(), it.value());
        } else if (before.value(it.key()) != it.value()) {
            line("changed", it.key(), it.value());
        }
    }
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (!after.contains(it.key())) line("removed", it.key(), it.value());
    }
    return out;
}

class StartupSystemTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString path(const QString& relative) const { return dir.filePath(relative); }

    // Copies the executable under `name`, both profiles, the language folder
    // and (unless a test brings its own) the HART link library.
    void install(const QString& name = QStringLiteral("ZEL-HART"), bool withLinkLibrary = true) {
        const QString from = QStringLiteral(ZH_PROGRAM_DIR);
        ASSERT_TRUE(QFile::copy(from + QStringLiteral("/ZEL-HART"), path(name)))
            << name.toStdString();
        if (withLinkLibrary) {
            ASSERT_TRUE(QFile::copy(from + QStringLiteral("/libhartlink.so"),
                                    path(QStringLiteral("libhartlink.so"))));
        }
        for (const char* profile : {"Config-125.ini", "Config.ini"}) {
            ASSERT_TRUE(QFile::copy(from + QLatin1Char('/') + QLatin1String(profile),
                                    path(QLatin1String(profile))));
        }
        for (const char* folder : {"Language", "Images"}) {
            ASSERT_TRUE(QDir(dir.path()).mkdir(QLatin1String(folder)));
            const QDir source(from + QLatin1Char('/') + QLatin1String(folder));
            const QStringList files = source.entryList(QDir::Files);
            ASSERT_FALSE(files.isEmpty()) << folder;
            for (const QString& file : files) {
                ASSERT_TRUE(QFile::copy(source.filePath(file),
                                        path(QLatin1String(folder) + QLatin1Char('/') + file)));
            }
        }
    }

    void writeFile(const QString& relative, const QByteArray& content) {
        QFile f(path(relative));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << relative.toStdString();
        ASSERT_EQ(f.write(content), content.size());
    }
    QByteArray readFile(const QString& relative) const {
        QFile f(path(relative));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    Outcome run(const QString& name, const QStringList& arguments = {},
                const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
        Outcome r;
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.setProcessEnvironment(env);
        QElapsedTimer clock;
        clock.start();
        // A name of its own here, or a program elsewhere by its whole path.
        process.start(QDir(dir.path()).filePath(name), arguments);
        if (!process.waitForStarted(kTimeoutMs)) {
            ADD_FAILURE() << "cannot start " << name.toStdString() << ": "
                          << process.errorString().toStdString();
            return r;
        }
        r.finished = process.waitForFinished(kTimeoutMs);
        r.elapsedMs = clock.elapsed();
        if (!r.finished) {
            process.kill();
            process.waitForFinished(kTimeoutMs);
        }
        r.finished = r.finished && process.exitStatus() == QProcess::NormalExit;
        r.exitCode = process.exitCode();
        r.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        r.err = QString::fromLocal8Bit(process.readAllStandardError());
        return r;
    }

    // A plain start on the offscreen platform: the window is shown, its title
    // and profile are printed, and the program ends.
    Outcome startWindow(const QString& name) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return run(name, {QStringLiteral("--check-start"), QStringLiteral("0")}, env);
    }

    QTemporaryDir dir;
};

// --- Editions by file name ---------------------------------------------------

TEST_F(StartupSystemTest, EditionComesFromTheFileName) {
    install(QStringLiteral("ZEL-HART"));
    const Outcome r = startWindow(QStringLiteral("ZEL-HART"));
    ASSERT_TRUE(r.finished) << r.err.toStdString();
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("ZEL-HART V 0.9.129\n"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QRegularExpression(
        QStringLiteral("\n  Profile +") +
        QRegularExpression::escape(path(QStringLiteral("Config-125.ini"))) + QLatin1Char('\n'))))
        << r.out.toStdString();
}

TEST_F(StartupSystemTest, LowerCaseNameWithSuffixIsStillZelHart) {
    install(QStringLiteral("zel-hart-test"));
    const Outcome r = startWindow(QStringLiteral("zel-hart-test"));
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("ZEL-HART V 0.9.129\n"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Config-125.ini"))) << r.out.toStdString();
}

// As installed: KALVERO_S is a link to ZEL-HART, and the link's name decides.
TEST_F(StartupSystemTest, KalveroUsesConfigIni) {
    install(QStringLiteral("ZEL-HART"));
    ASSERT_TRUE(QFile::link(QStringLiteral("ZEL-HART"), path(QStringLiteral("KALVERO_S"))));
    const Outcome r = startWindow(QStringLiteral("KALVERO_S"));
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("KALVERO_S V 0.9.129\n"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QRegularExpression(
        QStringLiteral("\n  Profile +") +
        QRegularExpression::escape(path(QStringLiteral("Config.ini"))) + QLatin1Char('\n'))))
        << r.out.toStdString();
    EXPECT_FALSE(r.out.contains(QStringLiteral("Config-125.ini"))) << r.out.toStdString();
}

// --- The command line ---------------------------------------------------------

// Every program of the package ends with 2 on an option it does not take and
// names it; the window program opens a data file it is given, and without a
// display says what works without one.
TEST_F(StartupSystemTest, TheCommandLineNamesWhatItDoesNotTake) {
    install();
    ASSERT_TRUE(QFile::copy(QStringLiteral(ZH_SOURCE_DIR "/tests/files/golden/pressure_all.cfp"),
                            path(QStringLiteral("good.cfp"))));
    const struct {
        const char* program;  // ZEL-HART as installed here, or a tool beside the build's
        QStringList arguments;
        bool display;  // the offscreen platform; else no display at all
        int exitCode;
        const char* says;  // on standard output or error
    } rows[] = {
        {"ZEL-HART", {"--foo"}, true, 2, "unknown option --foo"},
        {"ZEL-HART", {"--check-start", "0", "-x"}, true, 2, "unknown option -x"},
        {"ZEL-HART", {"--screenshot=a.png", "--bogus=1"}, true, 2, "unknown option --bogus"},
        {"ZEL-HART", {"a.cfp", "b.cfp"}, true, 2, "one data file at most"},
        {"ZEL-HART", {"read", "Sim", "x.cfp", "--adress", "3"}, true, 2, "unknown option --adress"},
        {"ZEL-HART", {"scan", "Sim", "--too", "3"}, true, 2, "unknown option --too"},
        {"ZEL-HART", {"good.cfp", "--check-start", "0"}, true, 0, "good.cfp - ZEL-HART V"},
        {"ZEL-HART", {}, false, 2, "ZEL-HART --screenshot FILE"},
        {"hartsim", {"--pty", "--foo=1"}, false, 2, "unknown option --foo"},
        {"hartcmd", {"--port=Sim", "--frob"}, false, 2, "unknown option --frob"},
        {"hartcmd", {"--port=Sim", "--command=0"}, false, 0, "Command 0: response code 0"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.program + (" " + row.arguments.join(' ')).toStdString());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        if (row.display) env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        const QString program = QLatin1String(row.program);
        const Outcome r =
            run(program == QLatin1String("ZEL-HART") ? program
                                                     : QStringLiteral(ZH_PROGRAM_DIR "/") + program,
                row.arguments, env);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, row.exitCode) << r.err.toStdString();
        EXPECT_TRUE((r.out + r.err).contains(QLatin1String(row.says)))
            << r.out.toStdString() << r.err.toStdString();
        EXPECT_FALSE(r.err.contains(QStringLiteral("scripts/"))) << r.err.toStdString();
    }
}

TEST_F(StartupSystemTest, RenamedProgramRefusesToRunAndWritesNothing) {
    install(QStringLiteral("ZELHART"));
    const Snapshot before = snapshot(dir.path());

    // Refused before anything else, with or without a window; without one
    // the message goes to standard error, in the desktop's language (no
    // profile names one).
    for (const auto& [locale, text] :
         {std::pair{"C", "Program has been renamed! (ZELHART)"},
          std::pair{"de_DE.UTF-8", "Programm wurde umbenannt! (ZELHART)"}}) {
        SCOPED_TRACE(locale);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), QString::fromLatin1(locale));
        env.remove(QStringLiteral("LANGUAGE"));
        const Outcome r =
            run(QStringLiteral("ZELHART"),
                {QStringLiteral("read"), QStringLiteral("Sim"), QStringLiteral("x.cfp")}, env);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(text))) << r.err.toStdString();
        EXPECT_FALSE(r.out.contains(QStringLiteral("V 0.9.129"))) << r.out.toStdString();
    }

    EXPECT_EQ(changes(before, snapshot(dir.path())), "");
}

// --- The connection probe ------------------------------------------------------

TEST_F(StartupSystemTest, ProbeWritesNoFileEvenWhenEveryTextIsMissing) {
    install();
    writeFile(QStringLiteral("Language/English.ini"), QByteArray());
    const Snapshot before = snapshot(dir.path());

    const Outcome r =
        run(QStringLiteral("ZEL-HART"), {QStringLiteral("Connect"), QStringLiteral("Com5")});
    ASSERT_TRUE(r.finished) << "probe did not end within " << kTimeoutMs << " ms";
    EXPECT_FALSE(r.out.contains(QStringLiteral("V 0.9.129")))
        << "probe went on to the normal start";

    EXPECT_EQ(changes(before, snapshot(dir.path())), "");
}

TEST_F(StartupSystemTest, ProbeWithoutPortEndsAtOnceAsAUsageError) {
    install();
    const Snapshot before = snapshot(dir.path());

    for (const QStringList& arguments : {QStringList{QStringLiteral("Connect")},
                                         QStringList{QStringLiteral("Connect"), QString()}}) {
        const Outcome r = run(QStringLiteral("ZEL-HART"), arguments);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 2) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("usage: ZEL-HART Connect <port>")))
            << r.err.toStdString();
        EXPECT_LT(r.elapsedMs, 5000);
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    }
    EXPECT_EQ(changes(before, snapshot(dir.path())), "");
}

// With a stand-in link library next to the program, the probe process makes
// exactly the calls of a connection test and ends with their result.
TEST_F(StartupSystemTest, ProbeDrivesTheLinkLibrary) {
    install(QStringLiteral("ZEL-HART"), false);
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(FAKE_LINK_FULL_PATH), path(QStringLiteral("libhartlink.so"))));
    QTemporaryDir journalDir;
    ASSERT_TRUE(journalDir.isValid());
    const QString journalPath = journalDir.filePath(QStringLiteral("journal.txt"));
    auto journal = [&] {
        QFile f(journalPath);
        const QString text =
            f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
        f.remove();
        return text;
    };
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("FAKE_LINK_JOURNAL"), journalPath);
    env.remove(QStringLiteral("FAKE_LINK_CONNECT_RESULT"));
    const Snapshot before = snapshot(dir.path());

    env.remove(QStringLiteral("FAKE_LINK_OPEN_RESULT"));
    Outcome r =
        run(QStringLiteral("ZEL-HART"), {QStringLiteral("Connect"), QStringLiteral("Com5")}, env);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(journal().toStdString(), "Configure 0 2 5 0 0 0 0 10 0\nOpen 5\nConnect 0\nClose\n");

    env.insert(QStringLiteral("FAKE_LINK_OPEN_RESULT"), QStringLiteral("4"));
    r = run(QStringLiteral("ZEL-HART"), {QStringLiteral("Connect"), QStringLiteral("Com12")}, env);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_EQ(journal().toStdString(), "Configure 0 2 5 0 0 0 0 10 0\nOpen 12\n");

    r = run(QStringLiteral("ZEL-HART"), {QStringLiteral("Connect")}, env);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(journal().toStdString(), "");

    EXPECT_EQ(changes(before, snapshot(dir.path())), "");
}

// --- Language file -------------------------------------------------------------

TEST_F(StartupSystemTest, NormalStartAddsMissingTextsOnce) {
    install();
    writeFile(QStringLiteral("Language/English.ini"), QByteArray());

    Outcome r = startWindow(QStringLiteral("ZEL-HART"));
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QByteArray filled = readFile(QStringLiteral("Language/English.ini"));
    EXPECT_GT(filled.size(), 1000);
    EXPECT_TRUE(filled.contains("Read module=Read module")) << filled.left(400).toStdString();
    EXPECT_TRUE(filled.contains("Program has been renamed!=Program has been renamed!"));
    EXPECT_TRUE(filled.contains("[SerialIO]"));

    r = startWindow(QStringLiteral("ZEL-HART"));
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(readFile(QStringLiteral("Language/English.ini")), filled);
}

// --- Unattended replay -----------------------------------------------------------

// "--replay": a log that plays as recorded reports every step ok; a log with
// a line that cannot be (a name that is not its number's, a line cut short)
// is refused whole, naming the line, and the device is not touched; a pipe
// as the log ends at once instead of waiting for a writer.
TEST_F(StartupSystemTest, ReplayPlaysOnlyWhatItCanPlayAsRecorded) {
    install();
    const QString state = path(QStringLiteral("device.state"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HARTSIM_OPTIONS"), QStringLiteral("state=") + state);
    const QByteArray read = "<<< #MenuReadAll\t|2|-1|-1|-1|2069|-1|13058|\n";
    struct Row {
        const char* what;
        QByteArray log;
        int exitCode;
        QString out;  // a line the output holds
    };
    const std::vector<Row> rows{
        {"plays", "--> Com 0\n" + read, 0, QStringLiteral("step 1/1: #MenuReadAll ... ok\n")},
        {"a name that is not its number's", read + "<<< #MenuAbout1\t|2|-1|-1|-1|2070|-1|13058|\n",
         1,
         QStringLiteral("step 2/2: <<< #MenuAbout1  |2|-1|-1|-1|2070|-1|13058| ... refused (line "
                        "2 of the log: it names #MenuAbout1, but menu 2070 is #MenuWriteAll)\n")},
        {"a line cut short", read + "<<< #MenuWriteAll\t|2|-1|", 1,
         QStringLiteral("step 2/2: <<< #MenuWriteAll  |2|-1| ... refused (line 2 of the log: the "
                        "line is cut short or damaged, it holds no event)\n")},
    };
    for (const Row& row : rows) {
        writeFile(QStringLiteral("session.log"), row.log);
        const QByteArray before = readFile(QStringLiteral("device.state"));
        const Outcome r = run(QStringLiteral("ZEL-HART"),
                              {QStringLiteral("--replay"), QStringLiteral("session.log")}, env);
        ASSERT_TRUE(r.finished) << row.what;
        EXPECT_EQ(r.exitCode, row.exitCode) << row.what << ": " << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(row.out)) << row.what << ": " << r.out.toStdString();
        if (row.exitCode != 0) {
            EXPECT_FALSE(before.isEmpty()) << "the first row keeps the device's memory";
            EXPECT_TRUE(r.err.contains(QStringLiteral("replay refused: 1 of 2 steps")))
                << r.err.toStdString();
            EXPECT_EQ(readFile(QStringLiteral("device.state")), before) << row.what;
        }
    }
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(QStringLiteral("pipe.log"))).constData(), 0600), 0);
    const Outcome r = run(QStringLiteral("ZEL-HART"),
                          {QStringLiteral("--replay"), QStringLiteral("pipe.log")}, env);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("it is not a regular file"))) << r.err.toStdString();
}

// --- Run-time fault --------------------------------------------------------------

// Ctrl+Y's fault once the window is up: the report reaches the person in a
// box shown by a second process of the program, the log is saved in the
// working folder and the program ends with 3.
TEST_F(StartupSystemTest, RunTimeFaultShowsTheReportInABoxAndSavesTheLog) {
    install();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("ZH_REPORT_BOX_CLOSE_MS"), QStringLiteral("0"));
    const Outcome r = run(QStringLiteral("ZEL-HART"), {QStringLiteral("--raise-error")}, env);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 3) << r.err.toStdString();

    const QStringList logs = QDir(dir.path()).entryList({QStringLiteral("*.log")}, QDir::Files);
    ASSERT_EQ(logs.size(), 1) << logs.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d\\.\\d\\d\\.log$"))
                    .match(logs[0])
                    .hasMatch())
        << logs[0].toStdString();
    EXPECT_TRUE(readFile(logs[0]).contains("Error Code:      SIGABRT (6)"))
        << readFile(logs[0]).toStdString();

    // The box's title and text, as the second process printed them on closing it.
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("Program error\nA program error was detected:\n")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Error Message:   Abnormal termination (abort)\n")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("Logfile '") + logs[0] + QStringLiteral("' saved!")))
        << r.out.toStdString();
}

}  // namespace
