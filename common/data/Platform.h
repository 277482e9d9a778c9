#pragma once
// Platform services the windows rely on that need no window: the program folder, the date and
// time as text, and starting another program.

#include <QDateTime>
#include <QString>
#include <functional>
#include <stdexcept>

// A failure that a handler's caller sees (a program that cannot start, a picture that cannot load).
class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};

// The folder of the running program, without a trailing separator except at the root.
QString ProgramFolder();

// "MM-dd-yyyy" and "HH:mm:ss", whatever the locale; each call reads the clock anew.
QString DateText();
QString TimeText();

enum WindowStyle { vbNormalFocus = 1, vbMinimizedFocus = 2 };

// Starts a program without a shell and without waiting. Throws RuntimeError when it cannot start.
// The window style is a hint that this platform cannot pass on to the started program.
qint64 Shell(const QString& command, int windowStyle);
// What Shell would start: the program's full path and its arguments (empty program: nothing).
struct ShellCommand {
    QString program;
    QStringList arguments;
};
ShellCommand resolveCommand(const QString& command);

// Test seams: a test's own program folder and clock in place of the real ones.
void setProgramFolderForTests(const QString& folder);    // empty restores the real one
void setClockForTests(std::function<QDateTime()> clock); // empty restores the real clock
