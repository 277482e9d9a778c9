// The open-file dialog: how its filter texts read and match on this platform, the test seam, and
// the real dialog showing only what the chosen entry accepts.

#include "Controls.h"
#include "FileDialog.h"
#include "ProgramStart.h"
#include "Runtime.h"
#include "TestSupport.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

namespace {

const QString ExeFilter = QStringLiteral("Исполняемые EXE-файлы (*.exe)|*.exe|Исполняемые BAT-файлы "
                                         "(*.bat)|*.bat|Исполняемые COM-файлы (*.com)|*.com|Файлы Pif "
                                         "(*.pif)|*.pif|");

void makeFile(const QString& path, bool executable) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
    f.close();
    QFileDevice::Permissions p =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser;
    if (executable)
        p |= QFileDevice::ExeOwner | QFileDevice::ExeUser;
    QVERIFY(f.setPermissions(p));
}

// The names the dialog's file list shows now.
QStringList shownNames(QFileDialog* dialog) {
    auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
    if (!view)
        return {};
    QStringList out;
    const QModelIndex root = view->rootIndex();
    for (int r = 0; r < view->model()->rowCount(root); ++r)
        out << view->model()->index(r, 0, root).data().toString();
    return out;
}

QFileDialog* visibleDialog() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* fd = qobject_cast<QFileDialog*>(w); fd && fd->isVisible())
            return fd;
    return nullptr;
}

} // namespace

class TestFileDialog : public QObject {
    Q_OBJECT
private slots:
    void init() { resetRuntime(); }
    void cleanup() { FileDialog::reset(); }

    void filterTextsBecomeQtNameFiltersWithTheirDescriptionsAsWritten() {
        const auto entries = FileDialog::parseFilter(ExeFilter);
        QCOMPARE(entries.size(), 4);
        QCOMPARE(entries[0].description, QStringLiteral("Исполняемые EXE-файлы (*.exe)"));
        QCOMPARE(entries[3].pattern, QStringLiteral("*.pif"));
        QCOMPARE(FileDialog::qtNameFilters(ExeFilter),
                 (QStringList{QStringLiteral("Исполняемые EXE-файлы (*.exe)"),
                              QStringLiteral("Исполняемые BAT-файлы (*.bat)"),
                              QStringLiteral("Исполняемые COM-файлы (*.com)"),
                              QStringLiteral("Файлы Pif (*.pif)")}));
        QCOMPARE(FileDialog::qtNameFilters(QStringLiteral("Точечные рисунки (*.bmp)|*.bmp|")),
                 QStringList{QStringLiteral("Точечные рисунки (*.bmp)")});
        // A description without its pattern gets it appended, so Qt still knows what to match.
        QCOMPARE(FileDialog::qtNameFilters(QStringLiteral("Рисунки|*.bmp;*.ico|")),
                 QStringList{QStringLiteral("Рисунки (*.bmp *.ico)")});
        QVERIFY(FileDialog::qtNameFilters(QString()).isEmpty());
    }

    void exePatternMeansExecutableFilesOfAnyName() {
        QVERIFY(FileDialog::matches(QStringLiteral("*.exe"), QStringLiteral("notepad"), true));
        QVERIFY(FileDialog::matches(QStringLiteral("*.EXE"), QStringLiteral("run.sh"), true));
        QVERIFY(!FileDialog::matches(QStringLiteral("*.exe"), QStringLiteral("setup.exe"), false));
        QVERIFY(!FileDialog::matches(QStringLiteral("*.exe"), QStringLiteral("readme.txt"), false));
    }

    void suffixPatternsIgnoreLetterCase_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("match");
        QTest::newRow("bat upper") << "*.bat"
                                   << "START.BAT" << true;
        QTest::newRow("com mixed") << "*.com"
                                   << "Game.Com" << true;
        QTest::newRow("pif") << "*.pif"
                             << "dos.pif" << true;
        QTest::newRow("ico") << "*.ico"
                             << "Word.ICO" << true;
        QTest::newRow("bmp") << "*.bmp"
                             << "Sea.Bmp" << true;
        QTest::newRow("other suffix") << "*.bmp"
                                      << "sea.png" << false;
        QTest::newRow("suffix inside") << "*.bmp"
                                       << "sea.bmp.txt" << false;
        QTest::newRow("no suffix") << "*.ico"
                                   << "ico" << false;
    }
    void suffixPatternsIgnoreLetterCase() {
        QFETCH(QString, pattern);
        QFETCH(QString, name);
        QFETCH(bool, match);
        QCOMPARE(FileDialog::matches(pattern, name, false), match);
        // The execute permission makes no difference outside "*.exe".
        QCOMPARE(FileDialog::matches(pattern, name, true), match);
    }

    void foldersAreNoMatchForAFileEntry() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("tools")));
        QVERIFY(
            !FileDialog::matches(QStringLiteral("*.exe"), QFileInfo(dir.path() + QStringLiteral("/tools"))));
        makeFile(dir.path() + QStringLiteral("/tool"), true);
        QVERIFY(
            FileDialog::matches(QStringLiteral("*.exe"), QFileInfo(dir.path() + QStringLiteral("/tool"))));
    }

    void scriptedAnswersComeInOrderAndCancelThrows() {
        FileDialog d;
        FileDialog::setNextFileName(QStringLiteral("/opt/a.bmp"));
        FileDialog::setNextCancel();
        d.Filter = QStringLiteral("Точечные рисунки (*.bmp)|*.bmp|");
        d.ShowOpen();
        QCOMPARE(d.FileName, QStringLiteral("/opt/a.bmp"));
        QVERIFY_THROWS_EXCEPTION(DialogCancelled, d.ShowOpen());
        QCOMPARE(d.FileName, QStringLiteral("/opt/a.bmp"));
        // Nothing primed: a cancel, never a real dialog in a test.
        QVERIFY_THROWS_EXCEPTION(DialogCancelled, d.ShowOpen());
        QCOMPARE(FileDialog::asked().size(), 3);
        QCOMPARE(FileDialog::asked().first(), d.Filter);
        // The cancel is a failure that the silent handlers swallow.
        bool reached = false;
        rt::silently([&] {
            d.ShowOpen();
            reached = true;
        });
        QVERIFY(!reached);
    }

    // Folders first so the user can move through them, then the files the entry accepts, letter
    // case ignored in matching and order; all the while a screen reader walks the dialog's tree.
    void realDialogListsOnlyWhatTheChosenEntryAccepts_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("first");  // what the list shows
        QTest::addColumn<QStringList>("second"); // what it shows after a step down the type box
        QTest::newRow("program") << ExeFilter << QStringList{"sub", "X11", "editor"}
                                 << QStringList{"sub", "X11", "b.bat", "B2.bat", "RUN2.BAT", "START.BAT"};
        const QStringList ico{"sub", "X11", "Word.ICO"}, bmp{"sub", "X11", "PIC.BMP"};
        QTest::newRow("icon") << "Файлы со значками (*.ico)|*.ico|" << ico << ico;
        QTest::newRow("picture") << "Точечные рисунки (*.bmp)|*.bmp|" << bmp << bmp;
    }
    void realDialogListsOnlyWhatTheChosenEntryAccepts() {
        QFETCH(QString, filter);
        QFETCH(QStringList, first);
        QFETCH(QStringList, second);
        QTemporaryDir dir;
        makeFile(dir.path() + QStringLiteral("/editor"), true);
        for (const char* name :
             {"notes.txt", "START.BAT", "old.exe", "B2.bat", "RUN2.BAT", "b.bat", "PIC.BMP", "Word.ICO"})
            makeFile(dir.path() + QLatin1Char('/') + QLatin1String(name), false);
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("X11")));
        // Enough files for the list to fill in several batches.
        for (int i = 0; i < 300; ++i)
            makeFile(dir.path() + QStringLiteral("/sub/f%1.bat").arg(i), i % 3 == 0);
        FileDialog::setScripted(false);
        // What a screen reader's first request does: the views now report every change of their models.
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
        bool fileRead = false;
        const auto walk = [&](auto& self, QAccessibleInterface* node, int depth) -> void {
            if (!node || !node->isValid() || depth > 30)
                return;
            fileRead = fileRead || node->text(QAccessible::Name) == first.last();
            for (int i = 0; i < node->childCount(); ++i)
                self(self, node->child(i), depth + 1);
        };
        int reads = 0;
        QTimer reader;
        QObject::connect(&reader, &QTimer::timeout, [&] {
            if (QFileDialog* dialog = visibleDialog(); dialog && ++reads)
                walk(walk, QAccessible::queryAccessibleInterface(dialog), 0);
        });
        reader.start(0);
        QStringList firstView, secondView, entryTexts;
        bool seen = false;
        later([&] {
            QFileDialog* dialog = nullptr;
            waitUntil([&] { return (dialog = visibleDialog()) != nullptr; });
            if (!dialog)
                return;
            seen = true;
            const auto readsMore = [&] { waitUntil([&, until = reads + 3] { return reads >= until; }); };
            // In the details, the plain list and the details again, the user visits a big folder.
            for (const char* mode : {"detailModeButton", "listModeButton", "detailModeButton"}) {
                click(child<QAbstractButton>(dialog, mode));
                dialog->setDirectory(dir.path() + QStringLiteral("/sub"));
                readsMore();
                dialog->setDirectory(dir.path());
            }
            // The list fills in the background: wait for all of it.
            waitUntil([&] { return shownNames(dialog) == first; });
            firstView = shownNames(dialog);
            // The user steps the file-type box to the next entry, and back.
            auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            for (int i = 0; i < types->count(); ++i)
                entryTexts << types->itemText(i);
            QTest::keyClick(types, Qt::Key_Down);
            waitUntil([&] { return shownNames(dialog) == second; });
            secondView = shownNames(dialog);
            QTest::keyClick(types, Qt::Key_Up);
            waitUntil([&] { return shownNames(dialog) == first; });
            readsMore();
            // The user clicks the file in the list.
            auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
            const QModelIndexList hits =
                view->model()->match(view->model()->index(0, 0, view->rootIndex()), Qt::DisplayRole,
                                     first.last(), 1, Qt::MatchExactly);
            if (!hits.isEmpty())
                view->selectionModel()->select(hits.first(), QItemSelectionModel::ClearAndSelect |
                                                                 QItemSelectionModel::Rows);
            static_cast<QDialog*>(dialog)->accept();
            if (dialog->isVisible())
                dialog->reject(); // never hang the test
        });
        FileDialog d;
        d.Filter = filter;
        d.ShowOpen();
        QVERIFY(seen);
        QCOMPARE(firstView, first);
        QCOMPARE(secondView, second);
        QCOMPARE(entryTexts, FileDialog::qtNameFilters(filter));
        QVERIFY(fileRead);
        QCOMPARE(d.FileName, dir.path() + QLatin1Char('/') + first.last());
        QVERIFY(FileDialog::asked().isEmpty());
    }

    void realDialogCancelledLeavesFileNameAlone() {
        FileDialog::setScripted(false);
        later([] {
            QFileDialog* dialog = nullptr;
            if (waitUntil([&] { return (dialog = visibleDialog()) != nullptr; }))
                dialog->reject();
        });
        FileDialog d;
        d.FileName = QStringLiteral("before");
        d.Filter = QStringLiteral("Файлы со значками (*.ico)|*.ico|");
        QVERIFY_THROWS_EXCEPTION(DialogCancelled, d.ShowOpen());
        QCOMPARE(d.FileName, QStringLiteral("before"));
    }

    // With Qt's Russian translation installed, as the programs install it at start, the dialog's
    // own labels, buttons and tool tips and a text box's context menu are Russian.
    void qtsOwnTextsAreRussian() {
        if (!installQtTranslation())
            QSKIP("Qt's Russian translation (qt6-translations-l10n) is not installed");
        const QRegularExpression cyrillic(QStringLiteral("[А-Яа-я]"));
        FileDialog::setScripted(false);
        QStringList texts;
        later([&] {
            QFileDialog* dialog = nullptr;
            if (!waitUntil([&] { return (dialog = visibleDialog()) != nullptr; }))
                return;
            for (const char* name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
                texts << dialog->findChild<QLabel*>(QString::fromLatin1(name))->text();
            for (const QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
                texts << (b->text().isEmpty() ? b->toolTip() : b->text());
            dialog->reject();
        });
        FileDialog d;
        d.Filter = QStringLiteral("Точечные рисунки (*.bmp)|*.bmp|");
        QVERIFY_THROWS_EXCEPTION(DialogCancelled, d.ShowOpen());
        QVERIFY(texts.size() > 8);
        TextBox box(nullptr);
        const std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
        for (const QAction* a : menu->actions())
            if (!a->isSeparator())
                texts << a->text();
        for (const QString& t : std::as_const(texts))
            QVERIFY2(t.contains(cyrillic), qPrintable(texts.join(QLatin1String(" | "))));
    }
};

QTEST_MAIN(TestFileDialog)
#include "test_file_dialog.moc"
