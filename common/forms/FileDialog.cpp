#include "FileDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QRegularExpression>
#include <memory>
#include <optional>

namespace {

bool g_scripted = false;
QList<std::optional<QString>> g_answers; // nullopt: cancel
QStringList g_asked;

QStringList patternsOf(const QString& pattern) {
    QStringList out;
    for (const QString& p : pattern.split(QRegularExpression(QStringLiteral("[; ]")), Qt::SkipEmptyParts))
        out << p.trimmed();
    return out;
}

bool isExecutablePattern(const QString& pattern) {
    return pattern.compare(QLatin1String("*.exe"), Qt::CaseInsensitive) == 0;
}

// The same wildcard pattern in any letter case ("*.bmp" becomes "*.[bB][mM][pP]"): the file system
// model matches names in the letter case the pattern is written in.
QString inAnyCase(const QString& pattern) {
    QString out;
    bool inSet = false;
    for (const QChar c : pattern) {
        const QString both = QString(c.toLower()) + c.toUpper();
        if (c == QLatin1Char('['))
            inSet = true;
        else if (c == QLatin1Char(']'))
            inSet = false;
        if (both.size() != 2 || both[0] == both[1])
            out += c;
        else
            out += inSet ? both : QStringLiteral("[%1]").arg(both);
    }
    return out;
}

// A file name as a wildcard pattern that matches just that name.
QString literally(QString name) {
    static const QRegularExpression special(QStringLiteral("([*?\\[])"));
    return name.replace(special, QStringLiteral("[\\1]"));
}

// The files of a folder that an executable-files pattern accepts, as name filters. The file system
// model's own execute-permission filter hides everything in this Qt, folders included.
QStringList executablesIn(const QString& folder, const QString& pattern) {
    QStringList out;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden))
        if (FileDialog::matches(pattern, file))
            out << literally(file.fileName());
    if (out.isEmpty())
        out << QStringLiteral("/"); // no file name contains it
    return out;
}

// Lets the dialog's own model list what one entry accepts and hide the rest; folders always pass
// (QDir::AllDirs exempts them from name filters), so the user can move through them.
void applyEntry(QFileSystemModel* files, const QString& pattern) {
    QStringList names;
    for (const QString& p : patternsOf(pattern))
        names << (isExecutablePattern(p) ? executablesIn(files->rootPath(), p) : QStringList{inAnyCase(p)});
    files->setNameFilters(names);
}

QString runDialog(const QString& filter) {
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent)
        parent = QApplication::activeWindow();
    QFileDialog dialog(parent, QStringLiteral("Открыть"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // A plain list of names, as the open dialog the windows were made for showed first.
    dialog.setViewMode(QFileDialog::List);
    dialog.setWindowModality(Qt::ApplicationModal);

    // Qt's entries show the texts as written; the filtering itself is set on the dialog's own
    // model, whose indexes stay valid for the views and for accessibility clients that read them
    // while the list fills. A model between the two (a proxy) left them holding freed indexes.
    const QList<FileDialog::Entry> entries = FileDialog::parseFilter(filter);
    const QStringList names = FileDialog::qtNameFilters(filter);
    auto* files = dialog.findChild<QFileSystemModel*>(QStringLiteral("qt_filesystem_model"));
    if (!names.isEmpty())
        dialog.setNameFilters(names);
    if (files && !entries.isEmpty()) {
        files->setNameFilterDisables(false);
        files->setFilter(files->filter() | QDir::AllDirs);
        auto current = std::make_shared<QString>(entries.first().pattern);
        applyEntry(files, *current);
        // The dialog sets the entry's literal pattern when the user picks it; ours then replaces it.
        QObject::connect(&dialog, &QFileDialog::filterSelected, files,
                         [files, current, names, entries](const QString& name) {
                             const qsizetype i = names.indexOf(name);
                             if (i >= 0)
                                 applyEntry(files, *current = entries[i].pattern);
                         });
        // Which files may be executed depends on the folder.
        QObject::connect(files, &QFileSystemModel::rootPathChanged, files,
                         [files, current] { applyEntry(files, *current); });
    }

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        throw DialogCancelled();
    return dialog.selectedFiles().first();
}

} // namespace

void FileDialog::ShowOpen() {
    if (g_scripted) {
        g_asked << Filter;
        if (g_answers.isEmpty())
            throw DialogCancelled();
        const std::optional<QString> answer = g_answers.takeFirst();
        if (!answer)
            throw DialogCancelled();
        FileName = *answer;
        return;
    }
    FileName = runDialog(Filter);
}

QList<FileDialog::Entry> FileDialog::parseFilter(const QString& filter) {
    QStringList parts = filter.split(QLatin1Char('|'));
    if (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();
    QList<Entry> out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        out.append({parts[i], parts[i + 1]});
    return out;
}

QStringList FileDialog::qtNameFilters(const QString& filter) {
    QStringList out;
    for (const Entry& e : parseFilter(filter)) {
        const QString patterns = patternsOf(e.pattern).join(QLatin1Char(' '));
        const QString suffix = QStringLiteral("(%1)").arg(patterns);
        if (e.description.trimmed().endsWith(suffix))
            out << e.description;
        else
            out << QStringLiteral("%1 %2").arg(e.description, suffix);
    }
    return out;
}

bool FileDialog::matches(const QString& pattern, const QString& fileName, bool executable) {
    for (const QString& p : patternsOf(pattern)) {
        if (isExecutablePattern(p)) {
            if (executable)
                return true;
            continue;
        }
        const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(p),
                                    QRegularExpression::CaseInsensitiveOption);
        if (re.match(fileName).hasMatch())
            return true;
    }
    return false;
}

bool FileDialog::matches(const QString& pattern, const QFileInfo& file) {
    return file.isFile() && matches(pattern, file.fileName(), file.isExecutable());
}

void FileDialog::setScripted(bool scripted) {
    g_scripted = scripted;
}

void FileDialog::setNextFileName(const QString& path) {
    g_scripted = true;
    g_answers.append(path);
}

void FileDialog::setNextCancel() {
    g_scripted = true;
    g_answers.append(std::nullopt);
}

const QStringList& FileDialog::asked() {
    return g_asked;
}

void FileDialog::reset() {
    g_scripted = true;
    g_answers.clear();
    g_asked.clear();
}
