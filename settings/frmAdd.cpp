#include "frmAdd.h"

#include "Runtime.h"

frmAdd::frmAdd() : Form(Name) {
    setCaption(QStringLiteral("Добавление/удаление записи"));
    cmdBack = named(new CommandButton(this, QStringLiteral("Назад")), "cmdBack");
    cmdBack->onClick([this] { cmdBack_Click(); });
}

void frmAdd::cmdBack_Click() {
    rt::Unload(*this);
}
