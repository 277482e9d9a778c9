// Orvanto from process start to its gate shown, and the peak memory by then, on a demo database.
// Usage: bench_startup [runs]   (runs itself once per run as a fresh process)

#include "BenchSupport.h"
#include "PasswordGate.h"
#include "Platform.h"
#include "PrepareDatabase.h"
#include "Runtime.h"
#include "Schema.h"
#include "frmPassMain.h"

#include <QApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <sys/resource.h>
#include <time.h>

namespace {
double processAgeMs() {
    // Time since the kernel started this process, from /proc.
    QFile stat(QStringLiteral("/proc/self/stat"));
    stat.open(QIODevice::ReadOnly);
    const QList<QByteArray> f = stat.readAll().split(' ');
    const double startTicks = f.value(21).toDouble();
    timespec up{};
    clock_gettime(CLOCK_BOOTTIME, &up);
    return (up.tv_sec + up.tv_nsec / 1e9 - startTicks / sysconf(_SC_CLK_TCK)) * 1000.0;
}
} // namespace

int main(int argc, char* argv[]) {
    if (argc > 1 && QByteArray(argv[1]) == "--child") {
        QApplication app(argc, argv);
        rt::setProgramTitle(QStringLiteral("Orvanto"));
        setProgramFolderForTests(QString::fromLocal8Bit(argv[2]));
        if (!checkDatabase(DatabasePath()).isEmpty())
            return 1;
        rt::run([] { rt::Show(frmPassMain()); });
        QMetaObject::invokeMethod(
            &app,
            [] {
                rusage ru{};
                getrusage(RUSAGE_SELF, &ru);
                QTextStream(stdout) << processAgeMs() << ' ' << ru.ru_maxrss << '\n';
                QCoreApplication::exit(0);
            },
            Qt::QueuedConnection);
        return QApplication::exec();
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int runs = argc > 1 ? QByteArray(argv[1]).toInt() : 10;
    QTemporaryDir dir;
    const QString dbPath = benchDatabase(dir, true);
    QList<double> ms;
    long peak = 0;
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), dir.path()});
        p.waitForFinished(30000);
        const QList<QByteArray> out = p.readAllStandardOutput().trimmed().split(' ');
        ms << out.value(0).toDouble();
        peak = std::max(peak, out.value(1).toLong());
    }
    std::sort(ms.begin(), ms.end());
    QTextStream(stdout) << "start to gate shown (offscreen), median of " << runs << ": " << ms[ms.size() / 2]
                        << " ms (min " << ms.first() << ", max " << ms.last() << "); peak RSS " << peak / 1024
                        << " MiB\n";
    return 0;
}
