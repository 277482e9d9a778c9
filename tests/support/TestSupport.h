#pragma once
// What the window and data tests share: a fresh program folder with its own database, a clean
// runtime with scripted message boxes, and small helpers to find and drive real widgets.

#include "Controls.h"
#include "DataControl.h"
#include "Database.h"
#include "Form.h"
#include "PrepareDatabase.h"
#include "Runtime.h"

#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

class QWidget;

// A temporary program folder holding DataProg.mdb, made by the preparation tool's own code.
// While it lives, the programs' folder is this one.
class TestFolder {
public:
    explicit TestFolder(PrepareOptions options = {});
    ~TestFolder();
    QString path() const { return m_dir.path(); }
    QString dbPath() const;
    // A connection of the test's own, for seeding and checking.
    Database& db();
    // Replaces every record of a table.
    void fill(const QString& table, const QList<QStringList>& rows);
    QList<QStringList> rows(const QString& table);
    void setAccess(const QString& mainProg, const QString& settings, const QString& password);
    void setPasswords(const QString& progr, const QString& settings, const QString& look);
    // A script that leaves `marker` when it runs; returns its path.
    QString markerScript(const QString& name, const QString& marker);

private:
    QTemporaryDir m_dir;
    std::shared_ptr<Database> m_db;
};

// Resets every test seam: the runtime, the scripted message boxes and file dialogs, the busy
// timeout, the real clock and the picture cache; call in init() and cleanup(). The program folder
// is the one seam left to TestFolder, which sets it for its lifetime: a test that resets mid-way
// to start a program anew keeps its folder.
void resetRuntime();

// The message prompts asked so far.
QStringList prompts();
// Whether the one message asked so far is the question whether to stay in the window: a Yes/No box
// with the program's title that names each of `parts`. When it is not, what was asked is printed.
bool askedToStay(const QStringList& parts);

template <class W> W* child(QWidget* parent, const char* name) {
    W* w = parent->findChild<W*>(QString::fromLatin1(name));
    if (!w)
        qWarning("no control %s", name);
    return w;
}

void click(QAbstractButton* button);
// Clicks one of a navigator's arrows (None: its caption).
void clickArrow(DataControl* navigator, DataControl::Arrow arrow);
// Writes a picture of one colour into `folder`; returns its path.
QString writePicture(const QString& folder, const QString& name, QColor colour, QSize size = {400, 400},
                     const char* format = "BMP");
QColor centre(const QImage& image);
// The next control that Tab moves the focus to.
QWidget* nextTabStop(QWidget* widget);
// Types text as key presses, Cyrillic included.
void typeText(QWidget* widget, const QString& text);
// Runs `step` from the event loop, e.g. inside a modal window that a click is about to open.
void later(std::function<void()> step);
// Runs `step` from the event loop once `ready` holds, polling with posted calls, which reach
// every nested modal loop; gives up after 10 s by ending the program.
void when(std::function<bool()> ready, std::function<void()> step);
// Processes events until `done` holds or the time runs out.
bool waitUntil(const std::function<bool()>& done, int ms = 10000);
// Runs the event loop for a while: only to show that something does NOT happen, never to wait for
// something that does (wait for that with waitUntil).
void spin(int ms);
// Lets the runtime deliver what is queued (activations, unloads).
void settle();

// Stops every timer of a window, so that only the test's own tick() calls change what they drive.
void stopTimers(Form& form);

// Loads a window with its timers stopped, shows it and lets its activation run.
template <class F> F& openForm() {
    F& f = rt::form<F>();
    stopTimers(f);
    rt::Show(f);
    settle();
    return f;
}

// The window of that name when it is loaded, visible and the last one activated; else nullptr.
Form* shownOnTop(const QString& name);
template <class F> F* shownOnTop() {
    return static_cast<F*>(shownOnTop(F::Name));
}

// Shows a gate that lets through at once (a free code) and waits until it has opened `Next` and
// closed itself; returns the window it opened.
template <class Next> Next& throughOpenGate(Form& gate) {
    const QString name = gate.formName();
    rt::Show(gate);
    waitUntil([&] { return rt::loaded<Next>() && !rt::loadedForm(name); });
    return *rt::loaded<Next>();
}

// Restarts a stopped timer for real and waits until it has ticked `count` times more, counting
// through `handler`, which must be the window's own tick handler. The timer keeps running.
bool waitForRealTicks(Timer& timer, std::function<void()> handler, int count = 5);
