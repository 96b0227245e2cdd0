// The "Logging IO" window with a full log view (100,000 lines of every
// colour kind), offscreen:
//  1. showing the window until its view is painted;
//  2. scrolling the view from top to bottom a page at a time, each page
//     painted;
//  3. 1000 further appends while shown, the event loop served after each
//     (lines arrive between events as they do during a device exchange),
//     until the view shows the last one.
// Goals: 1. under 100 ms; 2. under 5 ms a page; 3. under 1 ms an append.
//
// Run:
//   cmake --build build --target bench_log
//   QT_QPA_PLATFORM=offscreen build/bench/bench_log [picture.png (the window at the end)]

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QPixmap>
#include <QScrollBar>
#include <cstdio>

#include "bench_program.h"
#include "ui/log/log_view_model.h"
#include "ui/log/log_window.h"

namespace {

double msOf(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

// Lines as the program writes them: frames, events, procedures, commands.
QString lineOf(int i) {
    switch (i % 8) {
        case 0:
            return QStringLiteral("--> Write Com190_010 82 A6 4E 00 00 01 BE 0B 00 00 00 00 %1")
                .arg(i);
        case 1:
            return QStringLiteral("<-- Read Com190_089 86 A6 4E 00 00 01 BE 0B 00 00 00 00 00 %1")
                .arg(i);
        case 2:
            return QStringLiteral("<<< UpdateDisplay\t|11|19|1|-1|-1|0|0|");
        case 3:
            return QStringLiteral(">>> HartRead(mode=display all, tries=%1)").arg(i % 3);
        case 4:
            return QStringLiteral(">> SendRequest %1").arg(i);
        case 5:
            return QStringLiteral("> #  2069 Read module");
        case 6:
            return QStringLiteral("<<< Comment: step %1").arg(i);
        default:
            return QStringLiteral(
                       "ReadProfile: File=Config-125.ini Kat=Common Key=DebugLevel Val=%1")
                .arg(i);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    zh::bench::BenchProgram b;
    zh::Program& p = b.program;
    p.state.DebugLevel = 0;  // built hidden; shown below
    p.log.setThreshold(1);
    p.log.openView(1);
    for (int i = 0; p.log.viewLines().size() < zh::Logger::kMaxViewLines; ++i)
        p.log.debugLog(lineOf(i), 1);

    zh::LogWindow w(p);
    QListView& view = *w.view();
    QScrollBar& bar = *view.verticalScrollBar();

    QElapsedTimer t;
    t.start();
    w.loggingOn();
    QApplication::processEvents();
    view.viewport()->repaint();
    const double shown = msOf(t);

    bar.setValue(0);
    QApplication::processEvents();
    int pages = 0;
    t.restart();
    while (bar.value() < bar.maximum()) {
        bar.setValue(bar.value() + bar.pageStep());
        view.viewport()->repaint();
        ++pages;
    }
    const double scrolled = msOf(t);

    constexpr int kAppends = 1000;
    t.restart();
    for (int i = 0; i < kAppends; ++i) {
        p.log.debugLog(lineOf(i), 1);
        QApplication::processEvents();
    }
    w.flush();
    view.viewport()->repaint();
    const double appended = msOf(t);
    const bool atEnd =
        bar.value() == bar.maximum() &&
        w.model().index(w.model().rowCount() - 1).data().toString() == p.log.viewLines().back();

    if (argc > 1) w.grab().save(QString::fromLocal8Bit(argv[1]));
    std::printf("log view: %d lines\n", w.model().rowCount());
    std::printf("show window: %.1f ms\n", shown);
    std::printf("scroll top to bottom: %d pages in %.1f ms (%.3f ms a page)\n", pages, scrolled,
                pages ? scrolled / pages : 0.0);
    std::printf("%d appends while shown: %.1f ms (%.3f ms an append), view at the last line: %s\n",
                kAppends, appended, appended / kAppends, atEnd ? "yes" : "no");
    return atEnd ? 0 : 1;
}
