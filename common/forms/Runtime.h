#pragma once
// The forms runtime: loading and unloading windows, modal and modeless shows, our own Activate
// event, End, the program's title, and the one place where handlers run and their failures land.
// A window never lists its data sources and timers: the runtime finds them among its children to
// open, store and close the sources and stop the timers as it loads and unloads the window.

#include "MessageBoxCodes.h"

#include <QString>
#include <functional>

class Form;

namespace rt {

void setProgramTitle(const QString& title);
QString programTitle();

// Windows
Form& formNamed(const QString& name, const std::function<Form*()>& factory); // loads when not loaded
Form* loadedForm(const QString& name);                                       // nullptr when not loaded
template <class F> F& form() {
    return static_cast<F&>(formNamed(F::Name, [] { return new F; }));
}
template <class F> F* loaded() {
    return static_cast<F*>(loadedForm(F::Name));
}
void Show(Form& form);
// Returns when the window is unloaded. A window that unloads itself and shows itself modal again
// from inside returns at once: the show it ended waits on for the new one.
void ShowModal(Form& form);
void Unload(Form& form); // a window that is not loaded: nothing
void UnloadNamed(const QString& name);
template <class F> void unload() {
    UnloadNamed(F::Name);
}
void End(); // no further handler runs, nothing is stored
// Stores the pending records of a window's data sources before the user leaves it. When the
// database refuses, the user is told what was not stored and chooses: to stay and try again (false
// comes back, the edits intact), or to leave without storing them (true, the edits forgotten).
bool StoreBeforeUnload(Form& form);
// The question of StoreBeforeUnload, for a window that keeps what was not stored itself: `failures`
// names the file, the reason and what was not stored. True: the user stays to try again.
bool AskToStayAndStoreAgain(const QString& failures);
// Stores a change the program made on its own, not the user. When the database refuses, the user
// is told once and the change is forgotten, so that nothing asks about it again; false comes back.
bool StoreProgramChange(Form& form);

// Runs an event handler. A failure it does not handle itself is shown in a message box with the
// program's title; the program goes on.
void run(const std::function<void()>& handler);
// For handlers that abandon the rest of their steps silently when the runtime or the database
// fails them (RuntimeError, DbError); any other failure goes on to the caller.
void silently(const std::function<void()>& steps);

int MsgBox(const QString& prompt, int buttons = vbOKOnly, const QString& title = QString());

// Test seams: what the tests and benchmarks read and replace; the programs never call these.
bool ended();
bool programFinished();                          // End, or the last window unloaded
void setQuitHandler(std::function<void()> quit); // default: QCoreApplication::exit(0)
void resetForTests();                            // discards every window without storing
QString lastActivated();                         // name of the window last activated
int activationCount();                           // Form_Activate calls so far
int modalDepth();                                // modal shows waiting now

} // namespace rt
