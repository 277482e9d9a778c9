#include "ProgramStart.h"

#include "Form.h"
#include "Runtime.h"
#include "Schema.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool installQtTranslation() {
    auto* translator = new QTranslator(qApp);
    if (!translator->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

int runProgram(int argc, char* argv[], const QString& title, const std::function<Form*()>& startup) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(title);
    QApplication::setQuitOnLastWindowClosed(false);
    rt::setProgramTitle(title);
    installQtTranslation();

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
