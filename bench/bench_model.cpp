// How long the field table takes to rebuild and to convert: one definition
// pass over every field, and a whole-table conversion in both directions,
// against the shipped profile. Goals: a pass under 2 ms, a conversion of
// all fields under 1 ms. Each figure is the median of many runs.

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/profile_settings.h"
#include "bench_program.h"
#include "model/device_model.h"
#include "model/field_definitions.h"
#include "model/scaling.h"

namespace {

template <typename F>
double medianMs(int runs, F&& f) {
    std::vector<double> t;
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        timer.start();
        f();
        t.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

}  // namespace

int main() {
    zh::bench::BenchProgram bench;
    zh::Program& p = bench.program;
    zh::readProfileFile(p);
    p.log.setThreshold(0);

    zh::DeviceModel m(p);
    m.cal.Measurand = QStringLiteral("Pressure");
    const QString unit = p.state.MeasurandList.empty() ? QStringLiteral("[bar]")
                                                       : p.state.MeasurandList.front().BaseUnit;
    zh::defineDataStructure(m, unit, 0, -11);  // first pass reads the files

    const int runs = 200;
    const double pass = medianMs(runs, [&] { zh::defineDataStructure(m, unit, 0, -11); });
    const QString all = m.fields.definedNames();
    const double toContent = medianMs(runs, [&] { zh::convertAllRawToMeasurand(m, 1, all); });
    const double toRaw = medianMs(runs, [&] { zh::convertAllRawToMeasurand(m, 2, all); });

    std::printf("fields defined: %d (records %d)\n", static_cast<int>(all.count(QLatin1Char(';'))),
                m.fields.count());
    std::printf("definition pass:          %.3f ms (goal < 2 ms)\n", pass);
    std::printf("raw -> content, all:      %.3f ms (goal < 1 ms)\n", toContent);
    std::printf("content -> raw, all:      %.3f ms (goal < 1 ms)\n", toRaw);
    std::printf("goals %s\n", (pass < 2.0 && toContent < 1.0 && toRaw < 1.0) ? "met" : "MISSED");
    return 0;
}
