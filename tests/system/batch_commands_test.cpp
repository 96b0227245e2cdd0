// The batch commands end to end over a pseudo-terminal: read a device into
// a data file, change the file, write it back, read again. The simulator's
// frame log shows which commands reached the device.

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class BatchCommands : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        frameLog = dir.filePath(QStringLiteral("frames.log"));
        sim.start(QStringLiteral(ZH_PROGRAM_DIR "/hartsim"),
                  {QStringLiteral("--pty"), QStringLiteral("--seconds"), QStringLiteral("120"), QStringLiteral("--log"),
                   frameLog});
        ASSERT_TRUE(sim.waitForStarted(5000));
        ASSERT_TRUE(sim.waitForReadyRead(5000));
        port = QString::fromLocal8Bit(sim.readLine()).trimmed();
        ASSERT_FALSE(port.isEmpty());
    }
    void TearDown() override {
        sim.terminate();
        if (!sim.waitForFinished(3000)) sim.kill();
        sim.waitForFinished(3000);
    }
    int run(const QStringList& arguments, QString* out = nullptr) {
        QProcess program;
        program.setWorkingDirectory(dir.path());
        program.start(QStringLiteral(ZH_PROGRAM_DIR "/ZEL-HART"), arguments);
        program.waitForFinished(60000);
        if (out) *out = QString::fromLocal8Bit(program.readAllStandardOutput());
        return program.exitCode();
    }
    // The commands the device received since the last call.
    QStringList receivedCommands() {
        QFile f(frameLog);
        if (!f.open(QIODevice::ReadOnly)) return {};
        f.seek(logRead);
        const QString text = QString::fromLatin1(f.readAll());
        logRead = f.pos();
        QStringList commands;
        // "RX FF .. FF 82 <5 address bytes> <command> ..." for long frames.
        static const QRegularExpression longFrame(QStringLiteral("RX (?:FF )+82 (?:[0-9A-F]{2} ){5}([0-9A-F]{2})"));
        for (auto it = longFrame.globalMatch(text); it.hasNext();) {
            commands << QString::number(it.next().captured(1).toInt(nullptr, 16));
        }
        return commands;
    }
    QByteArray file(const char* name) const {
        QFile f(dir.filePath(QLatin1String(name)));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void setInFile(const char* name, const char* key, const char* value) {
        QByteArray text = file(name);
        const QRegularExpression line(QStringLiteral("(?m)^%1=.*$").arg(QLatin1String(key)));
        QString s = QString::fromUtf8(text);
        s.replace(line, QLatin1String(key) + QLatin1Char('=') + QLatin1String(value));
        QFile f(dir.filePath(QLatin1String(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(s.toUtf8());
    }

    QTemporaryDir dir;
    QProcess sim;
    QString port;
    QString frameLog;
    qint64 logRead = 0;
};

bool writes(const QStringList& commands) {
    for (const QString& c : commands) {
        if (QStringList({"34", "35", "36", "37", "40", "181", "182", "190", "192", "200", "201"}).contains(c)) return true;
    }
    return false;
}

TEST_F(BatchCommands, ReadChangeWriteReadGivesTheChangedValues) {
    QString out;
    ASSERT_EQ(run({"read", port, "first.cfp"}, &out), 0) << out.toStdString();
    EXPECT_TRUE(out.startsWith("read " + port + " -> first.cfp: ok")) << out.toStdString();
    EXPECT_TRUE(file("first.cfp").contains("\nDamping="));
    receivedCommands();

    // Nothing changed: "changes" sends no write command.
    ASSERT_EQ(run({"write", "first.cfp", port, "changes"}, &out), 0) << out.toStdString();
    const QStringList unchanged = receivedCommands();
    EXPECT_FALSE(writes(unchanged)) << unchanged.join(' ').toStdString();

    // Only the damping changed: 35 and 34 are the only writes.
    setInFile("first.cfp", "Damping", "7.5[s]");
    ASSERT_EQ(run({"write", "first.cfp", port, "changes"}, &out), 0) << out.toStdString();
    QStringList sent = receivedCommands();
    QStringList written;
    for (const QString& c : sent) {
        if (writes({c})) written << c;
    }
    EXPECT_EQ(written, QStringList({"35", "34"})) << sent.join(' ').toStdString();

    ASSERT_EQ(run({"read", port, "second.cfp"}), 0);
    EXPECT_TRUE(file("second.cfp").contains("\nDamping=7.5[s]"));
}

TEST_F(BatchCommands, FailuresEndWithANonZeroStatus) {
    QString out;
    EXPECT_EQ(run({"read", "/dev/zh-no-such-port", "x.cfp"}, &out), 1);
    EXPECT_TRUE(out.contains("failed")) << out.toStdString();
    EXPECT_TRUE(file("x.cfp").isEmpty());
    // A pressure device's data never go into a temperature file.
    EXPECT_EQ(run({"read", port, "p.cft"}, &out), 1);
    EXPECT_TRUE(out.contains("*.cfp")) << out.toStdString();
    EXPECT_TRUE(file("p.cft").isEmpty());
    EXPECT_EQ(run({"write", "missing.cfp", port}), 1);
    EXPECT_EQ(run({"write", "a.cfp"}), 2);  // usage
    // An empty or blank port is a usage error, never the profile's port.
    ASSERT_EQ(run({"read", port, "kept.cfp"}), 0);
    const QByteArray kept = file("kept.cfp");
    receivedCommands();
    EXPECT_EQ(run({"read", "", "kept.cfp"}), 2);
    EXPECT_EQ(run({"write", "kept.cfp", " "}), 2);
    EXPECT_EQ(run({"write", "kept.cfp", "", "changes"}), 2);
    EXPECT_EQ(file("kept.cfp"), kept);
    EXPECT_TRUE(receivedCommands().isEmpty());
    // A damaged file (a flipped byte in a key, an option beyond its list) is
    // refused before the first frame.
    {
        QFile damaged(dir.filePath(QStringLiteral("damaged.cfp")));
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray(kept).replace("\nAGW1=", "\nAGX1=").replace("\nUnit=", "\nUnit=77 ("));
    }
    EXPECT_EQ(run({"write", "damaged.cfp", port}, &out), 1);
    EXPECT_TRUE(out.contains("could not be opened")) << out.toStdString();
    EXPECT_TRUE(receivedCommands().isEmpty());
}

}  // namespace
