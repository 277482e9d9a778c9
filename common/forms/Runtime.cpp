#include "Runtime.h"

#include "Controls.h"
#include "DataControl.h"
#include "Database.h"
#include "Form.h"
#include "MessageBoxes.h"
#include "Platform.h"
#include "Schema.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHash>
#include <QScreen>
#include <QTimer>

namespace {

// A modal show runs its own event loop; handlers inside it are counted apart from the one waiting.
struct ModalFrame {
    Form* form;
    int savedRunning;
    QEventLoop* loop;
};

struct State {
    QString title;
    QHash<QString, Form*> loaded;
    QList<Form*> shown; // bottom to top
    QList<Form*> released;
    QList<ModalFrame> frames;
    QStringList notices; // from stores, waiting to be told
    int running = 0;
    bool checkQueued = false;
    quint64 nextSerial = 1;
    quint64 lastActivatedSerial = 0;
    QString lastActivatedName;
    int activations = 0;
    bool ended = false;
    bool finished = false;
    std::function<void()> quit;
};

State& S() {
    static State s;
    return s;
}

void defaultQuit() {
    QMetaObject::invokeMethod(
        qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void finish() {
    S().finished = true;
    if (S().quit)
        S().quit();
    else
        defaultQuit();
}

void report(const QString& message) {
    if (!S().ended)
        MessageBoxes::show(message, rt::vbOKOnly, S().title);
}

void queueCheck();

// What the user reads of a failure. Ours are told in Russian words; anything else is a fault of the
// program, whose own text (a library's, in English) would tell the user nothing.
QString userText(const std::exception& e) {
    if (dynamic_cast<const RuntimeError*>(&e) || dynamic_cast<const DbError*>(&e))
        return QString::fromUtf8(e.what());
    return QStringLiteral("Действие не выполнено из-за внутренней ошибки программы.");
}

// Stores what each data source of a window holds, until one fails: the others are not tried, for
// the cause (a lock, most often) would hold them up as long again. Those not stored keep their
// edits and are named in the text that comes back, empty when everything was stored.
QString storeAll(Form& form, QList<DataControl*>* failed = nullptr) {
    QStringList texts;
    for (DataControl* d : form.findChildren<DataControl*>()) {
        if (texts.isEmpty()) {
            try {
                d->storePending();
                continue;
            } catch (const std::exception& e) {
                texts << userText(e);
            }
        } else if (d->isOpen() && d->records().isChanged()) {
            const Recordset::Changes c = d->records().changes();
            texts << describeRecord(d->RecordSource(), c.fields, c.values);
        } else {
            continue;
        }
        if (failed)
            failed->append(d);
    }
    return texts.join(QStringLiteral("\n\n"));
}

// The user chose to leave, or the change was the program's own: the edits not stored are forgotten.
void forget(const QList<DataControl*>& sources) {
    for (DataControl* d : sources)
        if (d->isOpen())
            d->records().discardChanges();
}

// An edit of a record that someone else deleted is dropped by the data source; the user is told
// which one, with what was typed.
void tellLostEdits(DataControl& d) {
    QObject::connect(&d.records(), &Recordset::editLost, &d,
                     [table = d.RecordSource()](const QStringList& fields, const QStringList& values) {
                         S().notices.append(QStringLiteral("Изменения не сохранены: запись больше не "
                                                           "существует, её удалила другая программа.\n%1")
                                                .arg(describeRecord(table, fields, values)));
                     });
}

void tellNotices() {
    while (!S().notices.isEmpty())
        report(S().notices.takeFirst());
}

} // namespace

struct RuntimeAccess {
    static void release(Form& f, bool store) {
        f.m_loaded = false;
        if (S().loaded.value(f.m_name) == &f)
            S().loaded.remove(f.m_name);
        S().shown.removeAll(&f);
        for (Timer* t : f.findChildren<Timer*>())
            t->stop();
        const QString failures = store ? storeAll(f) : QString();
        for (DataControl* d : f.findChildren<DataControl*>())
            d->close();
        f.hide();
        if (f.m_modalLoop)
            f.m_modalLoop->quit();
        S().released.append(&f);
        if (!failures.isEmpty())
            report(failures);
        tellNotices();
    }

    static Form& load(const QString& name, const std::function<Form*()>& factory) {
        if (Form* f = S().loaded.value(name))
            return *f;
        if (S().ended)
            throw RuntimeError(QStringLiteral("Программа завершена."));
        Form* f = factory();
        f->m_serial = S().nextSerial++;
        f->m_loaded = true;
        S().loaded.insert(name, f);
        try {
            f->Form_Load();
            for (DataControl* d : f->findChildren<DataControl*>()) {
                d->open();
                tellLostEdits(*d);
            }
        } catch (...) {
            release(*f, false);
            throw;
        }
        return *f;
    }

    static void show(Form& f) {
        if (S().ended || !f.m_loaded)
            return;
        S().shown.removeAll(&f);
        S().shown.append(&f);
        if (!f.m_placed) {
            f.m_placed = true;
            if (f.m_fixedPosition) {
                f.setGeometry(QRect(f.m_position, f.size()));
            } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
                QRect r = f.geometry();
                r.moveCenter(screen->availableGeometry().center());
                f.setGeometry(r);
            }
            f.show();
            if (f.m_initialFocus)
                f.m_initialFocus->setFocus(Qt::OtherFocusReason);
        } else {
            f.show();
        }
        if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
            f.raise();
            f.activateWindow();
        }
        queueCheck();
    }

    static void showModal(Form& f) {
        if (S().ended || !f.m_loaded)
            return;
        if (!f.isVisible())
            f.setWindowModality(Qt::ApplicationModal);
        // A window that unloads itself and shows itself modal again takes over the loop of the
        // show it ended instead of nesting another one: repeated from a click handler, nesting
        // would grow the stack with every repetition until it overflows.
        if (!S().frames.isEmpty()) {
            ModalFrame& top = S().frames.last();
            if (top.form != &f && !top.form->m_loaded && top.form->m_name == f.m_name) {
                top.form->m_modalLoop = nullptr;
                top.form = &f;
                f.m_modalLoop = top.loop;
                show(f);
                return;
            }
        }
        QEventLoop loop;
        f.m_modalLoop = &loop;
        show(f);
        S().frames.append({&f, S().running, &loop});
        S().running = 0;
        queueCheck();
        while (!S().frames.isEmpty()) {
            Form* shown = S().frames.last().form;
            if (shown->m_loaded && !S().ended)
                loop.exec();
            if (S().frames.last().form == shown || S().ended)
                break;
            // The window handed over to its successor during the loop; wait on for that one. The
            // loop has returned, so no handler of the old window is running any more: it goes now,
            // not when the show ends, or a long session would keep every window it reopened.
            if (S().released.removeAll(shown) > 0)
                delete shown;
        }
        if (S().frames.isEmpty())
            return; // discarded by a reset
        S().frames.last().form->m_modalLoop = nullptr;
        S().running = S().frames.takeLast().savedRunning;
        if (S().running == 0)
            queueCheck();
    }

    static void checkActivation() {
        State& s = S();
        if (s.ended || s.running > 0)
            return;
        // A modal window that was unloaded is on its way out: its caller's frame decides.
        if (!s.frames.isEmpty() && !s.frames.last().form->m_loaded)
            return;
        Form* top = s.shown.isEmpty() ? nullptr : s.shown.last();
        if (top && top->m_serial != s.lastActivatedSerial) {
            s.lastActivatedSerial = top->m_serial;
            s.lastActivatedName = top->m_name;
            ++s.activations;
            rt::run([top] { top->Form_Activate(); }); // checks again when it returns
            return;
        }
        if (s.frames.isEmpty()) {
            if (s.loaded.isEmpty() && !s.finished)
                finish();
            for (Form* f : std::as_const(s.released))
                f->deleteLater();
            s.released.clear();
        }
    }

    static void end() {
        State& s = S();
        if (s.ended)
            return;
        s.ended = true;
        const QList<Form*> forms = s.loaded.values();
        for (Form* f : forms)
            release(*f, false);
        finish();
    }
};

namespace {
void queueCheck() {
    if (S().checkQueued)
        return;
    S().checkQueued = true;
    // A posted call, not a zero timer: a modal show started from inside a timer callback would not
    // get to run other timers, but posted calls reach every nested event loop.
    QMetaObject::invokeMethod(
        qApp,
        [] {
            S().checkQueued = false;
            RuntimeAccess::checkActivation();
        },
        Qt::QueuedConnection);
}
} // namespace

namespace rt {

void setProgramTitle(const QString& title) {
    S().title = title;
}

QString programTitle() {
    return S().title;
}

Form& formNamed(const QString& name, const std::function<Form*()>& factory) {
    return RuntimeAccess::load(name, factory);
}

Form* loadedForm(const QString& name) {
    return S().loaded.value(name);
}

void Show(Form& form) {
    RuntimeAccess::show(form);
}

void ShowModal(Form& form) {
    RuntimeAccess::showModal(form);
}

void Unload(Form& form) {
    if (form.isLoaded())
        RuntimeAccess::release(form, !S().ended);
    queueCheck();
}

void UnloadNamed(const QString& name) {
    if (Form* f = loadedForm(name))
        Unload(*f);
}

void End() {
    RuntimeAccess::end();
}

bool StoreBeforeUnload(Form& form) {
    QList<DataControl*> failed;
    const QString failures = storeAll(form, &failed);
    tellNotices();
    if (failures.isEmpty())
        return true;
    if (AskToStayAndStoreAgain(failures))
        return false;
    forget(failed);
    return true;
}

bool AskToStayAndStoreAgain(const QString& failures) {
    return MsgBox(QStringLiteral("%1\n\nОстаться в окне, чтобы сохранить их ещё раз? «Нет» закроет окно без "
                                 "сохранения этих изменений.")
                      .arg(failures),
                  vbYesNo) == vbYes;
}

bool StoreProgramChange(Form& form) {
    QList<DataControl*> failed;
    const QString failures = storeAll(form, &failed);
    forget(failed);
    if (!failures.isEmpty())
        report(failures);
    tellNotices();
    return failures.isEmpty();
}

void run(const std::function<void()>& handler) {
    State& s = S();
    if (s.ended)
        return;
    ++s.running;
    try {
        handler();
    } catch (const std::exception& e) {
        report(userText(e));
    }
    tellNotices();
    --s.running;
    if (s.running == 0)
        RuntimeAccess::checkActivation();
}

void silently(const std::function<void()>& steps) {
    try {
        steps();
    } catch (const RuntimeError&) {
        // These handlers abandon their remaining steps without a word when the runtime or the
        // database fails them; anything else is a fault and goes on to be told.
    } catch (const DbError&) {
    }
}

int MsgBox(const QString& prompt, int buttons, const QString& title) {
    if (S().ended)
        return buttons == vbYesNo ? vbNo : vbOK;
    return MessageBoxes::show(prompt, buttons, title.isEmpty() ? S().title : title);
}

bool ended() {
    return S().ended;
}

bool programFinished() {
    return S().finished;
}

void setQuitHandler(std::function<void()> quit) {
    S().quit = std::move(quit);
}

QString lastActivated() {
    return S().lastActivatedName;
}

int activationCount() {
    return S().activations;
}

int modalDepth() {
    return int(S().frames.size());
}

void resetForTests() {
    State& s = S();
    const QList<Form*> forms = s.loaded.values();
    s.ended = true;
    for (Form* f : forms)
        RuntimeAccess::release(*f, false);
    for (Form* f : std::as_const(s.released))
        delete f;
    s.released.clear();
    s.shown.clear();
    s.frames.clear();
    s.notices.clear();
    s.running = 0;
    s.lastActivatedSerial = 0;
    s.lastActivatedName.clear();
    s.activations = 0;
    s.ended = false;
    s.finished = false;
}

} // namespace rt
