#include "FrmMainOpt.h"

#include "BuiltinPictures.h"
#include "PasswordGate.h"
#include "Runtime.h"
#include "Schema.h"
#include "frmAdd.h"
#include "frmLook.h"
#include "frmPass.h"

#include <QLocale>

namespace {
// The code read as a number the way the user's locale writes numbers, or as plain C digits; an
// empty text or one that is no number is not zero.
bool readsAsZero(const QString& text) {
    const QString t = text.trimmed();
    bool ok = false;
    double value = QLocale().toDouble(t, &ok);
    if (!ok)
        value = QLocale::c().toDouble(t, &ok);
    return ok && value == 0;
}
} // namespace

FrmMainOpt::FrmMainOpt() : Form(Name) {
    setCaption(QStringLiteral("Настройки"));
    setIconPicture(BuiltinPictures::settingsWindowIcon());
    setClientSize(4800, 2880);

    txtPass = named(new TextBox(this), "txtPass");
    place(txtPass, 1560, 120, 1215, 495);
    txtPass->hide();
    Data1 = named(new DataControl(this, Tables::Access().name), "Data1");
    Data1->setCaption(QStringLiteral("Data1"));
    place(Data1, 120, 120, 1215, 300);
    Data1->hide();
    txtPass->setDataSource(Data1, Fields::Access::Password);
    cmdEnd = named(new CommandButton(this, QStringLiteral("Выход")), "cmdEnd");
    place(cmdEnd, 2280, 2280, 2415, 495);
    cmdYes = named(new CommandButton(this, QStringLiteral("Открыть")), "cmdYes");
    place(cmdYes, 120, 2280, 2175, 495);
    fraOper = named(new Frame(this, QStringLiteral("Выполнить")), "fraOper");
    place(fraOper, 120, 120, 4575, 1455);
    OptLook = named(new OptionButton(fraOper, QStringLiteral("Просмотр открываемых программ")), "OptLook");
    place(OptLook, 120, 960, 4335, 375);
    OptAccess = named(new OptionButton(fraOper, QStringLiteral("Доступ")), "OptAccess");
    place(OptAccess, 120, 600, 1335, 375);
    OptAdd = named(new OptionButton(fraOper, QStringLiteral("Добавить/Удалить запись")), "OptAdd");
    place(OptAdd, 120, 240, 3495, 375);
    OptAdd->setChecked(true);
    Label3 = named(new Label(this), "Label3");
    Label3->QLabel::setText(QStringLiteral(
        "Пароль, который действовал на просмотр паролей теперь работает на настройку доступа"));
    Label3->setWordWrap(true);
    place(Label3, 120, 1560, 4575, 615);

    setTabOrder(cmdYes, OptAdd);
    setTabOrder(OptAdd, OptAccess);
    setTabOrder(OptAccess, OptLook);
    setTabOrder(OptLook, cmdEnd);
    setInitialFocus(cmdYes);

    cmdEnd->onClick([this] { cmdEnd_Click(); });
    cmdYes->onClick([this] { cmdYes_Click(); });
}

void FrmMainOpt::Form_Load() {
    Data1->DatabaseName = DatabasePath();
}

void FrmMainOpt::Form_Activate() {
    if (readsAsZero(txtPass->text())) {
        txtPass->storeText(AccessLevel::Free);
        // Stored here rather than by the unload: a refused write would otherwise reopen the menu on
        // the zero it could not replace, again and again. A refusal is told once and the menu stays.
        if (rt::StoreProgramChange(*this)) {
            rt::Unload(*this);
            rt::Show(rt::form<FrmMainOpt>());
        }
    }
    rt::UnloadNamed(Gates::MainSettings.name);
}

void FrmMainOpt::cmdYes_Click() {
    if (OptAdd->value())
        rt::ShowModal(rt::form<frmAdd>());
    if (OptAccess->value())
        rt::ShowModal(frmPass());
    if (OptLook->value())
        rt::ShowModal(rt::form<frmLook>());
}

void FrmMainOpt::cmdEnd_Click() {
    rt::End();
}
