// How fast the program finds its texts and settings: 10,000 message
// look-ups and 10,000 profile reads against the shipped language file and
// profile, in a copy of the program folder. The goal is well under 50 ms
// for each batch, which holds only if the files are read once.

#include <QElapsedTimer>
#include <cstdio>

#include "app/text_tables.h"
#include "bench_program.h"

namespace {

double ms(qint64 ns) {
    return static_cast<double>(ns) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    zh::bench::BenchProgram bench;
    zh::Program& p = bench.program;

    // Every text of the start-up lists, with a parameter on every third one.
    QStringList messages;
    QStringList sections;
    for (std::size_t l = 0; l < zh::texts::kFirstBatchCount; ++l) {
        const zh::texts::TextList& list = zh::texts::kFirstBatch[l];
        for (std::size_t i = 0; i < list.count; ++i) {
            QString m = QString::fromUtf8(list.texts[i]);
            if (i % 3 == 0) m += QStringLiteral("\tC190_012");
            messages << m;
            sections << QString::fromUtf8(list.section);
        }
    }
    const char* keys[][2] = {{"Common", "UserMode"},   {"Common", "DebugLevel"},
                             {"Serial_IO", "ComPort"}, {"Common", "Measurands"},
                             {"Pressure", "BaseUnit"}, {"Config", "minhys"},
                             {"Common", "NoSuchKey"},  {"Language", "ActualLanguage"}};
    const int n = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;

    QElapsedTimer timer;
    timer.start();
    volatile int sink = 0;
    for (int i = 0; i < n; ++i) {
        const int k = i % messages.size();
        sink += p.messages.lookupMessage(messages[k], sections[k]).size();
    }
    const qint64 lookupNs = timer.nsecsElapsed();

    timer.restart();
    for (int i = 0; i < n; ++i) {
        const auto& k = keys[i % 8];
        sink += p.profile
                    .readProfile(QLatin1String(k[0]), QLatin1String(k[1]), QStringLiteral("x"),
                                 p.state.ProfilePath)
                    .size();
    }
    const qint64 readNs = timer.nsecsElapsed();
    static_cast<void>(sink);  // the sums only keep the calls from being left out

    std::printf(
        "message look-ups: %d in %.2f ms (%.2f us each), %d distinct texts, files read once\n", n,
        ms(lookupNs), ms(lookupNs) * 1000.0 / n, static_cast<int>(messages.size()));
    std::printf("profile reads:    %d in %.2f ms (%.2f us each)\n", n, ms(readNs),
                ms(readNs) * 1000.0 / n);
    std::printf("goal: each under 50 ms -> %s\n",
                (ms(lookupNs) < 50.0 && ms(readNs) < 50.0) ? "met" : "MISSED");
    return 0;
}
