#include "frmAdd.h"

#include "BuiltinPictures.h"
#include "Runtime.h"
#include "Schema.h"
#include "frmNewCateg.h"

namespace {

// The path and category fields: white, with a single border.
Label* fieldLabel(Label* label, Qt::Alignment alignment) {
    label->setAutoFillBackground(true);
    QPalette p = label->palette();
    p.setColor(QPalette::Window, Qt::white);
    label->setPalette(p);
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setLineWidth(1);
    label->setAlignment(alignment | Qt::AlignVCenter);
    return label;
}

CommandButton* browseButton(CommandButton* button) {
    button->setFont(courierFont(12));
    button->setToolTip(QStringLiteral("Обзор"));
    button->setEnabled(false);
    return button;
}

} // namespace

frmAdd::frmAdd() : Form(Name) {
    setCaption(QStringLiteral("Добавление/удаление записи"));
    setIconPicture(BuiltinPictures::addEditorWindowIcon());
    setClientSize(7425, 5805);
    // The close box stays: without a category in the chooser, "Назад" could never let the user out.
    // It stores the pending record when "Назад" would; one that "Назад" refuses, the user completes
    // or leaves behind.

    cmdEdit = named(new CommandButton(this, QStringLiteral("Редактировать")), "cmdEdit");
    place(cmdEdit, 5040, 3360, 2175, 495);
    txtCopy = named(new TextBox(this), "txtCopy");
    place(txtCopy, 1920, 3240, 1935, 495);
    txtCopy->setAlignment(Qt::AlignCenter);
    txtCopy->setEnabled(false);
    txtCopy->hide();
    Data1 = named(new DataControl(this, Tables::Types().name, true), "Data1");
    place(Data1, 5760, 1320, 1575, 465);
    cmdIcoBrowser = browseButton(named(new CommandButton(this, QStringLiteral("...")), "cmdIcoBrowser"));
    place(cmdIcoBrowser, 4200, 3360, 615, 495);
    cmdExeBrowser = browseButton(named(new CommandButton(this, QStringLiteral("...")), "cmdExeBrowser"));
    place(cmdExeBrowser, 4200, 2040, 615, 495);
    Text1 = named(new TextBox(this), "Text1");
    place(Text1, 2160, 720, 5175, 495);
    Text1->setAlignment(Qt::AlignCenter);
    Text1->setEnabled(false);
    txtName = named(new TextBox(this), "txtName");
    place(txtName, 2160, 120, 5175, 495);
    txtName->setAlignment(Qt::AlignCenter);
    txtName->setEnabled(false);
    cmdNewCat = named(new CommandButton(this, QStringLiteral("Новая категория")), "cmdNewCat");
    place(cmdNewCat, 4920, 5160, 2415, 495);
    cmdBack = named(new CommandButton(this, QStringLiteral("Назад")), "cmdBack");
    place(cmdBack, 4080, 5160, 855, 495);
    cmdDelete = named(new CommandButton(this, QStringLiteral("Удалить")), "cmdDelete");
    place(cmdDelete, 2880, 5160, 1215, 495);
    cmdAdd = named(new CommandButton(this, QStringLiteral("Добавить")), "cmdAdd");
    place(cmdAdd, 1560, 5160, 1335, 495);
    DatEdit = named(new DataControl(this, Tables::Programs().name), "DatEdit");
    place(DatEdit, 120, 5160, 1380, 540);
    Label6 = named(new Label(this), "Label6");
    Label6->QLabel::setText(QStringLiteral("Если отсутствует картинка, то здесь ничего не указываийте."));
    place(Label6, 120, 4560, 7095, 495);
    lblType = fieldLabel(named(new Label(this), "lblType"), Qt::AlignHCenter);
    place(lblType, 2160, 1320, 3495, 495);
    lblIcon = fieldLabel(named(new Label(this), "lblIcon"), Qt::AlignLeft);
    place(lblIcon, 120, 3960, 7215, 495);
    Label5 = named(new Label(this), "Label5");
    Label5->QLabel::setText(QStringLiteral("Значок"));
    place(Label5, 120, 3360, 975, 255);
    lblDir = fieldLabel(named(new Label(this), "lblDir"), Qt::AlignHCenter);
    place(lblDir, 120, 2640, 7215, 495);
    Label4 = named(new Label(this), "Label4");
    Label4->QLabel::setText(QStringLiteral("Директория исполняемого файла"));
    place(Label4, 120, 2160, 3975, 375);
    Label3 = named(new Label(this), "Label3");
    Label3->QLabel::setText(QStringLiteral("Категория"));
    place(Label3, 120, 1440, 1335, 375);
    Label2 = named(new Label(this), "Label2");
    Label2->QLabel::setText(QStringLiteral("Фирма"));
    place(Label2, 120, 840, 1815, 255);
    Label1 = named(new Label(this), "Label1");
    Label1->QLabel::setText(QStringLiteral("Наименование"));
    place(Label1, 120, 240, 1815, 255);

    txtCopy->setDataSource(Data1, Fields::Types::NameType);
    txtName->setDataSource(DatEdit, Fields::Programs::Name);
    Text1->setDataSource(DatEdit, Fields::Programs::Company);
    lblType->setDataSource(DatEdit, Fields::Programs::Type);
    lblDir->setDataSource(DatEdit, Fields::Programs::Directory);
    lblIcon->setDataSource(DatEdit, Fields::Programs::IconDir);

    setTabOrder(cmdAdd, cmdDelete);
    setTabOrder(cmdDelete, cmdBack);
    setTabOrder(cmdBack, cmdNewCat);
    setTabOrder(cmdNewCat, txtName);
    setTabOrder(txtName, Text1);
    setTabOrder(Text1, cmdExeBrowser);
    setTabOrder(cmdExeBrowser, cmdIcoBrowser);
    setTabOrder(cmdIcoBrowser, cmdEdit);
    setInitialFocus(cmdAdd);

    cmdAdd->onClick([this] { cmdAdd_Click(); });
    cmdEdit->onClick([this] { cmdEdit_Click(); });
    cmdDelete->onClick([this] { cmdDelete_Click(); });
    cmdExeBrowser->onClick([this] { cmdExeBrowser_Click(); });
    cmdIcoBrowser->onClick([this] { cmdIcoBrowser_Click(); });
    cmdNewCat->onClick([this] { cmdNewCat_Click(); });
    cmdBack->onClick([this] { cmdBack_Click(); });
    Data1->onMouseUp([this] { Data1_MouseUp(); });
    DatEdit->onMouseDown([this] { DatEdit_MouseDown(); });
}

void frmAdd::Form_Load() {
    Data1->DatabaseName = DatabasePath();
    DatEdit->DatabaseName = DatabasePath();
}

void frmAdd::cmdAdd_Click() {
    DatEdit->records().AddNew();
    Text1->setEnabled(true);
    txtName->setEnabled(true);
    cmdExeBrowser->setEnabled(true);
    cmdIcoBrowser->setEnabled(true);
    Data1->setEnabled(true);
    fillEmptyIcon();
}

void frmAdd::cmdEdit_Click() {
    cmdEdit->setEnabled(true);
    Text1->setEnabled(true);
    txtName->setEnabled(true);
    cmdExeBrowser->setEnabled(true);
    cmdIcoBrowser->setEnabled(true);
    Data1->setEnabled(true);
}

void frmAdd::cmdDelete_Click() {
    Text1->setEnabled(false);
    txtName->setEnabled(false);
    if (rt::MsgBox(QStringLiteral("Вы уверены, что хотите удалить запись?"), rt::vbYesNo,
                   QStringLiteral("Удаление")) != rt::vbYes)
        return;
    Recordset& programs = DatEdit->records();
    // With no record left there is nothing to delete or to show; the window simply shows none.
    if (!programs.hasCurrent())
        return;
    programs.Delete();
    if (programs.recordCount() > 0)
        programs.MoveFirst();
}

void frmAdd::cmdExeBrowser_Click() {
    rt::silently([this] {
        CdlExe.Filter = QStringLiteral("Исполняемые EXE-файлы (*.exe)|*.exe|Исполняемые BAT-файлы "
                                       "(*.bat)|*.bat|Исполняемые COM-файлы (*.com)|*.com|Файлы Pif "
                                       "(*.pif)|*.pif|");
        CdlExe.ShowOpen();
        lblDir->storeText(CdlExe.FileName);
        Text1->setEnabled(false);
        txtName->setEnabled(false);
    });
}

void frmAdd::cmdIcoBrowser_Click() {
    rt::silently([this] {
        cdlIcon.Filter = QStringLiteral("Файлы со значками (*.ico)|*.ico|");
        cdlIcon.ShowOpen();
        lblIcon->storeText(cdlIcon.FileName);
        Text1->setEnabled(false);
        txtName->setEnabled(false);
    });
}

void frmAdd::cmdNewCat_Click() {
    Text1->setEnabled(false);
    txtName->setEnabled(false);
    cmdExeBrowser->setEnabled(false);
    cmdIcoBrowser->setEnabled(false);
    rt::ShowModal(rt::form<frmNewCateg>());
}

void frmAdd::Data1_MouseUp() {
    lblType->storeText(txtCopy->text());
    rt::MsgBox(QStringLiteral("Изменен тип программы"));
}

void frmAdd::DatEdit_MouseDown() {
    fillEmptyIcon();
}

void frmAdd::cmdBack_Click() {
    const QString missing = missingField();
    if (missing.isEmpty()) {
        fillEmptyIcon();
        if (rt::StoreBeforeUnload(*this))
            rt::Unload(*this);
        return;
    }
    rt::MsgBox(missing);
    fillEmptyIcon();
}

void frmAdd::closeBox_Click() {
    closeBoxRefusingIncomplete(*DatEdit, missingField());
}

void frmAdd::fillEmptyIcon() {
    if (lblIcon->text().isEmpty())
        lblIcon->storeText(ErrorIconPath);
}

// What "Назад" asks for first when the current record lacks it; empty when the record may be stored.
// The maker and the icon are not asked for.
QString frmAdd::missingField() const {
    if (txtName->text().isEmpty())
        return QStringLiteral("Введите имя");
    if (lblType->text().isEmpty())
        return QStringLiteral("Введите тип программы");
    if (lblDir->text().isEmpty())
        return QStringLiteral("Укажите директорию запуска");
    return {};
}
