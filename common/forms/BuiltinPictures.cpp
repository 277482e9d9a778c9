#include "BuiltinPictures.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>
#include <QtMath>

namespace BuiltinPictures {
namespace {

// Everything here is drawn without antialiasing: the colours are exact, and an icon drawn so has
// few enough colours to keep its palette small.
QImage canvas(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

// Builds the palette from the colours actually used, so no colour is approximated.
QImage toIndexed(const QImage& image) {
    QList<QRgb> table;
    QHash<QRgb, int> index;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (!index.contains(line[x])) {
                if (table.size() == 256)
                    return image.convertToFormat(QImage::Format_Indexed8);
                index.insert(line[x], int(table.size()));
                table.append(line[x]);
            }
        }
    }
    QImage out(image.size(), QImage::Format_Indexed8);
    out.setColorTable(table);
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uchar* dst = out.scanLine(y);
        for (int x = 0; x < image.width(); ++x)
            dst[x] = uchar(index.value(line[x]));
    }
    return out;
}

// A window with a border and a title bar; returns the client area left for the contents.
QRect drawWindowFrame(QPainter& p, const QRect& outer, const QColor& titleColour) {
    p.fillRect(outer, QColor(0, 0, 0));
    const QRect inner = outer.adjusted(1, 1, -1, -1);
    p.fillRect(inner, QColor(255, 255, 255));
    const QRect title(inner.left(), inner.top(), inner.width(), 7);
    p.fillRect(title, titleColour);
    // Three small buttons at the right end of the title bar.
    for (int i = 0; i < 3; ++i)
        p.fillRect(title.right() - 5 - 6 * i, title.top() + 2, 4, 3, QColor(192, 192, 192));
    return QRect(inner.left(), title.bottom() + 1, inner.width(), inner.bottom() - title.bottom());
}

QImage drawCategoryPlaceholder() {
    QImage image(400, 400, QImage::Format_RGB32);
    image.fill(QColor(192, 192, 192));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);

    const QColor magenta(255, 0, 255);
    const int frame = 5;
    p.fillRect(0, 0, 400, frame, magenta);
    p.fillRect(0, 400 - frame, 400, frame, magenta);
    p.fillRect(0, 0, frame, 400, magenta);
    p.fillRect(400 - frame, 0, frame, 400, magenta);

    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(28);
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    p.setFont(font);
    p.setPen(QColor(255, 255, 0));
    const QFontMetrics fm(font);
    const int left = 15;
    const int firstBaseline = 12 + fm.ascent();
    p.drawText(left, firstBaseline, QStringLiteral("Не найдена"));
    p.drawText(left, firstBaseline + fm.lineSpacing(), QStringLiteral("категория"));

    // A pentagram: each point joined to the one two steps further on, strokes only.
    const QPointF centre(200, 240);
    const double radius = 120;
    QPolygonF points;
    for (int i = 0; i < 5; ++i) {
        const double angle = qDegreesToRadians(-90.0 + 72.0 * i);
        points << centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
    }
    QPen pen(QColor(0, 0, 255));
    pen.setWidth(4);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 5; ++i)
        p.drawLine(points[i], points[(i + 2) % 5]);
    p.end();
    return image.convertToFormat(QImage::Format_RGB888);
}

QImage drawLauncherIcon() {
    QImage image = canvas(48, 48);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QRect client = drawWindowFrame(p, QRect(2, 5, 44, 38), QColor(0, 0, 128));
    // A "start" arrow in the window.
    const QPoint c = client.center();
    const QPolygon arrow(
        {QPoint(c.x() - 7, c.y() - 10), QPoint(c.x() - 7, c.y() + 10), QPoint(c.x() + 10, c.y())});
    p.setPen(QColor(0, 96, 0));
    p.setBrush(QColor(0, 176, 0));
    p.drawPolygon(arrow);
    p.end();
    return toIndexed(image);
}

QImage drawSettingsIcon() {
    QImage image = canvas(48, 48);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.translate(24, 24);
    // A gear: a dark silhouette first, then the lighter gear one pixel inside it, so it has an outline.
    const struct {
        QColor colour;
        int grow;
    } layers[] = {{QColor(48, 48, 64), 1}, {QColor(144, 152, 168), 0}};
    for (const auto& layer : layers) {
        p.setPen(Qt::NoPen);
        p.setBrush(layer.colour);
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.rotate(45.0 * i);
            p.drawRect(-4 - layer.grow, -21 - layer.grow, 8 + 2 * layer.grow, 10 + 2 * layer.grow);
            p.restore();
        }
        p.drawEllipse(QPoint(0, 0), 15 + layer.grow, 15 + layer.grow);
    }
    p.setBrush(QColor(48, 48, 64));
    p.drawEllipse(QPoint(0, 0), 7, 7);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.drawEllipse(QPoint(0, 0), 5, 5);
    p.end();
    return toIndexed(image);
}

QImage drawAddEditorIcon(int size) {
    // Drawn on a 16-unit grid so that both sizes have the same crisp shapes.
    const int u = size / 16;
    QImage image = canvas(size, size);
    QPainter p(&image);
    auto cell = [&](int x, int y, int w, int h, const QColor& colour) {
        p.fillRect(x * u, y * u, w * u, h * u, colour);
    };
    // A sheet with a list on it...
    cell(1, 1, 11, 14, QColor(0, 0, 0));
    cell(2, 2, 9, 12, QColor(255, 255, 255));
    for (int row : {4, 7, 10}) {
        cell(3, row, 1, 1, QColor(0, 0, 255));
        cell(5, row, 5, 1, QColor(128, 128, 128));
    }
    // ...and a plus sign for "add a record".
    cell(8, 10, 8, 4, QColor(0, 0, 0));
    cell(10, 8, 4, 8, QColor(0, 0, 0));
    cell(9, 11, 6, 2, QColor(0, 160, 0));
    cell(11, 9, 2, 6, QColor(0, 160, 0));
    p.end();
    return toIndexed(image);
}

QImage drawGenericProgramIcon() {
    QImage image = canvas(48, 48);
    QPainter p(&image);
    const QRect client = drawWindowFrame(p, QRect(2, 5, 44, 38), QColor(0, 0, 128));
    for (int i = 0; i < 3; ++i)
        p.fillRect(client.left() + 4, client.top() + 5 + 7 * i, client.width() - 8 - 8 * i, 3,
                   QColor(160, 160, 160));
    p.end();
    return image;
}

} // namespace

QImage categoryPlaceholder() {
    static const QImage image = drawCategoryPlaceholder();
    return image;
}

QImage launcherIcon() {
    static const QImage image = drawLauncherIcon();
    return image;
}

QImage settingsIcon() {
    static const QImage image = drawSettingsIcon();
    return image;
}

QImage addEditorIcon(int size) {
    static const QImage large = drawAddEditorIcon(32);
    static const QImage small = drawAddEditorIcon(16);
    return size == 16 ? small : large;
}

QImage genericProgramIcon() {
    static const QImage image = drawGenericProgramIcon();
    return image;
}

// Icons are built on each call: a QPixmap must not outlive the application object, as a
// function-local static would.
QIcon launcherWindowIcon() {
    return QIcon(QPixmap::fromImage(launcherIcon()));
}

QIcon settingsWindowIcon() {
    return QIcon(QPixmap::fromImage(settingsIcon()));
}

QIcon addEditorWindowIcon() {
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(addEditorIcon(32)));
    icon.addPixmap(QPixmap::fromImage(addEditorIcon(16)));
    return icon;
}

} // namespace BuiltinPictures
