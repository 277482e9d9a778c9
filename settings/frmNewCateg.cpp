#include "frmNewCateg.h"

#include "BuiltinPictures.h"
#include "Runtime.h"
#include "Schema.h"

frmNewCateg::frmNewCateg() : Form(Name) {
    setCaption(QStringLiteral("Создать новую категорию"));
    setClientSize(6855, 3750);

    Timer1 = named(new Timer(this, 10), "Timer1");
    cmdBrowser = named(new CommandButton(this, QStringLiteral("...")), "cmdBrowser");
    place(cmdBrowser, 6120, 1320, 615, 495);
    cmdBrowser->setFont(courierFont(12));
    cmdBrowser->setToolTip(QStringLiteral("Обзор"));
    txtName = named(new TextBox(this), "txtName");
    place(txtName, 120, 720, 6615, 495);
    txtName->setAlignment(Qt::AlignCenter);
    Data1 = named(new DataControl(this, Tables::Types().name), "Data1");
    place(Data1, 4080, 3120, 2655, 540);
    cmdDelete = named(new CommandButton(this, QStringLiteral("Удалить")), "cmdDelete");
    place(cmdDelete, 2640, 3120, 1335, 495);
    cmdAdd = named(new CommandButton(this, QStringLiteral("Добавить")), "cmdAdd");
    place(cmdAdd, 1320, 3120, 1335, 495);
    cmdBack = named(new CommandButton(this, QStringLiteral("Назад")), "cmdBack");
    place(cmdBack, 120, 3120, 1215, 495);
    Label3 = named(new Label(this), "Label3");
    Label3->QLabel::setText(
        QStringLiteral("Размеры картинки должны быть 400х400 пикселей. Иначе изображение будет искажаться"));
    Label3->setWordWrap(true);
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(Label3, 1800, 1920, 3615, 1095);
    lblPic = named(new Label(this), "lblPic");
    place(lblPic, 3120, 1320, 2895, 495);
    lblPic->setAutoFillBackground(true);
    QPalette white = lblPic->palette();
    white.setColor(QPalette::Window, Qt::white);
    lblPic->setPalette(white);
    lblPic->setFrameStyle(QFrame::Box | QFrame::Plain);
    lblPic->setLineWidth(1);
    lblPic->setAlignment(Qt::AlignCenter);
    Label2 = named(new Label(this), "Label2");
    Label2->QLabel::setText(QStringLiteral("Картинка"));
    place(Label2, 1800, 1440, 1215, 375);
    ImgPic = named(new Image(this), "ImgPic");
    place(ImgPic, 120, 1440, 1500, 1500);
    ImgPic->setPicture(BuiltinPictures::categoryPlaceholder());
    Label1 = named(new Label(this), "Label1");
    Label1->QLabel::setText(QStringLiteral("Название категории"));
    place(Label1, 120, 240, 2655, 255);

    txtName->setDataSource(Data1, Fields::Types::NameType);
    lblPic->setDataSource(Data1, Fields::Types::IconType);

    setTabOrder(cmdBack, cmdAdd);
    setTabOrder(cmdAdd, cmdDelete);
    setTabOrder(cmdDelete, txtName);
    setTabOrder(txtName, cmdBrowser);
    setInitialFocus(cmdBack);

    Timer1->onTick([this] { Timer1_Timer(); });
    cmdAdd->onClick([this] { cmdAdd_Click(); });
    cmdDelete->onClick([this] { cmdDelete_Click(); });
    cmdBrowser->onClick([this] { cmdBrowser_Click(); });
    cmdBack->onClick([this] { cmdBack_Click(); });
    Data1->onMouseUp([this] { Data1_MouseUp(); });
}

void frmNewCateg::Form_Load() {
    Data1->DatabaseName = DatabasePath();
}

void frmNewCateg::Timer1_Timer() {
    // A path that cannot be loaded (the default one often) keeps the preview as it is, without a
    // word: this runs a hundred times a second.
    rt::silently([this] { ImgPic->setPicture(LoadPicture(lblPic->text())); });
}

void frmNewCateg::cmdAdd_Click() {
    Data1->records().AddNew();
    fillEmptyPicture();
}

void frmNewCateg::cmdDelete_Click() {
    if (rt::MsgBox(QStringLiteral("Вы уверены, что хотите удалить запись?"), rt::vbYesNo,
                   QStringLiteral("Удаление")) != rt::vbYes)
        return;
    rt::silently([this] {
        Recordset& types = Data1->records();
        types.Delete();
        types.MoveFirst();
    });
}

void frmNewCateg::cmdBrowser_Click() {
    rt::silently([this] {
        dlg.Filter = QStringLiteral("Точечные рисунки (*.bmp)|*.bmp|");
        dlg.ShowOpen();
        lblPic->storeText(dlg.FileName);
    });
}

void frmNewCateg::Data1_MouseUp() {
    fillEmptyPicture();
}

void frmNewCateg::cmdBack_Click() {
    const QString missing = missingField();
    if (!missing.isEmpty()) {
        rt::MsgBox(missing);
        return;
    }
    if (Data1->records().hasCurrent())
        fillEmptyPicture();
    if (rt::StoreBeforeUnload(*this))
        rt::Unload(*this);
}

void frmNewCateg::closeBox_Click() {
    closeBoxRefusingIncomplete(*Data1, missingField());
}

void frmNewCateg::fillEmptyPicture() {
    if (lblPic->text().isEmpty())
        lblPic->storeText(ErrorPicturePath);
}

// What "Назад" asks for when the current record lacks it; empty when the record may be stored. A
// record with neither name nor picture passes: it closes as it is.
QString frmNewCateg::missingField() const {
    if (txtName->text().isEmpty() && !lblPic->text().isEmpty())
        return QStringLiteral("Введите имя категории");
    return {};
}
