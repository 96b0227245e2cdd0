// With writing switched off ([Common] NoWrite=ON) every write routine builds
// and logs its request but sends nothing: the simulated device's own frame
// log is the witness.

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "hart/adc_commands.h"
#include "hart/connection_probe.h"
#include "hart/display_actions.h"
#include "hart/display_blocks.h"
#include "hart/hart_session.h"
#include "hart/link_library.h"
#include "hart/universal_commands.h"
#include "model/device_model.h"
#include "model/field_definitions.h"
#include "model/field_raw_values.h"
#include "support/ending_probe.h"
#include "support/test_program.h"

namespace zh {
namespace {

TEST(NoWrite, NoWriteCommandReachesTheDevice) {
    test::TestProgram t;
    QTemporaryDir dir;
    const QString frameLog = dir.filePath(QStringLiteral("frames.log"));
    qputenv("HARTSIM_OPTIONS", ("presence=both,log=" + frameLog).toLocal8Bit());
    LinkLibrary link(t.program.log);
    ASSERT_TRUE(link.load(QStringLiteral(ZH_PROGRAM_DIR "/libhartlink.so")));
    test::EndingProbe probe;
    HartSession session(t.program, link, probe);
    t.program.state.ComPort = QStringLiteral("Sim");

    // The field table with its defaults: valid values for every request.
    DeviceModel model(t.program);
    defineDataStructure(model, QStringLiteral("[°C]"), 0, -11);
    FieldRawValues values(model);
    ASSERT_EQ(session.connectDevice(), 1) << t.program.log.viewText().toStdString();

    t.program.state.NoWrite = QStringLiteral("ON");
    UniversalCommands universal(t.program, session, values);
    AdcCommands adc(t.program, session, values);
    DisplayBlocks blocks(t.program, values, session);
    for (auto write :
         {&UniversalCommands::Com34, &UniversalCommands::Com35, &UniversalCommands::Com36,
          &UniversalCommands::Com37, &UniversalCommands::Com40, &UniversalCommands::Com45,
          &UniversalCommands::Com46}) {
        EXPECT_EQ((universal.*write)(2), kResultNotSent);
    }
    EXPECT_EQ(adc.Com1810(2), kResultNotSent);
    EXPECT_EQ(adc.Com1820(2), kResultNotSent);
    for (int block : {0, 1, 2, 3, 10, 11, 12, 13, 20})
        EXPECT_EQ(blocks.writeBlock(block, 2), kResultNotSent) << block;
    DisplayActions actions(t.program, session, session, blocks, values, link);
    actions.Aktion = 5;
    EXPECT_EQ(actions.Com192(2), kResultNotSent);
    EXPECT_EQ(actions.Com200(2), kResultNotSent);
    EXPECT_EQ(actions.Com201(2), kResultNotSent);
    session.disconnectDevice();
    qunsetenv("HARTSIM_OPTIONS");

    QFile f(frameLog);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString log = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(
        log.contains(QStringLiteral("RX command=191")));  // the connection's reads did arrive
    const QRegularExpression writes(
        QStringLiteral("RX command=(34|35|36|37|40|45|46|181|182|190|192|200|201) "));
    EXPECT_FALSE(log.contains(writes)) << log.toStdString();
}

}  // namespace
}  // namespace zh
