#pragma once
// What the grid benchmarks share: the Form 26 grid, clocks, peak memory and
// the scrolling measure. Header-only; each benchmark is one program.
#include "grid/ReportGrid.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QScrollBar>

#include <sys/resource.h>

#include <algorithm>

namespace Bench {

inline double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

inline double seconds(const QElapsedTimer& timer) { return double(timer.nsecsElapsed()) / 1e9; }

// The processor time this process has used so far, user and system.
inline double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The Form 26 grid: fourteen columns under two upper headers.
inline void setUpForm26(Dazozuvi::ReportGrid& grid) {
    using Dazozuvi::CellType;
    using Dazozuvi::GridColumn;
    const char* names[] = {"EPA Reg Number",     "Product Name",  "Quantity",    "Units",
                           "Apply Date",         "End Date",      "County",      "Address",
                           "Municipality",       "Zip Code",      "Dosage Rate", "Method of Appl.",
                           "Target Organism(s)", "Place of Appl."};
    const double widths[] = {14, 30, 10, 6, 10, 10, 6, 30, 20, 8, 12, 12, 16, 16};
    QList<GridColumn> columns;
    for (int c = 0; c < 14; ++c) columns << GridColumn{QString::fromLatin1(names[c]), widths[c], CellType::text()};
    grid.setColumns(columns);
    grid.setUpperHeaders({{1, 10,
                           QStringLiteral("All Columns are REQUIRED except \"End Date\" and \"Record Keeping "
                                          "Columns\"")},
                          {11, 14, QStringLiteral("Record Keeping Columns")}});
    grid.setRowCount(5);
}

struct ScrollTiming {
    double averageMs = 0;
    double worstMs = 0;
};

// Paints the visible rows at frames places, the top and the bottom first.
inline ScrollTiming measureScroll(Dazozuvi::ReportGrid& grid, int frames = 200) {
    QScrollBar* bar = grid.verticalScrollBar();
    QRandomGenerator random(42);
    QElapsedTimer timer;
    ScrollTiming timing;
    double total = 0;
    for (int i = 0; i < frames; ++i) {
        const int at = i == 0 ? 0 : i == 1 ? bar->maximum() : int(random.bounded(bar->maximum() + 1));
        timer.restart();
        bar->setValue(at);
        grid.viewport()->repaint();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        timing.worstMs = std::max(timing.worstMs, ms);
        total += ms;
    }
    timing.averageMs = total / frames;
    return timing;
}

} // namespace Bench
