#include "FileDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QRegularExpression>
#include <QSortFilterProxyModel>
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

// Shows only the files that the chosen entry accepts; folders always, to move through them.
class EntryFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setPattern(const QString& pattern) {
        m_pattern = pattern;
        invalidateFilter();
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        // The file system model greys out what its own name filter rejects; the choice is ours.
        Qt::ItemFlags f = QSortFilterProxyModel::flags(index);
        if (index.isValid())
            f |= Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        return f;
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!files || m_pattern.isEmpty())
            return true;
        const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
        return info.isDir() || FileDialog::matches(m_pattern, info);
    }

private:
    QString m_pattern;
};

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

    const QList<FileDialog::Entry> entries = FileDialog::parseFilter(filter);
    const QStringList names = FileDialog::qtNameFilters(filter);
    if (!names.isEmpty())
        dialog.setNameFilters(names);
    // Let every file through the file system model and decide in the proxy, which knows about
    // execute permissions and ignores letter case.
    if (auto* files = dialog.findChild<QFileSystemModel*>(QStringLiteral("qt_filesystem_model")))
        files->setNameFilterDisables(true);
    auto* proxy = new EntryFilter(&dialog);
    dialog.setProxyModel(proxy);
    if (!entries.isEmpty())
        proxy->setPattern(entries.first().pattern);
    QObject::connect(&dialog, &QFileDialog::filterSelected, proxy,
                     [proxy, names, entries](const QString& name) {
                         const qsizetype i = names.indexOf(name);
                         if (i >= 0)
                             proxy->setPattern(entries[i].pattern);
                     });

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
