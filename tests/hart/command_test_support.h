#pragma once
// Doubles for the command routines' tests: a stand-in for the session that
// records every request and gives a canned answer, and a real session on
// the link library's built-in simulator port for round trips.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QStringList>
#include <algorithm>

#include "hart/connection_probe.h"
#include "hart/hart_session.h"
#include "hart/link_library.h"
#include "hart/request_sender.h"
#include "support/ending_probe.h"
#include "support/test_program.h"

namespace zh::test {

class FakeRequestSender final : public RequestSender {
  public:
    int sendRequest(std::uint8_t command, const QByteArray& request, int expectedLength,
                    QByteArray* response, int tries) override {
        // "command/expected length/request bytes/tries"
        sent << QStringLiteral("%1/%2/%3/%4")
                    .arg(command)
                    .arg(expectedLength)
                    .arg(QString::fromLatin1(request.toHex().toUpper()))
                    .arg(tries);
        if (result == 0 && response) *response = reply;
        return result;
    }
    std::uint8_t resCode1() const override { return code1; }
    std::uint8_t resCode2() const override { return 0; }

    int result = 0;  // the next answers
    QByteArray reply;
    std::uint8_t code1 = 0;
    QStringList sent;
};

inline QByteArray bytes(const char* hex) {
    return QByteArray::fromHex(hex);
}

inline bool logged(const Program& program, const QString& line) {
    const auto& lines = program.log.viewLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// A session connected to the simulator port "Sim" for the whole test.
class SimulatorSession : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(link.load(QStringLiteral(ZH_PROGRAM_DIR "/libhartlink.so")));
        qputenv("HARTSIM_OPTIONS", "presence=both");
        t.program.state.ComPort = QStringLiteral("Sim");
        t.program.state.TransmitterDisplay = QStringLiteral("auto");
        ASSERT_EQ(session.connectDevice(), 1) << t.program.log.viewText().toStdString();
    }
    void TearDown() override {
        session.disconnectDevice();
        qunsetenv("HARTSIM_OPTIONS");
    }
    TestProgram t;
    LinkLibrary link{t.program.log};
    EndingProbe probe;
    HartSession session{t.program, link, probe};
};

}  // namespace zh::test
