#include "FrmMainOpt.h"

#include "BuiltinPictures.h"
#include "Runtime.h"

FrmMainOpt::FrmMainOpt() : Form(Name) {
    setCaption(QStringLiteral("Настройки"));
    setIconPicture(BuiltinPictures::settingsWindowIcon());
    setClientSize(4800, 2880);
    cmdEnd = named(new CommandButton(this, QStringLiteral("Выход")), "cmdEnd");
    place(cmdEnd, 2280, 2280, 2415, 495);
    cmdEnd->onClick([this] { cmdEnd_Click(); });
}

void FrmMainOpt::Form_Activate() {
    rt::UnloadNamed(QStringLiteral("frmMainSettings"));
}

void FrmMainOpt::cmdEnd_Click() {
    rt::End();
}
