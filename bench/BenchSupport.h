#pragma once
// What the benchmarks share: a fresh database, CPU time used and a real event loop run for a while.

#include "PrepareDatabase.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>
#include <sys/resource.h>

// DataProg.mdb made by the preparation tool in a temporary program folder; returns its path.
inline QString benchDatabase(const QTemporaryDir& dir, bool demo = false) {
    PrepareOptions o;
    o.path = dir.path() + QStringLiteral("/DataProg.mdb");
    o.demo = demo;
    prepareDatabase(o);
    return o.path;
}

// A 400 x 400 bitmap of one colour, the size of a category picture.
inline void saveBitmap(const QString& path, QColor colour) {
    QImage picture(400, 400, QImage::Format_RGB888);
    picture.fill(colour);
    picture.save(path, "BMP");
}

inline double cpuSeconds() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

inline void spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// CPU share of one core over `seconds` of the running event loop, in per cent.
inline double measureIdle(int seconds) {
    const double before = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    spin(seconds * 1000);
    return 100.0 * (cpuSeconds() - before) / (wall.elapsed() / 1000.0);
}
