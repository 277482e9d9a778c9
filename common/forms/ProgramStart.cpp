#include "ProgramStart.h"

#include "Form.h"
#include "Runtime.h"
#include "Schema.h"

#include <QApplication>

int runProgram(int argc, char* argv[], const QString& title, const std::function<Form*()>& startup) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(title);
    QApplication::setQuitOnLastWindowClosed(false);
    rt::setProgramTitle(title);

    // A missing or incomplete database is reported and nothing is created or written.
    const QString problem = checkDatabase(DatabasePath());
    if (!problem.isEmpty()) {
        rt::MsgBox(problem);
        return 1;
    }
    bool started = false;
    rt::run([&] {
        if (Form* first = startup()) {
            rt::Show(*first);
            started = true;
        }
    });
    if (!started)
        return 1;
    return QApplication::exec();
}
