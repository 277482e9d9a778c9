#include "MessageBoxes.h"

#include "Form.h"
#include "MessageBoxCodes.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

namespace {
bool g_scripted = false;
QList<int> g_answers;
QList<MessageBoxes::Asked> g_asked;

// A box sized to a short prompt ("Облом") leaves its title bar no room for the program's name
// beside the window's buttons. The box sets its own fixed size from its layout when it shows, so
// the room is asked of the layout: a row as wide as the box must be, 240 pixels at 96 DPI.
constexpr int MinimumBoxWidth = 3600; // twips

void keepWideEnough(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    const QMargins m = grid->contentsMargins();
    const int width = std::max(0, twips(MinimumBoxWidth) - m.left() - m.right());
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}
} // namespace

namespace MessageBoxes {

int show(const QString& prompt, int buttons, const QString& title) {
    g_asked.append({prompt, buttons, title});
    const bool yesNo = buttons == rt::vbYesNo;
    if (g_scripted) {
        if (!g_answers.isEmpty())
            return g_answers.takeFirst();
        return yesNo ? rt::vbNo : rt::vbOK;
    }
    QMessageBox box(QMessageBox::NoIcon, title, prompt, QMessageBox::NoButton, QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    if (yesNo) {
        box.addButton(QMessageBox::Yes)->setText(QStringLiteral("Да"));
        box.addButton(QMessageBox::No)->setText(QStringLiteral("Нет"));
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.addButton(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    }
    keepWideEnough(box);
    const int r = box.exec();
    if (!yesNo)
        return rt::vbOK;
    return r == QMessageBox::Yes ? rt::vbYes : rt::vbNo;
}

void setScripted(bool scripted) {
    g_scripted = scripted;
}
void setNextAnswer(int answer) {
    g_answers.append(answer);
}
const QList<Asked>& asked() {
    return g_asked;
}
void reset() {
    g_answers.clear();
    g_asked.clear();
}

} // namespace MessageBoxes
