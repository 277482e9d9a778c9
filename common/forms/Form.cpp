#include "Form.h"

#include "DataControl.h"
#include "Runtime.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

int twips(int t) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return qRound(t * dpi / 1440.0);
}

void place(QWidget* control, int left, int top, int width, int height) {
    control->setGeometry(twips(left), twips(top), twips(width), twips(height));
}

Form::Form(const QString& name) : QWidget(nullptr), m_name(name) {
    setObjectName(name);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setCloseBox(true);
}

Form::~Form() = default;

void Form::setIconPicture(const QIcon& icon) {
    setWindowIcon(icon);
}

void Form::setClientSize(int widthTwips, int heightTwips) {
    setFixedSize(twips(widthTwips), twips(heightTwips));
}

void Form::setFixedPosition(int leftTwips, int topTwips) {
    m_fixedPosition = true;
    m_position = QPoint(twips(leftTwips), twips(topTwips));
}

void Form::setCloseBox(bool closeBox) {
    m_closeBox = closeBox;
    Qt::WindowFlags flags =
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
    if (closeBox)
        flags |= Qt::WindowCloseButtonHint;
    setWindowFlags(flags);
}

void Form::setMousePointer(int pointer) {
    m_mousePointer = pointer;
    if (pointer == 11)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void Form::closeEvent(QCloseEvent* event) {
    // The runtime hides windows itself; a close that reaches us comes from the title bar.
    event->ignore();
    if (m_closeBox && m_loaded)
        rt::run([this] { closeBox_Click(); });
}

void Form::closeBox_Click() {
    if (rt::StoreBeforeUnload(*this))
        rt::Unload(*this);
}

void Form::closeBoxRefusingIncomplete(DataControl& source, const QString& missing) {
    // The close box stays a way out, but it stores nothing that the window's own way out refuses.
    if (!missing.isEmpty() && source.isOpen() && source.records().isChanged()) {
        const int answer = rt::MsgBox(
            QStringLiteral("Запись не заполнена до конца: «%1».\n\nОстаться в окне, чтобы дополнить её? "
                           "«Нет» закроет окно без неё: новая запись не добавится, изменения в "
                           "существующей записи не сохранятся.")
                .arg(missing),
            rt::vbYesNo);
        if (answer == rt::vbYes)
            return;
        source.records().discardChanges();
    }
    Form::closeBox_Click();
}
