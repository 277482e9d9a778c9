#include "MessageBoxes.h"

#include "MessageBoxCodes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {
bool g_scripted = false;
QList<int> g_answers;
QList<MessageBoxes::Asked> g_asked;
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
