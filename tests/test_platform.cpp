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

// Four quarters of their own colours, so that a picture squeezed or shifted shows it.
QImage quarters(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    const int w = size.width() / 2, h = size.height() / 2;
    p.fillRect(0, 0, w, h, Qt::red);
    p.fillRect(w, 0, size.width() - w, h, Qt::green);
    p.fillRect(0, h, w, size.height() - h, Qt::blue);
    p.fillRect(w, h, size.width() - w, size.height() - h, Qt::yellow);
    return image;
}

// Colours a decoder may round, not another colour.
bool near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) < 24 && std::abs(a.green() - b.green()) < 24 &&
           std::abs(a.blue() - b.blue()) < 24;
}

// What the image draws over 227 x 227 pixels, the size of the menu's, at points clear of the
// quarters' edges.
QList<QColor> drawn(const QImage& picture) {
    Image img(nullptr);
    img.resize(227, 227);
    img.setPicture(picture);
    const QImage shown = img.grab().toImage();
    QList<QColor> colours;
    for (int y : {20, 90, 137, 206})
        for (int x : {20, 90, 137, 206})
            colours << shown.pixelColor(x, y);
    return colours;
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
        img.setPicture(QImage());
        QVERIFY(img.picture().isNull());

        // What it draws follows each new picture, as a timer sets them.
        for (QColor colour : {Qt::red, Qt::blue, Qt::red}) {
            QImage next(400, 400, QImage::Format_RGB888);
            next.fill(colour);
            img.setPicture(next);
            QCOMPARE(img.grab().toImage().pixelColor(100, 100), colour);
        }
    }

    // A photo taken as a picture is kept no larger than an image shows, and draws as before in
    // JPEG (decoded small) and in a format decoded whole; a picture within the bound keeps every
    // pixel.
    void largePictureIsKeptSmallAndDrawsTheSame() {
        QTemporaryDir dir;
        const QImage photo = quarters({2000, 1500});
        for (const char* format : {"JPG", "BMP", "PNG"}) {
            const QString path =
                dir.path() + QStringLiteral("/photo.") + QString::fromLatin1(format).toLower();
            QVERIFY(photo.save(path, format));
            const QImage loaded = LoadPicture(path);
            QVERIFY2(loaded.width() <= 400 && loaded.height() <= 400, format);
            const QList<QColor> expected = drawn(photo), got = drawn(loaded);
            for (qsizetype i = 0; i < expected.size(); ++i)
                QVERIFY2(near(got[i], expected[i]), qPrintable(QStringLiteral("%1 at %2: %3, not %4")
                                                                   .arg(format)
                                                                   .arg(i)
                                                                   .arg(got[i].name(), expected[i].name())));
        }

        // Only a side beyond the bound shrinks; a picture within it keeps every pixel.
        const QString other = dir.path() + QStringLiteral("/other.png");
        QVERIFY(quarters({100, 900}).save(other, "PNG"));
        QCOMPARE(LoadPicture(other).size(), QSize(100, 400));
        const QImage within = quarters({300, 400});
        QVERIFY(within.save(other, "PNG"));
        QCOMPARE(LoadPicture(other).convertToFormat(QImage::Format_RGB32), within);
    }

    // Many large pictures, a menu stepping through categories say, keep the memory within the
    // budget, while a file polled all along is still read only once.
    void manyLargePicturesStayWithinTheBudget() {
        resetPictureCacheForTests();
        QTemporaryDir dir;
        const QString polled = writePicture(dir.path(), QStringLiteral("polled.bmp"), Qt::red);
        QCOMPARE(centre(LoadPicture(polled)), QColor(Qt::red));
        constexpr int Pictures = 60;
        for (int i = 0; i < Pictures; ++i) {
            const QColor colour = QColor::fromHsv(i * 6, 255, 255);
            const QString path =
                writePicture(dir.path(), QStringLiteral("%1.jpg").arg(i), colour, {2000, 1500}, "JPG");
            QVERIFY(near(centre(LoadPicture(path)), colour));
            QVERIFY2(pictureCacheBytesForTests() <= 32 * 1024 * 1024,
                     qPrintable(QString::number(pictureCacheBytesForTests())));
            QCOMPARE(centre(LoadPicture(polled)), QColor(Qt::red));
        }
        QCOMPARE(pictureFilesReadForTests(), 1 + Pictures);
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
