#include "frmAccess.h"

#include "Runtime.h"

frmAccess::frmAccess() : Form(Name) {
    setCaption(QStringLiteral("Настройки доступа"));
    cmdBack = named(new CommandButton(this, QStringLiteral("Назад")), "cmdBack");
    cmdBack->onClick([this] { cmdBack_Click(); });
}

void frmAccess::cmdBack_Click() {
    rt::Unload(*this);
}
