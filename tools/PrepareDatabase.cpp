#include "PrepareDatabase.h"

#include "Database.h"
#include "Schema.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace {

[[noreturn]] void fail(const QString& message) {
    throw std::runtime_error(message.toStdString());
}

// SQLite keeps these beside a database; a stale -wal left beside a new file would be replayed into it.
const QStringList kSideSuffixes{QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")};

void removeSideFiles(const QString& path) {
    for (const QString& suffix : kSideSuffixes)
        QFile::remove(path + suffix);
}

// Replacing a file that a program has open would leave it writing into the deleted file.
class InUse : public std::runtime_error {
public:
    explicit InUse(const QString& nativePath)
        : std::runtime_error(QStringLiteral("База данных %1 открыта в другой программе (например, в "
                                            "Orvanto или Settings): она не заменена, в ней ничего не "
                                            "изменено. Закройте эту программу и повторите.")
                                 .arg(nativePath)
                                 .toStdString()) {}
};

void removeDatabaseFiles(const QString& path) {
    QFile::remove(path);
    removeSideFiles(path);
}

// ---- demo data ----

enum class Shape { Page, Figures, Globe, Gear, Dice };

struct DemoCategory {
    QString name;
    QString file;
    QColor colour;
    Shape shape;
};

struct DemoProgram {
    QString name;
    QString company;
    int category; // index into demoCategories()
    QString path; // absolute, or relative to the programs' own folder
    QString file; // icon file name without suffix
    QColor colour;
    QString mark; // letters on the icon
};

QList<DemoCategory> demoCategories() {
    return {
        {QStringLiteral("Офис"), QStringLiteral("office"), QColor(40, 90, 170), Shape::Page},
        {QStringLiteral("Графика"), QStringLiteral("graphics"), QColor(200, 110, 30), Shape::Figures},
        {QStringLiteral("Интернет"), QStringLiteral("internet"), QColor(20, 140, 140), Shape::Globe},
        {QStringLiteral("Утилиты"), QStringLiteral("utilities"), QColor(90, 110, 60), Shape::Gear},
        {QStringLiteral("Игры"), QStringLiteral("games"), QColor(130, 50, 150), Shape::Dice},
    };
}

// Only programs that open a window of their own: one started from the launcher with no terminal
// must show itself, or its start looks like a failure. Debian's x11-apps gives each category one
// at least; Settings is always next to the launcher; bigger desktop programs join where installed.
QList<DemoProgram> demoCandidates() {
    const auto u = [](const char* s) { return QString::fromUtf8(s); };
    const QString xorg = u("X.Org Foundation");
    return {
        {u("Текстовый редактор xedit"), xorg, 0, u("/usr/bin/xedit"), u("xedit"), QColor(60, 120, 200),
         u("Ed")},
        {u("Калькулятор xcalc"), xorg, 0, u("/usr/bin/xcalc"), u("xcalc"), QColor(120, 120, 160), u("=")},
        {u("LibreOffice"), u("The Document Foundation"), 0, u("/usr/bin/libreoffice"), u("libreoffice"),
         QColor(24, 160, 80), u("LO")},
        {u("Текстовый редактор gedit"), u("The GNOME Project"), 0, u("/usr/bin/gedit"), u("gedit"),
         QColor(60, 120, 200), u("Ge")},
        {u("Mousepad"), u("Xfce"), 0, u("/usr/bin/mousepad"), u("mousepad"), QColor(70, 130, 180), u("Mp")},
        {u("Редактор картинок bitmap"), xorg, 1, u("/usr/bin/bitmap"), u("bitmap"), QColor(200, 80, 60),
         u("Bm")},
        {u("Демонстрация графики xgc"), xorg, 1, u("/usr/bin/xgc"), u("xgc"), QColor(110, 90, 170), u("gc")},
        {u("GIMP"), u("The GIMP Team"), 1, u("/usr/bin/gimp"), u("gimp"), QColor(110, 90, 70), u("G")},
        {u("Почтовый флажок xbiff"), xorg, 2, u("/usr/bin/xbiff"), u("xbiff"), QColor(180, 40, 90), u("@")},
        {u("Firefox ESR"), u("Mozilla"), 2, u("/usr/bin/firefox-esr"), u("firefox"), QColor(230, 100, 20),
         u("F")},
        {u("Chromium"), u("The Chromium Project"), 2, u("/usr/bin/chromium"), u("chromium"),
         QColor(50, 120, 230), u("C")},
        {u("Настройки Orvanto (Settings)"), u("Orvanto"), 3, u("Settings"), u("settings"), QColor(90, 90, 90),
         u("S")},
        {u("Часы xclock"), xorg, 3, u("/usr/bin/xclock"), u("xclock"), QColor(200, 170, 30), u("12")},
        {u("Нагрузка системы xload"), xorg, 3, u("/usr/bin/xload"), u("xload"), QColor(30, 150, 30), u("%")},
        {u("Буфер обмена xclipboard"), xorg, 3, u("/usr/bin/xclipboard"), u("xclipboard"),
         QColor(160, 110, 40), u("Cb")},
        {u("XTerm"), u("Thomas E. Dickey"), 3, u("/usr/bin/xterm"), u("xterm"), QColor(20, 20, 20), u("X")},
        {u("Глаза xeyes"), xorg, 4, u("/usr/bin/xeyes"), u("xeyes"), QColor(220, 220, 220), u("oo")},
        {u("Икосаэдр ico"), xorg, 4, u("/usr/bin/ico"), u("ico"), QColor(160, 40, 40), u("20")},
        {u("Сапёр"), u("The GNOME Project"), 4, u("/usr/games/gnome-mines"), u("mines"), QColor(90, 90, 90),
         u("M")},
    };
}

// The candidates installed here, with their full paths; a missing program is never listed, since
// starting it would do nothing a newcomer could see.
QList<DemoProgram> chooseDemoPrograms(const QString& programFolder) {
    QList<DemoProgram> chosen;
    for (DemoProgram p : demoCandidates()) {
        if (QFileInfo(p.path).isRelative()) {
            if (programFolder.isEmpty())
                continue;
            p.path = QDir(programFolder).absoluteFilePath(p.path);
        }
        const QFileInfo file(p.path);
        if (file.isFile() && file.isExecutable())
            chosen << p;
    }
    return chosen;
}

QFont boldFont(int pixelSize) {
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(true);
    return font;
}

void drawShape(QPainter& p, Shape shape, const QRectF& box) {
    const QPointF c = box.center();
    const double r = box.width() / 2;
    p.setPen(QPen(QColor(30, 30, 30), 4));
    switch (shape) {
    case Shape::Page: {
        p.setBrush(Qt::white);
        const QRectF page(c.x() - r * 0.7, c.y() - r, r * 1.4, r * 2);
        p.drawRect(page);
        p.setPen(QPen(QColor(120, 120, 120), 6));
        for (int i = 1; i <= 5; ++i) {
            const double y = page.top() + page.height() * i / 6.5;
            p.drawLine(QPointF(page.left() + 20, y), QPointF(page.right() - (i % 2 ? 20 : 60), y));
        }
        break;
    }
    case Shape::Figures:
        p.setBrush(QColor(230, 60, 60));
        p.drawEllipse(QPointF(c.x() - r * 0.35, c.y() - r * 0.3), r * 0.55, r * 0.55);
        p.setBrush(QColor(60, 180, 60));
        p.drawRect(QRectF(c.x() - r * 0.1, c.y() - r * 0.1, r * 1.0, r * 1.0));
        p.setBrush(QColor(60, 90, 230));
        p.drawPolygon(QPolygonF({QPointF(c.x() - r, c.y() + r), QPointF(c.x() - r * 0.3, c.y() - r * 0.1),
                                 QPointF(c.x() + r * 0.3, c.y() + r)}));
        break;
    case Shape::Globe:
        p.setBrush(QColor(120, 190, 250));
        p.drawEllipse(c, r, r);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, r * 0.45, r);
        p.drawLine(QPointF(c.x(), c.y() - r), QPointF(c.x(), c.y() + r));
        p.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
        for (double k : {-0.55, 0.55}) {
            const double half = r * std::sqrt(1 - k * k);
            p.drawLine(QPointF(c.x() - half, c.y() + r * k), QPointF(c.x() + half, c.y() + r * k));
        }
        break;
    case Shape::Gear: {
        QPainterPath gear;
        for (int i = 0; i < 10; ++i) {
            QTransform t;
            t.translate(c.x(), c.y());
            t.rotate(36.0 * i);
            QPainterPath tooth;
            tooth.addRect(QRectF(-r * 0.15, -r, r * 0.3, r * 0.4));
            gear = gear.united(t.map(tooth));
        }
        QPainterPath ring;
        ring.addEllipse(c, r * 0.75, r * 0.75);
        gear = gear.united(ring);
        QPainterPath hole;
        hole.addEllipse(c, r * 0.3, r * 0.3);
        p.setBrush(QColor(200, 200, 210));
        p.drawPath(gear.subtracted(hole));
        break;
    }
    case Shape::Dice:
        for (int d = 0; d < 2; ++d) {
            const double side = r * 1.1;
            const QRectF die(c.x() - r + d * r * 0.9, c.y() - r + d * r * 0.9, side, side);
            p.setPen(QPen(QColor(30, 30, 30), 4));
            p.setBrush(Qt::white);
            p.drawRoundedRect(die, 14, 14);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(30, 30, 30));
            const QList<QPointF> pips =
                d == 0 ? QList<QPointF>{{0.5, 0.5}}
                       : QList<QPointF>{{0.25, 0.25}, {0.75, 0.25}, {0.25, 0.75}, {0.75, 0.75}};
            for (const QPointF& pip : pips)
                p.drawEllipse(QPointF(die.left() + pip.x() * side, die.top() + pip.y() * side), side / 10,
                              side / 10);
        }
        break;
    }
}

QImage drawCategoryPicture(const DemoCategory& category) {
    QImage image(400, 400, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, 400);
    background.setColorAt(0, category.colour.lighter(160));
    background.setColorAt(1, category.colour);
    p.fillRect(image.rect(), background);
    drawShape(p, category.shape, QRectF(110, 40, 180, 180));

    p.setFont(boldFont(44));
    const QRect textBox(10, 260, 380, 120);
    p.setPen(QColor(0, 0, 0, 160));
    p.drawText(textBox.translated(3, 3), Qt::AlignCenter, category.name);
    p.setPen(Qt::white);
    p.drawText(textBox, Qt::AlignCenter, category.name);
    p.end();
    return image.convertToFormat(QImage::Format_RGB888);
}

QImage drawProgramIcon(const DemoProgram& program) {
    QImage image(48, 48, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(program.colour.darker(170), 2));
    p.setBrush(program.colour);
    p.drawRoundedRect(QRectF(3, 3, 42, 42), 9, 9);
    p.setFont(boldFont(program.mark.size() > 1 ? 18 : 26));
    p.setPen(program.colour.lightness() > 160 ? Qt::black : Qt::white);
    p.drawText(QRect(3, 3, 42, 42), Qt::AlignCenter, program.mark);
    p.end();
    return image;
}

struct DemoData {
    QList<DemoCategory> categories; // those with a program
    QList<DemoProgram> programs;
    QStringList picturePaths; // per category
    QStringList iconPaths;    // per program
};

void saveImage(const QImage& image, const QString& path, const char* format) {
    QImageWriter writer(path, format);
    if (!writer.write(image))
        fail(QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), writer.errorString()));
}

DemoData writeDemoFiles(const QString& demoFolder, const QString& programFolder, bool& iconsAsPng) {
    const QDir dir(demoFolder);
    if (!dir.mkpath(QStringLiteral("categories")) || !dir.mkpath(QStringLiteral("icons")))
        fail(QStringLiteral("Cannot create the folder %1.").arg(QDir::toNativeSeparators(demoFolder)));

    DemoData data;
    data.programs = chooseDemoPrograms(programFolder);
    // A category with nothing to start would only lead to an empty chooser.
    const QList<DemoCategory> all = demoCategories();
    for (int i = 0; i < all.size(); ++i)
        if (std::any_of(data.programs.begin(), data.programs.end(),
                        [i](const DemoProgram& p) { return p.category == i; }))
            data.categories << all[i];
    for (const DemoCategory& c : data.categories) {
        const QString path = dir.absoluteFilePath(QStringLiteral("categories/%1.bmp").arg(c.file));
        saveImage(drawCategoryPicture(c), path, "bmp");
        data.picturePaths << path;
    }
    iconsAsPng = !QImageWriter::supportedImageFormats().contains("ico");
    const char* format = iconsAsPng ? "png" : "ico";
    for (const DemoProgram& p : data.programs) {
        const QString path =
            dir.absoluteFilePath(QStringLiteral("icons/%1.%2").arg(p.file, QString::fromLatin1(format)));
        saveImage(drawProgramIcon(p), path, format);
        data.iconPaths << path;
    }
    return data;
}

void insertDemoRecords(Database& db, const DemoData& data, PrepareReport& report) {
    const QString types = QString::fromLatin1(Tables::Types().name);
    for (int i = 0; i < data.categories.size(); ++i)
        db.insert(types, Tables::Types().fields, {data.categories[i].name, data.picturePaths[i]});

    const QString programs = QString::fromLatin1(Tables::Programs().name);
    const QList<DemoCategory> all = demoCategories();
    for (int i = 0; i < data.programs.size(); ++i) {
        const DemoProgram& p = data.programs[i];
        db.insert(programs, Tables::Programs().fields,
                  {p.name, p.company, all[p.category].name, p.path, data.iconPaths[i]});
    }

    // A short history of launches over the last days.
    const QString fixing = QString::fromLatin1(Tables::Fixing().name);
    const QStringList times{QStringLiteral("09:15:07"), QStringLiteral("13:42:30"),
                            QStringLiteral("17:05:59")};
    const int launches = int(std::min(times.size(), data.programs.size()));
    const QDate today = QDate::currentDate();
    for (int i = 0; i < launches; ++i) {
        const QString date = today.addDays(i - 3).toString(QStringLiteral("MM-dd-yyyy"));
        db.insert(fixing, Tables::Fixing().fields, {data.programs[i].name, date, times[i]});
    }

    report.categories = int(data.categories.size());
    report.programs = int(data.programs.size());
    report.launches = launches;
}

void checkOptions(const PrepareOptions& options) {
    if (options.path.isEmpty())
        fail(QStringLiteral("No database file was given."));
    const struct {
        const QString& value;
        const char* field;
    } passwords[] = {{options.progrPassword, "Progr"},
                     {options.settingsPassword, "Settings"},
                     {options.lookPassword, "Look"}};
    for (const auto& p : passwords)
        if (p.value.size() > kMaxPasswordLength)
            fail(QStringLiteral("The password for %1 is %2 characters long; at most %3 are allowed.")
                     .arg(QString::fromLatin1(p.field))
                     .arg(p.value.size())
                     .arg(kMaxPasswordLength));
    if (options.demo && !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        fail(QStringLiteral("Drawing the demo pictures needs a QGuiApplication."));
}

} // namespace

PrepareReport prepareDatabaseWithReport(const PrepareOptions& options) {
    checkOptions(options);
    const QFileInfo target(options.path);
    const QString path = target.absoluteFilePath();
    const QString nativePath = QDir::toNativeSeparators(path);
    if (target.isDir())
        fail(QStringLiteral("%1 is a folder.").arg(nativePath));
    if (target.exists() && !options.force)
        fail(QStringLiteral("%1 already exists; it was left as it is (overwrite it with --force).")
                 .arg(nativePath));
    if (Database::inUse(path))
        throw InUse(nativePath);
    const QString folder = target.absolutePath();
    const QFileInfo folderInfo(folder);
    if (!folderInfo.isDir())
        fail(QStringLiteral("The folder %1 does not exist.").arg(QDir::toNativeSeparators(folder)));
    if (!folderInfo.isWritable())
        fail(QStringLiteral("The folder %1 is not writable.").arg(QDir::toNativeSeparators(folder)));

    // The file is built under another name and renamed into place when complete, so that a failure
    // never leaves a half-made database where the programs look for it.
    const QString temp = path + QStringLiteral(".tmp");
    removeDatabaseFiles(temp);

    PrepareReport report;
    report.databasePath = path;
    const QString demoFolder = folder + QStringLiteral("/demo");
    const bool demoFolderExisted = QFileInfo::exists(demoFolder);
    try {
        DemoData demo;
        if (options.demo) {
            demo = writeDemoFiles(demoFolder, options.programFolder, report.iconsAsPng);
            report.demoFolder = demoFolder;
        }
        {
            auto db = Database::create(temp);
            createSchema(*db);
            db->insert(QString::fromLatin1(Tables::Access().name), Tables::Access().fields,
                       {options.mainProgCode, options.settingsCode, options.passwordCode});
            db->insert(QString::fromLatin1(Tables::Passwords().name), Tables::Passwords().fields,
                       {options.progrPassword, options.settingsPassword, options.lookPassword});
            if (options.demo)
                insertDemoRecords(*db, demo, report);
            // Everything into the main file: the -wal is not renamed along with it.
            db->exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE);"));
        }
        removeSideFiles(temp);
        if (const QString problem = checkDatabase(temp); !problem.isEmpty())
            fail(problem);
        removeSideFiles(temp);

        if (QFileInfo::exists(path) && !options.force)
            fail(QStringLiteral("%1 appeared while it was being prepared; it was left as it is.")
                     .arg(nativePath));
        // A program may have opened the file while this one was being made.
        const bool replaced = Database::whileUnused(path, [&] {
            removeSideFiles(path);
            if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) != 0)
                fail(QStringLiteral("Cannot rename %1 to %2.")
                         .arg(QDir::toNativeSeparators(temp), nativePath));
        });
        if (!replaced)
            throw InUse(nativePath);
    } catch (const std::exception& e) {
        removeDatabaseFiles(temp);
        if (options.demo && !demoFolderExisted)
            QDir(demoFolder).removeRecursively();
        if (dynamic_cast<const InUse*>(&e))
            throw;
        fail(QStringLiteral("Cannot prepare %1: %2").arg(nativePath, QString::fromUtf8(e.what())));
    }
    return report;
}

void prepareDatabase(const PrepareOptions& options) {
    prepareDatabaseWithReport(options);
}
