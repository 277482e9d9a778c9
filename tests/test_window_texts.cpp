// Every window of both programs, loaded on a prepared database: each fixed text of a label, a
// button, an option or a frame fits its control at the fonts the system ships with, so nothing a
// window says is clipped; data too long for its label still shows its first line whole.

#include "Controls.h"
#include "Form.h"
#include "FrmExit.h"
#include "FrmMain.h"
#include "FrmMainOpt.h"
#include "FrmStart.h"
#include "PasswordGate.h"
#include "Runtime.h"
#include "TestSupport.h"
#include "frmAccess.h"
#include "frmAdd.h"
#include "frmLook.h"
#include "frmMainSettings.h"
#include "frmNewCateg.h"
#include "frmPass.h"
#include "frmPassMain.h"

#include <QGroupBox>
#include <QStyleOptionButton>
#include <QTextLayout>
#include <QtTest>

namespace {

// Lines the text takes when wrapped at word boundaries within `width`, and the widest of them.
struct Wrapped {
    int lines = 0;
    qreal widest = 0;
};
Wrapped wrap(const QString& text, const QFont& font, int width) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    Wrapped w;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        w.widest = std::max(w.widest, line.naturalTextWidth());
        ++w.lines;
    }
    layout.endLayout();
    return w;
}

QString where(const Form& f, const QWidget* w) {
    return f.formName() + QLatin1Char('.') + w->objectName();
}

// The band the label's first line takes as it draws it: lineStep() high, as wide as its text.
QRectF firstLineBand(const Label& l) {
    const std::unique_ptr<QTextLayout> layout = l.textLayout();
    const QRectF text = layout->lineAt(0).naturalTextRect();
    return {text.left(), text.top(), text.width(), qreal(l.lineStep())};
}

// The visible labels of a window that show data; those whose first line is not shown whole go to
// `cut`. A label lower than one line must show it from its top, cut at the bottom only.
QStringList boundLabels(const Form& f, QStringList& cut) {
    QStringList shown;
    for (const Label* l : f.findChildren<Label*>()) {
        if (!l->dataSource() || !l->isVisibleTo(&f) || l->text().isEmpty())
            continue;
        shown << where(f, l);
        const QRectF cr = l->contentsRect();
        QRectF band = firstLineBand(*l);
        band.setHeight(std::min(band.height(), cr.height()));
        if (!cr.contains(band))
            cut << QStringLiteral("%1: first line at (%2,%3) %4x%5 in %6x%7")
                       .arg(where(f, l))
                       .arg(band.x())
                       .arg(band.y())
                       .arg(band.width())
                       .arg(band.height())
                       .arg(cr.width())
                       .arg(cr.height());
    }
    return shown;
}

// What does not fit in one window, one line per control.
QStringList misfits(const Form& f) {
    QStringList out;
    for (const Label* l : f.findChildren<Label*>()) {
        if (l->dataSource() || l->text().isEmpty())
            continue; // bound data is the user's, not the window's
        const QRect cr = l->contentsRect();
        const QFontMetrics fm(l->font());
        const QRect needed = fm.boundingRect(QRect(0, 0, cr.width(), 10000),
                                             int(l->alignment()) | Qt::TextWordWrap, l->text());
        const Wrapped w = wrap(l->text(), l->font(), cr.width());
        if (needed.width() > cr.width() || w.lines * l->lineStep() > cr.height())
            out << QStringLiteral("%1 \"%2\": %3 lines of %4 px, widest %5 px, in %6x%7")
                       .arg(where(f, l), l->text())
                       .arg(w.lines)
                       .arg(l->lineStep())
                       .arg(needed.width())
                       .arg(cr.width())
                       .arg(cr.height());
    }
    for (const QAbstractButton* b : f.findChildren<QAbstractButton*>()) {
        if (!dynamic_cast<const CommandButton*>(b) && !dynamic_cast<const OptionButton*>(b))
            continue; // a grid's corner
        const QFontMetrics fm(b->font());
        int room = b->width() - 8; // the button's own edges
        if (qobject_cast<const QRadioButton*>(b))
            room = b->width() - b->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, b) -
                   b->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, b);
        if (fm.horizontalAdvance(b->text()) > room || fm.height() > b->height())
            out << QStringLiteral("%1 \"%2\": %3x%4 px in %5x%6")
                       .arg(where(f, b), b->text())
                       .arg(fm.horizontalAdvance(b->text()))
                       .arg(fm.height())
                       .arg(room)
                       .arg(b->height());
    }
    for (const QGroupBox* g : f.findChildren<QGroupBox*>()) {
        const QFontMetrics fm(g->font());
        if (fm.horizontalAdvance(g->title()) > g->width() - 16)
            out << QStringLiteral("%1 \"%2\"").arg(where(f, g), g->title());
    }
    return out;
}

// Loads each window of both programs in turn on the current database.
void forEveryWindow(const std::function<void(Form&)>& check) {
    const QList<std::function<Form&()>> windows{
        []() -> Form& { return frmPassMain(); },
        []() -> Form& { return rt::form<FrmMain>(); },
        []() -> Form& { return rt::form<FrmStart>(); },
        []() -> Form& { return rt::form<FrmExit>(); },
        []() -> Form& { return frmMainSettings(); },
        []() -> Form& { return rt::form<FrmMainOpt>(); },
        []() -> Form& { return rt::form<frmAdd>(); },
        []() -> Form& { return rt::form<frmNewCateg>(); },
        []() -> Form& { return frmPass(); },
        []() -> Form& { return rt::form<frmAccess>(); },
        []() -> Form& { return rt::form<frmLook>(); },
    };
    for (const auto& load : windows) {
        Form& f = load();
        QVERIFY(f.isLoaded());
        check(f);
        resetRuntime();
    }
}

} // namespace

class TestWindowTexts : public QObject {
    Q_OBJECT
private slots:
    void init() { resetRuntime(); }
    void cleanup() { resetRuntime(); }

    void everyFixedTextFitsItsControl() {
        TestFolder folder;
        QStringList all;
        int checked = 0;
        forEveryWindow([&](Form& f) {
            checked += int(f.findChildren<QAbstractButton*>().size());
            all << misfits(f);
        });
        QVERIFY(checked > 20);
        QVERIFY2(all.isEmpty(), qPrintable(all.join(QLatin1Char('\n'))));
    }

    // Data longer than its label shows from its first line down: a path of 100 characters in
    // every path label, a name of 100 in the others.
    void longDataShowsItsFirstLineWhole() {
        TestFolder folder;
        const QString path = QStringLiteral("/home/someone/projects/orvanto/build/bin/demo/categories/"
                                            "pictures/a-rather-long-name-for-offices.bmp");
        const QString name = QStringLiteral("Очень длинное название программы, которое не помещается в свою "
                                            "надпись и переносится на новые строки");
        QCOMPARE(path.size(), 100);
        QCOMPARE(name.size(), 100);
        folder.fill(QStringLiteral("Types"), {{name, path}});
        folder.fill(QStringLiteral("Programs"), {{name, name, name, path, path}});
        QStringList shown, cut;
        forEveryWindow([&](Form& f) { shown << boundLabels(f, cut); });
        shown.sort();
        QCOMPARE(shown,
                 (QStringList{"FrmMain.lblCategories", "FrmStart.lblComp", "FrmStart.lblName",
                              "frmAdd.lblDir", "frmAdd.lblIcon", "frmAdd.lblType", "frmNewCateg.lblPic"}));
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char('\n'))));
    }

    // A program name of 46 characters takes the two lines the chooser leaves for it.
    void aLongProgramNameWrapsInTheChooser() {
        TestFolder folder;
        const QString name = QStringLiteral("Очень длинное название программы для проверки.");
        QCOMPARE(name.size(), 46);
        folder.fill(QStringLiteral("Programs"), {{name, "", "", "", ""}});
        FrmStart& s = rt::form<FrmStart>();
        QCOMPARE(s.lblName->text(), name);
        const QRect cr = s.lblName->contentsRect();
        const Wrapped w = wrap(name, s.lblName->font(), cr.width());
        QCOMPARE(w.lines, 2);
        QVERIFY(s.lblName->wordWrap());
        QVERIFY(w.widest <= cr.width());
        QVERIFY(w.lines * s.lblName->lineStep() <= cr.height());
        QCOMPARE(s.lblName->alignment(), Qt::Alignment(Qt::AlignCenter));
    }
};

QTEST_MAIN(TestWindowTexts)
#include "test_window_texts.moc"
