#include "frmLook.h"

#include "Runtime.h"
#include "Schema.h"

frmLook::frmLook() : Form(Name) {
    setCaption(QStringLiteral("Просмотр открываемых программ"));
    setClientSize(6390, 4785);

    cmdBack = named(new CommandButton(this, QStringLiteral("Назад")), "cmdBack");
    place(cmdBack, 1560, 4200, 1455, 495);
    cmdClear = named(new CommandButton(this, QStringLiteral("Удалить")), "cmdClear");
    place(cmdClear, 120, 4200, 1455, 495);
    grdLook = named(new Grid(this, 3, 2), "grdLook");
    place(grdLook, 0, 0, 6375, 4095);
    Data1 = named(new DataControl(this, Tables::Fixing().name), "Data1");
    Data1->setCaption(QStringLiteral("Data1"));
    place(Data1, 5040, 4200, 1215, 345);
    Data1->hide();
    grdLook->setDataSource(Data1);

    setTabOrder(grdLook, cmdClear);
    setTabOrder(cmdClear, cmdBack);
    setInitialFocus(grdLook);

    cmdClear->onClick([this] { cmdClear_Click(); });
    cmdBack->onClick([this] { cmdBack_Click(); });
}

void frmLook::Form_Load() {
    Data1->DatabaseName = DatabasePath();
    grdLook->setRow(0);
    grdLook->setCol(0);
    grdLook->setText(QStringLiteral("Название программы"));
    grdLook->setCol(1);
    grdLook->setText(QStringLiteral("Дата запуска"));
    grdLook->setCol(2);
    grdLook->setText(QStringLiteral("Время запуска"));
    ColWidth();
}

void frmLook::ColWidth() {
    grdLook->setColWidth(0, 3500);
    grdLook->setColWidth(1, 1500);
    grdLook->setColWidth(2, 1500);
}

void frmLook::cmdClear_Click() {
    // The data source's current record, not the grid's selected row. The deletion is one write:
    // when the database refuses it (locked by the launcher) nothing is gone and the viewer stays as
    // it was; after a deletion the grid already lists what remains, also when the reopening fails.
    rt::silently([this] {
        Data1->records().Delete();
        Data1->records().MoveFirst();
        rt::Unload(*this);
        rt::ShowModal(rt::form<frmLook>());
    });
}

void frmLook::cmdBack_Click() {
    rt::Unload(*this);
}
