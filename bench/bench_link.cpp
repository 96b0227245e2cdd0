// The HART link's speed, two ways:
//  - over a pseudo-terminal to hartsim in real-time mode: a command-0
//    exchange against its wire time (every frame byte at 11 bits / 1200 bit/s,
//    plus the simulator's turn-around, plus HOLD: after each answer the
//    master leaves the other master its turn); goal: at most 1.05 times;
//  - through the in-process simulator without timing: exchanges per
//    second; goal: at least 5,000.

#include <QElapsedTimer>
#include <QProcess>
#include <cstdio>

#include "hartlink/library.h"
#include "hartlink/timing.h"

namespace {

constexpr double kCharSeconds = 11.0 / 1200.0;  // 11 bits per character at 1200 bit/s
constexpr int kTurnaroundMs = 20;               // hartsim's default turn-around

struct Counted {
    std::size_t txBytes = 0;
    std::size_t rxBytes = 0;
};

// One exchange of a series: its frames, the turn-around, and HOLD before it.
double wireSeconds(const Counted& c) {
    const double hold = static_cast<double>(hartlink::timing::holdTime().count()) / 1e6;
    return static_cast<double>(c.txBytes + c.rxBytes) * kCharSeconds + kTurnaroundMs / 1000.0 +
           hold;
}

bool ptyFigure() {
    QProcess sim;
    sim.start(QStringLiteral(ZH_PROGRAM_DIR "/hartsim"),
              {QStringLiteral("--pty"), QStringLiteral("--realtime"), QStringLiteral("--seconds"),
               QStringLiteral("120")});
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) {
        std::printf("pty: hartsim did not start\n");
        return false;
    }
    const std::string path = sim.readLine().trimmed().toStdString();

    hartlink::Library lib;
    lib.setPortName(0, path);
    if (lib.open(0) != hartlink::Result::Ok || lib.connect() != hartlink::Result::Ok) {
        std::printf("pty: no connection on %s: %s\n", path.c_str(), lib.lastError().c_str());
        return false;
    }
    Counted counted;
    lib.master()->setTrace(
        [&counted](bool sent, const std::vector<std::uint8_t>& bytes, const std::string& note) {
            if (!note.empty()) return;
            (sent ? counted.txBytes : counted.rxBytes) += bytes.size();
        });
    const int exchanges = 20;
    QElapsedTimer timer;
    timer.start();
    hartlink::Answer answer;
    for (int i = 0; i < exchanges; ++i) {
        if (lib.sendRequest(0, {}, &answer) != hartlink::Result::Ok) {
            std::printf("pty: exchange %d failed: %s\n", i, lib.lastError().c_str());
            return false;
        }
    }
    const double measured = static_cast<double>(timer.nsecsElapsed()) / 1e9 / exchanges;
    Counted one{counted.txBytes / exchanges, counted.rxBytes / exchanges};
    const double wire = wireSeconds(one);
    lib.close();
    sim.terminate();
    sim.waitForFinished(3000);
    // A pty takes the request at once (it has no baud rate), so the
    // answer alone is the part that really runs at wire speed.
    const double answerWire =
        static_cast<double>(one.rxBytes) * kCharSeconds + kTurnaroundMs / 1000.0;
    std::printf(
        "pty, real time: command 0 takes %.1f ms; wire time %.1f ms (%zu bytes out, %zu in, %d ms "
        "turn-around, HOLD); "
        "ratio %.3f (goal <= 1.05); against the answer's wire time alone %.3f\n",
        measured * 1000, wire * 1000, one.txBytes, one.rxBytes, kTurnaroundMs, measured / wire,
        measured / answerWire);
    return measured / wire <= 1.05;
}

bool simFigure() {
    hartlink::Library lib;
    lib.setPortName(0, "Sim");
    if (lib.open(0) != hartlink::Result::Ok || lib.connect() != hartlink::Result::Ok) {
        std::printf("sim: no connection: %s\n", lib.lastError().c_str());
        return false;
    }
    const int exchanges = 20000;
    hartlink::Answer answer;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < exchanges; ++i) {
        if (lib.sendRequest(191, {12}, &answer) != hartlink::Result::Ok) {
            std::printf("sim: exchange %d failed\n", i);
            return false;
        }
    }
    const double perSecond = exchanges / (static_cast<double>(timer.nsecsElapsed()) / 1e9);
    std::printf(
        "in-process simulator: %.0f exchanges per second (command 191, block 12; goal >= 5000)\n",
        perSecond);
    return perSecond >= 5000.0;
}

}  // namespace

int main() {
    const bool pty = ptyFigure();
    const bool sim = simFigure();
    std::printf("goals %s\n", pty && sim ? "met" : "MISSED");
    return 0;
}
