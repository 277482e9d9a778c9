#include "frmLook.h"

#include "Runtime.h"

frmLook::frmLook() : Form(Name) {
    setCaption(QStringLiteral("Просмотр открываемых программ"));
    cmdBack = named(new CommandButton(this, QStringLiteral("Назад")), "cmdBack");
    cmdBack->onClick([this] { cmdBack_Click(); });
}

void frmLook::cmdBack_Click() {
    rt::Unload(*this);
}
