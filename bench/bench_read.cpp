// A full "all all" read against hartsim in real-time mode over a pseudo-
// terminal: its wall time against the wire time of the frames actually
// exchanged (every byte at 11 bits / 1200 bit/s plus the device's
// turn-around per answer), and the frames counted against what the sequence
// needs. Goal: at most 1.15 times the wire time, and not one frame more.

#include <QElapsedTimer>
#include <cstdio>

#include "app/profile_settings.h"
#include "bench_program.h"
#include "bench_wire.h"
#include "hart/connection_probe.h"
#include "hart/hart_session.h"
#include "hart/link_library.h"
#include "model/device_model.h"
#include "model/field_definitions.h"
#include "model/read_write_sequences.h"

int main() {
    zh::bench::BenchProgram bench;
    zh::Program& p = bench.program;
    zh::ReadProfileFile(p);
    p.log.setThreshold(0);
    const QString frameLog = bench.dir.filePath(QStringLiteral("frames.log"));

    zh::bench::RealtimeSim sim(frameLog);
    if (sim.path.isEmpty()) {
        std::printf("hartsim did not start\n");
        return 1;
    }
    p.state.ComPort = sim.path;

    zh::LinkLibrary link(p.log);
    link.load(QStringLiteral(ZH_PROGRAM_DIR "/libhartlink.so"));
    zh::bench::EndingProbe probe;  // the probe process is not part of the exchange being measured
    zh::HartSession session(p, link, probe);
    zh::DeviceModel model(p);
    model.cal.Measurand = QStringLiteral("Pressure");
    zh::DefDataStruc(model, QStringLiteral("[bar]"), 0, -11);
    zh::DeviceSequences sequences(model, session, link);

    QElapsedTimer timer;
    timer.start();
    const int result = sequences.HartRead(QStringLiteral("all all"));
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    if (result != 0) {
        std::printf("the read failed (result %d)\n", result);
        return 1;
    }

    // Every frame in both directions, from the device's own log.
    zh::bench::FrameTally t;
    t.add(zh::bench::LogTail(frameLog).next());
    const double wire = t.wireSeconds();
    // Connect: command 0 (short frame, then once more as the library connects
    // for the session); detection: blocks 12 and 89, command 141; the read:
    // 141, 141, 15, 0, 142, 151 and eleven blocks plus the version check of
    // block 12 in the display part.
    std::printf("full read: %.2f s for %d requests and %d answers (%ld bytes); wire time %.2f s; ratio %.3f "
                "(goal <= 1.15)\n",
                seconds, t.requests, t.answers, t.bytes, wire, seconds / wire);
    std::printf("against the answers' wire time alone (%ld bytes): ratio %.3f\n", t.answerBytes,
                seconds / t.answerWireSeconds());
    std::printf("requests in order: %s\n", t.commands.join(QLatin1Char(' ')).toLocal8Bit().constData());
    std::printf("every request answered once: %s\n", t.requests == t.answers ? "yes" : "NO");
    std::printf("goal %s\n", seconds / wire <= 1.15 && t.requests == t.answers ? "met" : "MISSED");
    return 0;
}
