// The launch-log viewer on a log of 100 000 records: time from Load to the grid filled and shown,
// peak memory, and time of one "Удалить" including the viewer's reopening.
//
//   QT_QPA_PLATFORM=offscreen bench_frmlook [records] [deletions]

#include "Database.h"
#include "Form.h"
#include "Grid.h"
#include "MessageBoxes.h"
#include "Platform.h"
#include "PrepareDatabase.h"
#include "Runtime.h"
#include "frmLook.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

namespace {

long peakRssKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// The viewer is on screen with its visible rows read and painted.
bool shownAndPainted(frmLook* v) {
    if (!v || !v->isVisible() || rt::lastActivated() != frmLook::Name)
        return false;
    v->grab(); // paints the grid, which reads the rows in view
    return true;
}

void poll(std::function<bool()> step) {
    QMetaObject::invokeMethod(
        qApp, [step] { step() ? void() : poll(step); }, Qt::QueuedConnection);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int records = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int deletions = argc > 2 ? std::atoi(argv[2]) : 5;
    rt::setProgramTitle(QStringLiteral("Settings"));
    rt::setQuitHandler([] {});
    MessageBoxes::setScripted(true);

    QTemporaryDir dir;
    PrepareOptions options;
    options.path = dir.path() + QStringLiteral("/DataProg.mdb");
    prepareDatabase(options);
    Database::open(options.path)
        ->exec(QStringLiteral("INSERT INTO Fixing (Name, FixDate, FixTime) "
                              "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                              "SELECT 'Программа ' || i, '01-02-2024', '12:34:56' FROM n")
                   .arg(records));
    setProgramFolderForTests(dir.path());
    const long rssBefore = peakRssKb();

    QElapsedTimer clock;
    double openMs = 0;
    QList<double> deleteMs;
    int rowsShown = 0;
    frmLook* current = nullptr;

    // Each step presses "Удалить" in the viewer on screen and waits for the reopened one.
    std::function<bool()> step = [&]() -> bool {
        frmLook* v = rt::loaded<frmLook>();
        if (v == current || !shownAndPainted(v))
            return false;
        const double ms = clock.nsecsElapsed() / 1e6;
        if (!current) {
            openMs = ms;
            rowsShown = v->grdLook->model()->rowCount();
        } else {
            deleteMs << ms;
        }
        current = v;
        if (deleteMs.size() < deletions) {
            poll(step);
            clock.start();
            v->cmdClear->click();
        } else {
            v->cmdBack->click();
        }
        return true;
    };
    poll(step);
    clock.start();
    rt::run([] { rt::ShowModal(rt::form<frmLook>()); });

    std::sort(deleteMs.begin(), deleteMs.end());
    std::printf("records: %d (grid rows: %d)\n", records, rowsShown);
    std::printf("open (Load to grid filled and shown): %.1f ms\n", openMs);
    if (!deleteMs.isEmpty())
        std::printf("Удалить incl. reopening: median %.1f ms, max %.1f ms over %lld presses\n",
                    deleteMs[deleteMs.size() / 2], deleteMs.last(), static_cast<long long>(deleteMs.size()));
    std::printf("peak RSS: %.1f MB (%.1f MB before the viewer opened)\n", peakRssKb() / 1024.0,
                rssBefore / 1024.0);
    rt::resetForTests();
    setProgramFolderForTests(QString());
    return 0;
}
