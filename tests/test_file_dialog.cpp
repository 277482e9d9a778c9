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

// The names the dialog's file list shows now, in its order.
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

// Reads a whole accessibility tree as a screen reader does: each node's name and value, its
// children, and the way back up from each child. Collects the names it read.
void readAccessibleTree(QAccessibleInterface* node, QStringList& names, int depth = 0) {
    if (!node || !node->isValid() || depth > 30)
        return;
    names << node->text(QAccessible::Name);
    (void)node->text(QAccessible::Value);
    (void)node->state();
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* kid = node->child(i);
        if (!kid)
            continue;
        if (QAccessibleInterface* up = kid->parent())
            (void)up->indexOfChild(kid);
        readAccessibleTree(kid, names, depth + 1);
    }
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
    // case ignored both in the matching and in the order; what the entry rejects is not shown.
    void realDialogListsOnlyWhatTheChosenEntryAccepts_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("first");
        QTest::addColumn<QStringList>("second");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("program") << ExeFilter << QStringList{"sub", "X11", "editor"}
                                 << QStringList{"sub", "X11", "b.bat", "B2.bat", "RUN2.BAT", "START.BAT"}
                                 << "editor";
        QTest::newRow("icon") << "Файлы со значками (*.ico)|*.ico|" << QStringList{"sub", "X11", "Word.ICO"}
                              << QStringList() << "Word.ICO";
        QTest::newRow("picture") << "Точечные рисунки (*.bmp)|*.bmp|" << QStringList{"sub", "X11", "PIC.BMP"}
                                 << QStringList() << "PIC.BMP";
    }
    void realDialogListsOnlyWhatTheChosenEntryAccepts() {
        QFETCH(QString, filter);
        QFETCH(QStringList, first);
        QFETCH(QStringList, second);
        QFETCH(QString, chosen);
        QTemporaryDir dir;
        makeFile(dir.path() + QStringLiteral("/editor"), true);
        for (const char* name :
             {"notes.txt", "START.BAT", "old.exe", "B2.bat", "RUN2.BAT", "b.bat", "PIC.BMP", "Word.ICO"})
            makeFile(dir.path() + QLatin1Char('/') + QLatin1String(name), false);
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("X11")));
        FileDialog::setScripted(false);

        QStringList firstView, secondView, entryTexts;
        bool seen = false;
        later([&] {
            QFileDialog* dialog = nullptr;
            waitUntil([&] { return (dialog = visibleDialog()) != nullptr; });
            if (!dialog)
                return;
            seen = true;
            dialog->setDirectory(dir.path());
            // The list fills in the background: wait for all of it.
            waitUntil([&] { return shownNames(dialog) == first; });
            firstView = shownNames(dialog);
            auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            for (int i = 0; i < types->count(); ++i)
                entryTexts << types->itemText(i);
            if (!second.isEmpty()) {
                // The user steps the file-type box to the next entry, and back.
                QTest::keyClick(types, Qt::Key_Down);
                waitUntil([&] { return shownNames(dialog) == second; });
                secondView = shownNames(dialog);
                QTest::keyClick(types, Qt::Key_Up);
                waitUntil([&] { return shownNames(dialog) == first; });
            }
            // The user clicks the file in the list.
            auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
            const QModelIndexList hits = view->model()->match(view->model()->index(0, 0, view->rootIndex()),
                                                              Qt::DisplayRole, chosen, 1, Qt::MatchExactly);
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
        // The entries read as written, whatever the dialog matches with.
        QCOMPARE(entryTexts, FileDialog::qtNameFilters(filter));
        QCOMPARE(d.FileName, dir.path() + QLatin1Char('/') + chosen);
        QVERIFY(FileDialog::asked().isEmpty());
    }

    // A screen reader reads the dialog's tree over and over while the dialog opens, fills its list
    // in the background and changes entry and view, for each of the dialogs; the program survives.
    void realDialogSurvivesAScreenReader_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("shown");
        QTest::newRow("program") << ExeFilter << "editor";
        QTest::newRow("icon") << "Файлы со значками (*.ico)|*.ico|"
                              << "Word.ICO";
        QTest::newRow("picture") << "Точечные рисунки (*.bmp)|*.bmp|"
                                 << "PIC.BMP";
    }
    void realDialogSurvivesAScreenReader() {
        QFETCH(QString, filter);
        QFETCH(QString, shown);
        QTemporaryDir dir;
        // Enough files for the list to fill in several batches.
        for (int i = 0; i < 300; ++i)
            makeFile(dir.path() + QStringLiteral("/f%1.%2").arg(i).arg(i % 2 ? "bat" : "ico"), i % 3 == 0);
        makeFile(dir.path() + QStringLiteral("/editor"), true);
        makeFile(dir.path() + QStringLiteral("/Word.ICO"), false);
        makeFile(dir.path() + QStringLiteral("/PIC.BMP"), false);
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("X11")));
        FileDialog::setScripted(false);
        // What a screen reader's first request does: from now on the views tell the accessibility
        // layer about every change of their models.
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);

        // The reader reads at every pass of the event loop, from before the dialog shows to its
        // end, and at once whenever the list's model announces a change, before the views catch up.
        QStringList names;
        int reads = 0;
        const auto read = [&](QWidget* dialog) {
            names.clear();
            readAccessibleTree(QAccessible::queryAccessibleInterface(dialog), names);
            ++reads;
        };
        QTimer reader;
        reader.setInterval(0);
        QObject::connect(&reader, &QTimer::timeout, [&] {
            if (QFileDialog* dialog = visibleDialog())
                read(dialog);
        });
        reader.start();
        bool detailRead = false;
        bool listed = false;
        later([&] {
            QFileDialog* dialog = nullptr;
            if (!waitUntil([&] { return (dialog = visibleDialog()) != nullptr; }))
                return;
            const QAbstractItemModel* model = child<QListView>(dialog, "listView")->model();
            const auto readNow = [&, dialog] { read(dialog); };
            QObject::connect(model, &QAbstractItemModel::layoutChanged, dialog, readNow);
            QObject::connect(model, &QAbstractItemModel::rowsInserted, dialog, readNow);
            QObject::connect(model, &QAbstractItemModel::rowsRemoved, dialog, readNow);
            QObject::connect(model, &QAbstractItemModel::modelReset, dialog, readNow);
            const auto readsMore = [&] {
                const int until = reads + 3;
                waitUntil([&] { return reads >= until; });
            };
            auto* types = child<QComboBox>(dialog, "fileTypeCombo");
            // The user looks at the details first, then at the plain list.
            for (const char* mode : {"detailModeButton", "listModeButton"}) {
                click(child<QAbstractButton>(dialog, mode));
                dialog->setDirectory(dir.path());
                listed = waitUntil([&] { return shownNames(dialog).contains(shown); });
                readsMore();
                detailRead = detailRead || names.contains(shown);
                for (int round = 0; round < 2; ++round) {
                    QTest::keyClick(types, Qt::Key_Down);
                    readsMore();
                    QTest::keyClick(types, Qt::Key_Up);
                    readsMore();
                }
                dialog->setDirectory(QDir::tempPath());
                readsMore();
            }
            dialog->reject();
        });
        FileDialog d;
        d.Filter = filter;
        QVERIFY_THROWS_EXCEPTION(DialogCancelled, d.ShowOpen());
        reader.stop();
        QVERIFY(listed);
        // The reader got as far as the files' own names.
        QVERIFY(detailRead);
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
