// Data files of new data sets under the shipped profiles, byte for byte as
// kept in tests/files/golden/: the field table, the saved forms of its values
// and the header of every device variant stay exactly as they are.
// Only the time stamp of "Version/Date" is masked (it is the time of saving).
// ZH_WRITE_GOLDEN=1 writes the kept files anew instead of comparing.

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include "app/profile_settings.h"
#include "app/startup.h"
#include "files/data_commands.h"
#include "files/data_file.h"
#include "model/device_model.h"
#include "support/test_program.h"

namespace zh {
namespace {

struct GoldenCase {
    const char* file;  // the kept file in tests/files/golden/
    const char* edition;
    const char* presence;  // what is configured and found: "all", "display", "transmitter"
    const char* measurand;
    short intSerIO;
};

// The shipped resources in the program folder of `t`, started as `edition`.
void startOnShippedResources(test::TestProgram& t, const QString& edition) {
    const QDir from(QStringLiteral(ZH_SOURCE_DIR "/resources"));
    QDirIterator it(from.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        QFile f(source);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << qPrintable(source);
        t.writeFile(from.relativeFilePath(source), f.readAll());
    }
    ASSERT_TRUE(runStartup(t.program, edition, t.dir.path(), {}, {}).runWindow);
    ASSERT_TRUE(readProfileFile(t.program));
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray withoutTimeStamp(QByteArray bytes) {
    static const QRegularExpression stamp(
        QStringLiteral("(\nVersion/Date=[^\r\n]*/)"
                       "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d(\r?\n)"));
    QString text = QString::fromUtf8(bytes);
    text.replace(stamp, QStringLiteral("\\1yyyy-MM-dd hh:mm\\2"));
    return text.toUtf8();
}

class GoldenDataFilesTest : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenDataFilesTest, NewDataAreWrittenExactlyAsKept) {
    const GoldenCase& c = GetParam();
    test::TestProgram t;
    startOnShippedResources(t, QString::fromLatin1(c.edition));
    AppState& st = t.program.state;
    st.TransmitterDisplay = st.TransmDisplay = QString::fromLatin1(c.presence);
    DeviceModel m{t.program};
    DataSession s{m};
    m.cal.IntSerIO = c.intSerIO;
    ASSERT_EQ(startNewData(s, QString::fromLatin1(c.measurand)), 1);

    const QString path = t.path(QString::fromLatin1(c.file));
    ASSERT_EQ(writeDataFile(s, path), 1);
    const QByteArray written = withoutTimeStamp(readAll(path));
    const QString kept = QStringLiteral(ZH_SOURCE_DIR "/tests/files/golden/") + c.file;
    if (qEnvironmentVariableIntValue("ZH_WRITE_GOLDEN") == 1) {
        QFile out(kept);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(written);
    }
    const QByteArray expected = readAll(kept);
    ASSERT_FALSE(expected.isEmpty()) << qPrintable(kept);
    // Line by line first, so that a difference names its key.
    const QList<QByteArray> a = written.split('\n'), b = expected.split('\n');
    for (int i = 0; i < std::min(a.size(), b.size()); ++i)
        ASSERT_EQ(a[i].toStdString(), b[i].toStdString()) << c.file << " line " << i + 1;
    EXPECT_EQ(written, expected) << c.file;
}

INSTANTIATE_TEST_SUITE_P(
    Variants, GoldenDataFilesTest,
    ::testing::Values(GoldenCase{"pressure_all.cfp", "ZEL-HART", "all", "Pressure", 0},
                      GoldenCase{"pressure_display.cfp", "ZEL-HART", "display", "Pressure", 0},
                      GoldenCase{"pressure_transmitter.cfp", "ZEL-HART", "transmitter", "Pressure",
                                 0},
                      GoldenCase{"temperature_serial.cft", "ZEL-HART", "all", "Temperature", 1},
                      GoldenCase{"kalvero_pressure_all.cfp", "KALVERO_S", "all", "Pressure", 0}),
    [](const ::testing::TestParamInfo<GoldenCase>& info) {
        QString name = QString::fromLatin1(info.param.file);
        name.replace(QLatin1Char('.'), QLatin1Char('_'));
        return name.toStdString();
    });

}  // namespace
}  // namespace zh
