#include "TestSupport.h"

#include "Controls.h"
#include "Database.h"
#include "FileDialog.h"
#include "MessageBoxes.h"
#include "Platform.h"
#include "Runtime.h"
#include "Schema.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QTimer>
#include <memory>

TestFolder::TestFolder(PrepareOptions options) {
    options.path = dbPath();
    prepareDatabase(options);
    setProgramFolderForTests(path());
}

TestFolder::~TestFolder() {
    m_db.reset();
    setProgramFolderForTests(QString());
}

QString TestFolder::dbPath() const {
    return m_dir.path() + QStringLiteral("/DataProg.mdb");
}

Database& TestFolder::db() {
    if (!m_db)
        m_db = Database::open(dbPath());
    return *m_db;
}

namespace {
// The fields the programs use, in table order (not the record number the schema adds).
QStringList fieldsOf(Database& d, const QString& table) {
    const QStringList fields = Tables::fieldsOf(table);
    return fields.isEmpty() ? d.columns(table) : fields;
}
} // namespace

void TestFolder::fill(const QString& table, const QList<QStringList>& rows) {
    Database& d = db();
    for (qint64 id : d.rowids(table))
        d.remove(table, id);
    const QStringList fields = fieldsOf(d, table);
    for (const QStringList& r : rows)
        d.insert(table, fields.mid(0, r.size()), r);
}

QList<QStringList> TestFolder::rows(const QString& table) {
    Database& d = db();
    const QStringList fields = fieldsOf(d, table);
    QList<QStringList> out;
    for (qint64 id : d.rowids(table))
        out << d.row(table, fields, id).value_or(QStringList());
    return out;
}

void TestFolder::setAccess(const QString& mainProg, const QString& settings, const QString& password) {
    fill(QStringLiteral("Access"), {{mainProg, settings, password}});
}

void TestFolder::setPasswords(const QString& progr, const QString& settings, const QString& look) {
    fill(QStringLiteral("Passwords"), {{progr, settings, look}});
}

QString TestFolder::markerScript(const QString& name, const QString& marker) {
    const QString file = path() + QLatin1Char('/') + name;
    QFile f(file);
    f.open(QIODevice::WriteOnly);
    f.write(QStringLiteral("#!/bin/sh\necho started >> '%1'\n").arg(marker).toUtf8());
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    return file;
}

void resetRuntime() {
    rt::resetForTests();
    rt::setQuitHandler([] {});
    MessageBoxes::reset();
    MessageBoxes::setScripted(true);
    FileDialog::reset();
    FileDialog::setScripted(true);
    Database::setDefaultBusyTimeoutForTests(-1);
    setClockForTests({});
    resetPictureCacheForTests();
}

void stopTimers(Form& form) {
    for (Timer* t : form.findChildren<Timer*>())
        t->stop();
}

Form* shownOnTop(const QString& name) {
    Form* f = rt::loadedForm(name);
    return f && f->isVisible() && rt::lastActivated() == name ? f : nullptr;
}

bool waitForRealTicks(Timer& timer, std::function<void()> handler, int count) {
    auto ticks = std::make_shared<int>(0);
    timer.onTick([ticks, handler = std::move(handler)] {
        ++*ticks;
        handler();
    });
    timer.setInterval(timer.interval());
    return waitUntil([&] { return *ticks >= count; });
}

QStringList prompts() {
    QStringList out;
    for (const auto& a : MessageBoxes::asked())
        out << a.prompt;
    return out;
}

bool askedToStay(const QStringList& parts) {
    const QList<MessageBoxes::Asked>& asked = MessageBoxes::asked();
    bool ok = asked.size() == 1 && asked[0].buttons == rt::vbYesNo && asked[0].title == rt::programTitle();
    for (const QString& part : parts)
        ok = ok && asked[0].prompt.contains(part);
    if (!ok)
        qWarning("asked: %s", qPrintable(prompts().join(QStringLiteral("\n---\n"))));
    return ok;
}

void click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

void clickArrow(DataControl* navigator, DataControl::Arrow arrow) {
    const QPoint at =
        arrow == DataControl::None ? navigator->rect().center() : navigator->arrowRect(arrow).center();
    QTest::mouseClick(navigator, Qt::LeftButton, {}, at);
}

QString writePicture(const QString& folder, const QString& name, QColor colour, QSize size,
                     const char* format) {
    QImage image(size, QImage::Format_RGB888);
    image.fill(colour);
    const QString path = folder + QLatin1Char('/') + name;
    image.save(path, format);
    return path;
}

QColor centre(const QImage& image) {
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

QWidget* nextTabStop(QWidget* widget) {
    QWidget* w = widget->nextInFocusChain();
    while (w != widget &&
           !((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(widget->window()) && w->isEnabled()))
        w = w->nextInFocusChain();
    return w;
}

void typeText(QWidget* widget, const QString& text) {
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

void later(std::function<void()> step) {
    QMetaObject::invokeMethod(qApp, std::move(step), Qt::QueuedConnection);
}

void when(std::function<bool()> ready, std::function<void()> step) {
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [=] {
        if (ready()) {
            step();
            *poll = nullptr;
        } else if (started->elapsed() > 10000) {
            qWarning("step never became ready; ending the program");
            rt::End();
            *poll = nullptr;
        } else {
            QThread::msleep(1);
            later([poll] {
                if (*poll)
                    (*poll)();
            });
        }
    };
    later([poll] { (*poll)(); });
}

bool waitUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        spin(5);
    }
    return true;
}

void spin(int ms) {
    // A real event loop: processEvents() called from inside a posted call does not deliver the
    // calls posted after it, an event loop does.
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void settle() {
    spin(0);
    spin(0);
}
