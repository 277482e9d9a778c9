#include "frmNewCateg.h"

#include "Runtime.h"

frmNewCateg::frmNewCateg() : Form(Name) {
    setCaption(QStringLiteral("Создать новую категорию"));
    cmdBack = named(new CommandButton(this, QStringLiteral("Назад")), "cmdBack");
    cmdBack->onClick([this] { cmdBack_Click(); });
}

void frmNewCateg::cmdBack_Click() {
    rt::Unload(*this);
}
