// The pictures drawn at run time: sizes, formats, palettes and the colours the windows rely on.

#include "BuiltinPictures.h"

#include <QSet>
#include <QtTest>

namespace {

bool anyPixel(const QImage& image, const QRect& area, QRgb colour) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if ((image.pixel(x, y) & 0xffffff) == (colour & 0xffffff))
                return true;
    return false;
}

int distinctColours(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return int(colours.size());
}

} // namespace

class TestBuiltinPictures : public QObject {
    Q_OBJECT

private slots:
    void placeholderColours() {
        const QImage image = BuiltinPictures::categoryPlaceholder();
        QCOMPARE(image.size(), QSize(400, 400));
        QCOMPARE(image.format(), QImage::Format_RGB888);

        const QRgb magenta = qRgb(255, 0, 255);
        const QRgb grey = qRgb(192, 192, 192);
        // The frame runs along all four edges and is about 5 px wide.
        for (const QPoint& p : {QPoint(0, 0), QPoint(399, 0), QPoint(0, 399), QPoint(399, 399),
                                QPoint(200, 2), QPoint(4, 200), QPoint(395, 200), QPoint(200, 397)})
            QCOMPARE(image.pixel(p), magenta);
        QCOMPARE(image.pixel(6, 390), grey);
        // Field away from text and star, and the middle of the star: strokes only, not filled.
        QCOMPARE(image.pixel(30, 380), grey);
        QCOMPARE(image.pixel(370, 30), grey);
        QCOMPARE(image.pixel(200, 240), grey);

        QVERIFY(anyPixel(image, QRect(80, 110, 240, 250), qRgb(0, 0, 255)));
        QVERIFY2(anyPixel(image, QRect(6, 6, 300, 90), qRgb(255, 255, 0)), "no yellow text at the top left");
        // Drawn without antialiasing: nothing but the four colours.
        QCOMPARE(distinctColours(image), 4);
    }

    void iconsSizesAndPalettes_data() {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("maxColours");
        QTest::newRow("launcher") << BuiltinPictures::launcherIcon() << 48 << 256;
        QTest::newRow("settings") << BuiltinPictures::settingsIcon() << 48 << 256;
        QTest::newRow("editor 32") << BuiltinPictures::addEditorIcon(32) << 32 << 16;
        QTest::newRow("editor 16") << BuiltinPictures::addEditorIcon(16) << 16 << 16;
    }

    void iconsSizesAndPalettes() {
        QFETCH(QImage, image);
        QFETCH(int, size);
        QFETCH(int, maxColours);
        QCOMPARE(image.size(), QSize(size, size));
        QCOMPARE(image.format(), QImage::Format_Indexed8);
        QVERIFY(image.colorCount() <= maxColours);
        QVERIFY(distinctColours(image) <= maxColours);
        // An icon, not a blank square: a transparent surround and several colours of its own.
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QVERIFY(distinctColours(image) >= 3);
    }

    void windowIcons() {
        QCOMPARE(BuiltinPictures::genericProgramIcon().size(), QSize(48, 48));
        QVERIFY(!BuiltinPictures::launcherWindowIcon().isNull());
        QVERIFY(!BuiltinPictures::settingsWindowIcon().isNull());
        const QIcon editor = BuiltinPictures::addEditorWindowIcon();
        const QList<QSize> sizes = editor.availableSizes();
        QVERIFY(sizes.contains(QSize(32, 32)));
        QVERIFY(sizes.contains(QSize(16, 16)));
        QCOMPARE(editor.pixmap(QSize(16, 16)).toImage().convertToFormat(QImage::Format_ARGB32),
                 BuiltinPictures::addEditorIcon(16).convertToFormat(QImage::Format_ARGB32));
    }
};

QTEST_MAIN(TestBuiltinPictures)
#include "test_builtin_pictures.moc"
