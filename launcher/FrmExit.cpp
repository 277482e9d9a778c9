#include "FrmExit.h"

#include "BuiltinPictures.h"
#include "Runtime.h"

FrmExit::FrmExit() : Form(Name) {
    setCaption(QStringLiteral("Выход"));
    setIconPicture(BuiltinPictures::launcherWindowIcon());
    setClientSize(3045, 1785);
    setFixedPosition(5310, 5295);

    cmdYes = named(new CommandButton(this, QStringLiteral("Да")), "cmdYes");
    place(cmdYes, 1560, 1200, 1335, 495);
    cmdYes->setToolTip(QStringLiteral("Подтверждение"));
    cmdNo = named(new CommandButton(this, QStringLiteral("Нет")), "cmdNo");
    place(cmdNo, 120, 1200, 1335, 495);
    cmdNo->setToolTip(QStringLiteral("Отмена"));
    lblEnd = named(new Label(this), "lblEnd");
    lblEnd->QLabel::setText(QStringLiteral("Выйти?"));
    place(lblEnd, 120, 240, 1215, 375);
    lblEnd->setAlignment(Qt::AlignCenter);
    lblEnd->setFont(courierFont(15));

    setTabOrder(cmdNo, cmdYes);
    setInitialFocus(cmdNo);

    cmdYes->onClick([this] { cmdYes_Click(); });
    cmdNo->onClick([this] { cmdNo_Click(); });
}

void FrmExit::cmdYes_Click() {
    rt::End();
}

void FrmExit::cmdNo_Click() {
    rt::Unload(*this);
}
