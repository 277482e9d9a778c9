#include "Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>

namespace {
QString g_programFolder;
std::function<QDateTime()> g_clock;

QDateTime now() {
    return g_clock ? g_clock() : QDateTime::currentDateTime();
}

bool isProgramFile(const QString& path) {
    const QFileInfo fi(path);
    return fi.isFile() && fi.isExecutable();
}

// A bare name is looked for in the program's folder first, then on PATH. Our programs carry no
// ".exe", so "Settings.exe" also finds "Settings".
QString findBareName(const QString& name) {
    QStringList candidates{name};
    if (name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        candidates << name.left(name.size() - 4);
    for (const QString& c : candidates) {
        const QString local = ProgramFolder() + QLatin1Char('/') + c;
        if (isProgramFile(local))
            return local;
    }
    for (const QString& c : candidates) {
        const QString found = QStandardPaths::findExecutable(c);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

QString findProgram(const QString& program) {
    if (program.isEmpty())
        return {};
    if (!program.contains(QLatin1Char('/')))
        return findBareName(program);
    return QFileInfo(program).isFile() ? QFileInfo(program).absoluteFilePath() : QString();
}
} // namespace

QString ProgramFolder() {
    if (!g_programFolder.isEmpty())
        return g_programFolder;
    return QCoreApplication::applicationDirPath();
}

void setProgramFolderForTests(const QString& folder) {
    g_programFolder = folder;
}

QString DateText() {
    return QLocale::c().toString(now().date(), QStringLiteral("MM-dd-yyyy"));
}

QString TimeText() {
    return QLocale::c().toString(now().time(), QStringLiteral("HH:mm:ss"));
}

void setClockForTests(std::function<QDateTime()> clock) {
    g_clock = std::move(clock);
}

ShellCommand resolveCommand(const QString& command) {
    // A text that names an existing file is started as it is, blanks and all.
    if (command.contains(QLatin1Char('/')) && QFileInfo(command).isFile())
        return {QFileInfo(command).absoluteFilePath(), {}};
    if (!command.contains(QLatin1Char('/')) && !command.contains(QLatin1Char(' '))) {
        return {findBareName(command), {}};
    }
    QStringList parts = QProcess::splitCommand(command);
    if (parts.isEmpty())
        return {};
    const QString program = findProgram(parts.takeFirst());
    return {program, parts};
}

qint64 Shell(const QString& command, int windowStyle) {
    Q_UNUSED(windowStyle);
    if (command.trimmed().isEmpty())
        throw RuntimeError(QStringLiteral("Не указана программа для запуска."));
    const ShellCommand resolved = resolveCommand(command);
    if (resolved.program.isEmpty())
        throw RuntimeError(QStringLiteral("Программа «%1» не найдена.").arg(command));
    qint64 pid = 0;
    const QString workDir = QFileInfo(resolved.program).absolutePath();
    if (!QProcess::startDetached(resolved.program, resolved.arguments, workDir, &pid))
        throw RuntimeError(QStringLiteral("Программа «%1» не запускается.").arg(command));
    return pid;
}
