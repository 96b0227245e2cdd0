#include "hart/frame_text.h"

#include <gtest/gtest.h>

#include "command_test_support.h"

namespace zh {
namespace {

// Preambles, then the frame from `hex` and its check byte (off by one when
// `spoil` is set).
QByteArray onWire(const char* hex, bool spoil = false) {
    QByteArray frame = QByteArray::fromHex(hex);
    char check = 0;
    for (char c : frame) check = static_cast<char>(check ^ c);
    return QByteArray(5, '\xFF') + frame + static_cast<char>(spoil ? check ^ 1 : check);
}

QString text(bool sent, const QByteArray& wire, const QString& note = QString()) {
    return frameText(sent, reinterpret_cast<const std::uint8_t*>(wire.constData()),
                     static_cast<std::size_t>(wire.size()), note);
}

TEST(FrameText, EachFrameReadsAsOneLine) {
    struct Row {
        bool sent;
        QByteArray wire;
        const char* expected;
    };
    const Row rows[] = {
        {true, onWire("02800000"),
         "--> short request (0x02), to polling address 0, primary master, command 0, 0 bytes, "
         "check byte ok"},
        {false,
         onWire("86A67A0001230107"
                "00000C41200000"),
         "<-- long response (0x86), from manufacturer 0x26 device type 0x7A device id 0x000123, "
         "primary master, "
         "command 1, 7 bytes, no error, device ok, data 0C 41 20 00 00, check byte ok"},
        {true, onWire("82267A0001232C0201FF", true),
         "--> long request (0x82), to manufacturer 0x26 device type 0x7A device id 0x000123, "
         "secondary master, "
         "command 44, 2 bytes, data 01 FF, check byte wrong"},
        {false, onWire("06800002D000"),
         "<-- short response (0x06), from polling address 0, primary master, command 0, 2 bytes, "
         "communication error (0xD0): vertical parity error, framing error, device ok, check byte "
         "ok"},
        {false, onWire("0681DE024050"),
         "<-- short response (0x06), from polling address 1, primary master, command 222, 2 bytes, "
         "command not implemented (64), device: configuration changed, more status available, "
         "check byte ok"},
        {false, onWire("01C201030000AB"),
         "<-- short burst (0x01), from polling address 2, primary master, burst mode, command 1, 3 "
         "bytes, "
         "no error, device ok, data AB, check byte ok"},
        {false, QByteArray::fromHex("FFFF0680010500"),
         "<-- short response (0x06), from polling address 0, primary master, command 1, 5 bytes, "
         "frame incomplete (1 of 6 bytes after the byte count)"},
        {false, QByteArray(), "<-- no frame (frame broke off)"},
    };
    for (const Row& row : rows) {
        const QString note = row.wire.isEmpty() ? QStringLiteral("frame broke off") : QString();
        EXPECT_EQ(text(row.sent, row.wire, note).toStdString(), row.expected);
    }
}

using FrameMonitorOnSimulator = test::SimulatorSession;

// The switch decides whether the frames of the next exchange reach the log.
TEST_F(FrameMonitorOnSimulator, LogsEachFrameOfAnExchangeWhileSwitchedOn) {
    Program* program = &t.program;
    link.setFrameMonitor([program] { return program->state.FrameMonitor; });
    auto frameLines = [&] {
        QStringList out;
        for (const QString& line : t.program.log.viewLines())
            if (line.contains(QStringLiteral(" request (0x")) ||
                line.contains(QStringLiteral(" response (0x")))
                out << line;
        return out;
    };

    t.program.state.FrameMonitor = false;
    ASSERT_EQ(session.sendRequest(1, QByteArray(), 0, nullptr, 1), 0);
    EXPECT_TRUE(frameLines().isEmpty()) << frameLines().join(QLatin1Char('\n')).toStdString();

    t.program.state.FrameMonitor = true;
    ASSERT_EQ(session.sendRequest(1, QByteArray(), 0, nullptr, 1), 0);
    const QStringList lines = frameLines();
    ASSERT_EQ(lines.size(), 2) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("--> long request (0x82), to manufacturer ")));
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("command 1, 0 bytes, check byte ok")));
    EXPECT_TRUE(
        lines[1].startsWith(QStringLiteral("<-- long response (0x86), from manufacturer ")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("command 1, 7 bytes, ")));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("check byte ok")));
}

}  // namespace
}  // namespace zh
