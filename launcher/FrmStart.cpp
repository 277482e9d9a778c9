#include "FrmStart.h"

#include "BuiltinPictures.h"
#include "Runtime.h"

FrmStart::FrmStart() : Form(Name) {
    setCaption(QStringLiteral("Выбор программы"));
    setIconPicture(BuiltinPictures::launcherWindowIcon());
    setClientSize(6840, 4125);
    cmdBack = named(new CommandButton(this, QStringLiteral("Назад")), "cmdBack");
    place(cmdBack, 120, 3120, 3255, 495);
    cmdBack->setToolTip(QStringLiteral("В главное меню"));
    setInitialFocus(cmdBack);
    cmdBack->onClick([this] { cmdBack_Click(); });
}

void FrmStart::cmdBack_Click() {
    rt::Unload(*this);
}
