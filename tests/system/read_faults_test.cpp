// A read that meets a fault on the line either fails and leaves the data
// file as it was, byte for byte, or ends "ok" with exactly the device's
// values: never "ok" with a part left out or values that are not the
// device's. Every kind of fault the simulator injects, on every command of
// the read, over the real serial code (hartsim on a pseudo-terminal).

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "comparable_lines.h"

namespace {

// A bad check byte or a communication error leaves the master as a lost
// answer does; these are the ways an answer can go wrong for the read.
const char* const kFaults[] = {"noanswer*3", "wronglength", "busy*4",
                               "error:6",    "error:64",    "late:3000"};
const int kCommands[] = {191, 141, 15, 0, 142, 151};

class ReadFaults : public ::testing::TestWithParam<std::tuple<const char*, int>> {
  protected:
    static void SetUpTestSuite() {
        dir = new QTemporaryDir;
        // The device's values as a read without a fault gives them.
        QString out;
        ASSERT_EQ(read(QString(), "clean.cfp", &out), 0) << out.toStdString();
        reference = new QStringList(comparableLines(dir->filePath("clean.cfp")));
        ASSERT_GT(reference->size(), 100);
    }
    static void TearDownTestSuite() {
        delete reference;
        delete dir;
    }

    // Reads a device with `fault` into `file`; the exit status.
    static int read(const QString& fault, const char* file, QString* out) {
        QProcess sim;
        QStringList args{QStringLiteral("--pty"), QStringLiteral("--seconds"), QStringLiteral("60"),
                         QStringLiteral("--options"), QStringLiteral("hold=50")};
        if (!fault.isEmpty()) args << QStringLiteral("--fault") << fault;
        sim.start(QStringLiteral(ZH_PROGRAM_DIR "/hartsim"), args);
        if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) return -1;
        const QString port = QString::fromLocal8Bit(sim.readLine()).trimmed();
        QProcess program;
        program.setWorkingDirectory(dir->path());
        program.start(QStringLiteral(ZH_PROGRAM_DIR "/ZEL-HART"),
                      {QStringLiteral("read"), port, QLatin1String(file)});
        program.waitForFinished(60000);
        *out = QString::fromLocal8Bit(program.readAllStandardOutput());
        sim.terminate();
        if (!sim.waitForFinished(3000)) sim.kill();
        return program.exitCode();
    }

    static QTemporaryDir* dir;
    static QStringList* reference;
};

QTemporaryDir* ReadFaults::dir = nullptr;
QStringList* ReadFaults::reference = nullptr;

TEST_P(ReadFaults, FailsKeepingTheOldFileOrGivesExactlyTheDevice) {
    const auto [kind, command] = GetParam();
    const QString fault = QString::fromLatin1(kind) + QLatin1Char('@') + QString::number(command);
    const QString path = dir->filePath("x.cfp");
    const QByteArray old = "[x.cfp]\nTagID=OLD\n";
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(old);
    }
    QString out;
    const int status = read(fault, "x.cfp", &out);
    if (status != 0) {
        EXPECT_EQ(status, 1) << fault.toStdString() << ": " << out.toStdString();
        // The result with what it means, never a bare number.
        static const QRegularExpression inWords(QStringLiteral("failed \\(result \\d+: \\S"));
        EXPECT_TRUE(inWords.match(out).hasMatch())
            << fault.toStdString() << ": " << out.toStdString();
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), old) << fault.toStdString();
        return;
    }
    EXPECT_TRUE(out.contains(QLatin1String("ok (all, Pressure)")))
        << fault.toStdString() << ": " << out.toStdString();
    const QStringList got = comparableLines(path);
    for (int i = 0; i < std::max(got.size(), reference->size()); ++i) {
        ASSERT_EQ(got.value(i), reference->value(i)) << fault.toStdString() << " line " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, ReadFaults,
                         ::testing::Combine(::testing::ValuesIn(kFaults),
                                            ::testing::ValuesIn(kCommands)),
                         [](const ::testing::TestParamInfo<std::tuple<const char*, int>>& info) {
                             std::string name = std::get<0>(info.param);
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name + "_at_" + std::to_string(std::get<1>(info.param));
                         });

}  // namespace
