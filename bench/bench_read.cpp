// A full "all all" read against hartsim in real-time mode over a pseudo-
// terminal. hartsim paces both directions as a modem would: an answer starts
// only once the request would have arrived (9.167 ms per byte) and the
// turnaround passed, and goes out at the same pace. The wall time of the
// read is set against the wire time of the frames actually exchanged (every
// byte in both directions at 11 bits / 1200 bit/s, plus the device's
// turnaround per answer), which is what a read costs on a real loop. The
// wall time runs from the read's start to its end, opening and connecting
// included; the connection probe, a second process, is left out.
//
// Goals: wall time at most 1.05 x the wire time (the program adds next to
// nothing between frames), wire time under 10 s, and no request whose
// answer the connection already held (the identity, command 141, a block
// read twice). Ends with 1 when a goal is missed.
//
// Usage: bench_read [hartsim options, e.g. presence=transmitter]

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

namespace {

constexpr double kMaxRatio = 1.05;
constexpr double kMaxWireSeconds = 10.0;

// The requests that went out again after a successful answer that cannot
// have changed in between (a read sends no write): everything but the live
// values.
QStringList repeatedReads(const zh::bench::FrameTally& t) {
    static const QStringList live{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                                  QStringLiteral("142")};
    QStringList answered;
    QStringList repeated;
    for (int i = 0; i < t.commands.size(); ++i) {
        const QString& c = t.commands[i];
        if (live.contains(c)) continue;
        if (answered.contains(c) && !repeated.contains(c)) repeated << c;
        if (t.codes.value(i) == 0) answered << c;
    }
    return repeated;
}

}  // namespace

int main(int argc, char** argv) {
    zh::bench::WireBench line(argc, argv);
    zh::Program& p = line.bench.program;
    if (line.port().isEmpty()) {
        std::printf("hartsim did not start\n");
        return 1;
    }
    p.state.ComPort = line.port();
    zh::LinkLibrary& link = line.link;
    zh::bench::EndingProbe& probe = line.probe;
    zh::HartSession session(p, link, probe);
    zh::DeviceModel model(p);
    model.cal.Measurand = QStringLiteral("Pressure");
    zh::defineDataStructure(model, QStringLiteral("[bar]"), 0, -11);
    zh::DeviceSequences sequences(model, session, link);

    QElapsedTimer timer;
    timer.start();
    const int result = sequences.readDevice(zh::Presence::All);
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    if (result != 0) {
        std::printf("the read failed (result %d)\n", result);
        return 1;
    }

    // Every frame in both directions, from the device's own log.
    zh::bench::FrameTally t(line.options);
    t.add(zh::bench::LogTail(line.frameLog).next());
    const double wire = t.wireSeconds();
    const double withWaits = t.linkSeconds();
    const double ratio = seconds / withWaits;
    const QStringList repeated = repeatedReads(t);
    std::printf("frames: %d requests, %d answers (%ld bytes: %ld sent, %ld answered)\n", t.requests,
                t.answers, t.bytes, t.bytes - t.answerBytes, t.answerBytes);
    std::printf("requests in order: %s\n",
                t.commands.join(QLatin1Char(' ')).toLocal8Bit().constData());
    std::printf(
        "wire time %.2f s (goal < %.0f s); with RT1 and HOLD between exchanges %.2f s; wall time "
        "%.2f s; ratio %.3f (goal <= %.2f)\n",
        wire, kMaxWireSeconds, withWaits, seconds, ratio, kMaxRatio);
    std::printf(
        "asked again although held: %s\n",
        repeated.isEmpty() ? "none" : repeated.join(QLatin1Char(' ')).toLocal8Bit().constData());
    const bool met = ratio <= kMaxRatio && wire < kMaxWireSeconds && repeated.isEmpty() &&
                     t.requests == t.answers;
    std::printf("goal %s\n", met ? "met" : "MISSED");
    return met ? 0 : 1;
}
