#pragma once
// The one way message boxes are shown. Tests script the answers and read back what was asked.

#include <QList>
#include <QString>

namespace MessageBoxes {

struct Asked {
    QString prompt;
    int buttons;
    QString title;
};

// Shows the box (or answers it from the script) and returns 1 for OK, 6 for Yes, 7 for No.
int show(const QString& prompt, int buttons, const QString& title);

// Test seams: once scripted, no box is shown; each prompt takes the next primed answer, or OK / No.
void setScripted(bool scripted);
void setNextAnswer(int answer);
const QList<Asked>& asked();
void reset();

} // namespace MessageBoxes
