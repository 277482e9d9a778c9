// Platform services without windows: starting programs without a shell, the date and time texts,
// the program folder and loading pictures.

#include "Controls.h"
#include "Platform.h"
#include "Runtime.h"
#include "TestSupport.h"

#include <QFileInfo>
#include <QPainter>
#include <QtTest>
#include <cstdio>

namespace {
// Bytes that no picture format takes, over whatever the file held.
bool writeJunk(const QString& path, qsizetype bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(QByteArray(bytes, 'x')) == qint64(bytes);
}

// Red with a blue corner, so that a picture squeezed, cut or shifted shows it; showsTheCorner() tells
// those colours whatever the picture's size and a decoder's rounding.
QImage cornered(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red);
    QPainter(&image).fillRect(0, 0, size.width() / 3, size.height() / 3, Qt::blue);
    return image;
}
bool showsTheCorner(const QImage& image) {
    const auto blueness = [&](int x, int y) {
        const QColor c = image.pixelColor(x * image.width() / 6, y * image.height() / 6);
        return c.blue() - c.red();
    };
    return blueness(1, 1) > 150 && blueness(4, 1) < -150 && blueness(1, 4) < -150;
}

QString loadError(const QString& path) {
    try {
        LoadPicture(path);
    } catch (const RuntimeError& e) {
        return e.message();
    }
    return QString();
}
} // namespace

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    void bareNamesAreFoundInTheProgramFolderWithOrWithoutExe() {
        TestFolder folder;
        const QString marker = folder.path() + QStringLiteral("/ran");
        folder.markerScript(QStringLiteral("Helper"), marker);
        Shell(QStringLiteral("Helper.exe"), vbMinimizedFocus);
        QVERIFY(waitUntil([&] { return QFile::exists(marker); }));
        QFile::remove(marker);
        Shell(QStringLiteral("Helper"), vbNormalFocus);
        QVERIFY(waitUntil([&] { return QFile::exists(marker); }));
    }

    void startsFailForWhatCannotRun() {
        TestFolder folder;
        QFile plain(folder.path() + QStringLiteral("/notes.txt"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        for (const QString& command :
             {QString(), QStringLiteral("   "), QStringLiteral("NoSuchProgram.exe"),
              folder.path() + QStringLiteral("/missing"), plain.fileName(), folder.path()})
            QVERIFY_THROWS_EXCEPTION(RuntimeError, Shell(command, vbNormalFocus));
    }

    void commandTextNeverReachesAShell() {
        TestFolder folder;
        const QString marker = folder.path() + QStringLiteral("/ran");
        const QString injected = folder.path() + QStringLiteral("/injected");
        const QString script = folder.markerScript(QStringLiteral("prog"), marker);
        for (const QString& tail :
             {QStringLiteral("; touch %1"), QStringLiteral(" && touch %1"), QStringLiteral(" $(touch %1)"),
              QStringLiteral(" `touch %1`"), QStringLiteral("\"; touch %1; \"")}) {
            try {
                Shell(script + tail.arg(injected), vbNormalFocus);
            } catch (const RuntimeError&) {
            }
        }
        spin(300);
        QVERIFY(!QFile::exists(injected));
    }

    void pathWithBlanksStartsAsItIs() {
        TestFolder folder;
        QDir(folder.path()).mkpath(QStringLiteral("My Programs"));
        const QString marker = folder.path() + QStringLiteral("/ran");
        const QString script = folder.markerScript(QStringLiteral("My Programs/run me"), marker);
        Shell(script, vbNormalFocus);
        QVERIFY(waitUntil([&] { return QFile::exists(marker); }));
    }

    void dateAndTimeTextsIgnoreTheLocale() {
        const QLocale saved;
        QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
        setClockForTests([] { return QDateTime(QDate(2026, 12, 7), QTime(9, 5, 3)); });
        QCOMPARE(DateText(), QStringLiteral("12-07-2026"));
        QCOMPARE(TimeText(), QStringLiteral("09:05:03"));
        setClockForTests([] { return QDateTime(QDate(2027, 1, 31), QTime(21, 0, 0)); });
        QCOMPARE(TimeText(), QStringLiteral("21:00:00"));
        setClockForTests({});
        QLocale::setDefault(saved);
        QCOMPARE(DateText().size(), 10);
        QCOMPARE(TimeText().size(), 8);
    }

    void programFolderHasNoTrailingSeparator() {
        QVERIFY(!ProgramFolder().endsWith(QLatin1Char('/')));
        setProgramFolderForTests(QStringLiteral("/"));
        QCOMPARE(ProgramFolder(), QStringLiteral("/"));
        setProgramFolderForTests(QString());
    }

    void picturesLoadFailAndFollowTheFile() {
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("/p.bmp");
        QVERIFY(LoadPicture(QString()).isNull());
        QVERIFY_THROWS_EXCEPTION(RuntimeError, LoadPicture(path));
        QFile junk(path);
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a picture");
        junk.close();
        QVERIFY_THROWS_EXCEPTION(RuntimeError, LoadPicture(path));

        QImage red(400, 400, QImage::Format_RGB888);
        red.fill(Qt::red);
        QVERIFY(red.save(path, "BMP"));
        const QImage first = LoadPicture(path);
        QCOMPARE(first.size(), QSize(400, 400));
        QCOMPARE(LoadPicture(path).cacheKey(), first.cacheKey()); // same bytes: nothing decoded again
        QImage blue(400, 400, QImage::Format_RGB888);
        blue.fill(Qt::blue);
        QVERIFY(blue.save(path, "BMP"));
        QCOMPARE(QColor(LoadPicture(path).pixel(10, 10)), QColor(Qt::blue));
    }

    // A timer polls the path many times a second: a file that is no picture is read once, and
    // each later call fails with the same words until the file changes, as a picture would.
    void fileThatIsNoPictureIsReadOnceUntilReplaced() {
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("/p.bmp");
        QVERIFY(writeJunk(path, 100000));
        const int reads = pictureFilesReadForTests();
        const QString noPicture = QStringLiteral("Файл «%1» не является рисунком.").arg(path);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(loadError(path), noPicture);
        QCOMPARE(pictureFilesReadForTests(), reads + 1);

        // Replaced the way editors save, by renaming a new file over it.
        const QString red = writePicture(dir.path(), QStringLiteral("red.bmp"), Qt::red);
        QCOMPARE(std::rename(QFile::encodeName(red).constData(), QFile::encodeName(path).constData()), 0);
        QCOMPARE(centre(LoadPicture(path)), QColor(Qt::red));

        // A read that breaks off says the file does not open, and is tried again each time: its
        // cause need not lie in the file.
        const QString broken = QStringLiteral("/proc/self/mem"); // a plain file that fails to read
        const int before = pictureFilesReadForTests();
        QCOMPARE(loadError(broken), QStringLiteral("Файл «%1» не открывается.").arg(broken));
        QCOMPARE(loadError(broken), QStringLiteral("Файл «%1» не открывается.").arg(broken));
        QCOMPARE(pictureFilesReadForTests(), before + 2);
    }

    // The windows show LoadPicture's picture and keep the one they have when it fails.
    void pictureOverwrittenByJunkFailsAndTheImageKeepsItsPicture() {
        QTemporaryDir dir;
        const QString path = writePicture(dir.path(), QStringLiteral("p.bmp"), Qt::red);
        Image img(nullptr);
        const auto poll = [&] { rt::silently([&] { img.setPicture(LoadPicture(path)); }); };
        poll();
        QCOMPARE(centre(img.picture()), QColor(Qt::red));
        QVERIFY(writeJunk(path, 5 * 1024 * 1024));
        const int reads = pictureFilesReadForTests();
        for (int i = 0; i < 3; ++i)
            poll();
        QCOMPARE(centre(img.picture()), QColor(Qt::red));
        QCOMPARE(pictureFilesReadForTests(), reads + 1);
        QCOMPARE(loadError(path), QStringLiteral("Файл «%1» не является рисунком.").arg(path));
        writePicture(dir.path(), QStringLiteral("p.bmp"), Qt::blue); // over the junk, in place
        poll();
        QCOMPARE(centre(img.picture()), QColor(Qt::blue));
    }

    void imageStretchesAnyPicture() {
        Image img(nullptr);
        img.resize(200, 200);
        QImage small(4, 2, QImage::Format_RGB888);
        small.fill(Qt::green);
        img.setPicture(small);
        const QImage shown = img.grab().toImage();
        QCOMPARE(QColor(shown.pixel(0, 0)), QColor(Qt::green));
        QCOMPARE(QColor(shown.pixel(199, 199)), QColor(Qt::green));
        small.fill(Qt::red); // what it draws follows each new picture, of the same size too
        img.setPicture(small);
        QCOMPARE(img.grab().toImage().pixelColor(100, 100), QColor(Qt::red));
        img.setPicture(QImage());
        QVERIFY(img.picture().isNull());
    }

    // A photo is kept no larger than an image shows and shows the same, JPEG decoded small, PNG whole;
    // a picture within the bound keeps every pixel. Many photos, a menu stepping through categories
    // say, keep the cache within its budget while a file polled all along is read only once.
    void largePicturesAreKeptSmallAndWithinTheBudget() {
        resetPictureCacheForTests();
        QTemporaryDir dir;
        const QImage within = cornered({300, 400}), photo = cornered({2000, 1500});
        const QString polled = dir.filePath("p.png"), png = dir.filePath("a.png"),
                      jpg = dir.filePath("a.jpg");
        QVERIFY(within.save(polled) && photo.save(png) && photo.save(jpg));
        for (int i = 0; i < 80; ++i) {
            const QString path = dir.filePath(QString::number(i));
            const QImage loaded = QFile::copy(i == 0 ? png : jpg, path) ? LoadPicture(path) : QImage();
            QVERIFY(loaded.width() <= 400 && loaded.height() <= 400 && showsTheCorner(loaded));
            QVERIFY(pictureCacheBytesForTests() <= 32 * 1024 * 1024);
            QCOMPARE(LoadPicture(polled).convertToFormat(QImage::Format_RGB32), within);
        }
        QCOMPARE(pictureFilesReadForTests(), 1 + 80);
    }
    // A picture path may name any file: one far larger than a picture can be is refused like an
    // unreadable one, without being read into memory; a file that shrinks back loads again.
    void hugeFileIsRefusedWithoutBeingRead() {
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("/huge.bmp");
        QImage red(400, 400, QImage::Format_RGB888);
        red.fill(Qt::red);
        QVERIFY(red.save(path, "BMP"));
        const qint64 picture = QFileInfo(path).size();
        QFile file(path);
        QVERIFY(file.resize(qint64(64) * 1024 * 1024 + 1)); // sparse: a valid header, then zeros
        QVERIFY_THROWS_EXCEPTION(RuntimeError, LoadPicture(path));
        QVERIFY(file.resize(qint64(3) * 1024 * 1024 * 1024));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, LoadPicture(path));
        QVERIFY(file.resize(picture));
        QCOMPARE(QColor(LoadPicture(path).pixel(10, 10)), QColor(Qt::red));
    }
};

QTEST_MAIN(TestPlatform)
#include "test_platform.moc"
