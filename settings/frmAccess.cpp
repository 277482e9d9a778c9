#include "frmAccess.h"

#include "PasswordGate.h"
#include "Runtime.h"
#include "Schema.h"

namespace {
TextBox* passwordBox(QWidget* frame, const char* name) {
    TextBox* box = named(new TextBox(frame), name);
    box->setTypingLimit(8);
    box->setAlignment(Qt::AlignCenter);
    return box;
}

Label* codeLabel(QWidget* window, const char* name) {
    Label* label = named(new Label(window), name);
    label->setAutoFillBackground(true);
    QPalette p = label->palette();
    p.setColor(QPalette::Window, Qt::yellow);
    label->setPalette(p);
    label->hide();
    return label;
}
} // namespace

frmAccess::frmAccess() : Form(Name) {
    setCaption(QStringLiteral("Настройки доступа"));
    setClientSize(8130, 4545);

    Data2 = named(new DataControl(this, Tables::Passwords().name), "Data2");
    place(Data2, 5520, 4080, 1215, 345);
    Data2->hide();
    Data1 = named(new DataControl(this, Tables::Access().name), "Data1");
    place(Data1, 6840, 4080, 1215, 345);
    Data1->hide();
    cmdBack = named(new CommandButton(this, QStringLiteral("Назад")), "cmdBack");
    place(cmdBack, 120, 3960, 1215, 495);

    fraPass = named(new Frame(this, QStringLiteral("Доступ к настройке уровня доступа")), "fraPass");
    place(fraPass, 120, 2880, 7935, 975);
    Text2 = passwordBox(fraPass, "Text2");
    place(Text2, 5400, 240, 2415, 495);
    Text2->setDataSource(Data2, Fields::Passwords::Look);
    OptPassPass = named(new OptionButton(fraPass, QStringLiteral("Доступ с паролем")), "OptPassPass");
    place(OptPassPass, 2760, 360, 2535, 375);
    optPassYes = named(new OptionButton(fraPass, QStringLiteral("Доступ свободный")), "optPassYes");
    place(optPassYes, 120, 360, 2535, 375);
    optPassYes->setChecked(true);

    fraSetting = named(new Frame(this, QStringLiteral("Доступ к программе настройки")), "fraSetting");
    place(fraSetting, 120, 1800, 7935, 975);
    Text1 = passwordBox(fraSetting, "Text1");
    place(Text1, 5400, 240, 2415, 495);
    Text1->setDataSource(Data2, Fields::Passwords::Settings);
    OptSetPass = named(new OptionButton(fraSetting, QStringLiteral("Доступ с паролем")), "OptSetPass");
    place(OptSetPass, 2760, 360, 2535, 375);
    OptSetYes = named(new OptionButton(fraSetting, QStringLiteral("Доступ свободный")), "OptSetYes");
    place(OptSetYes, 120, 360, 2535, 375);
    OptSetYes->setChecked(true);

    fraMain = named(new Frame(this, QStringLiteral("Доступ к главной программе запуска")), "fraMain");
    place(fraMain, 120, 120, 7935, 1575);
    txtMain = passwordBox(fraMain, "txtMain");
    place(txtMain, 120, 840, 7695, 495);
    txtMain->setDataSource(Data2, Fields::Passwords::Progr);
    optMainNo = named(new OptionButton(fraMain, QStringLiteral("Доступ запрещен")), "optMainNo");
    place(optMainNo, 5400, 360, 2415, 375);
    OptMainPass = named(new OptionButton(fraMain, QStringLiteral("Доступ с паролем")), "OptMainPass");
    place(OptMainPass, 2760, 360, 2535, 375);
    OptMainYes = named(new OptionButton(fraMain, QStringLiteral("Доступ свободный")), "OptMainYes");
    place(OptMainYes, 120, 360, 2535, 375);
    OptMainYes->setChecked(true);

    lblPass = codeLabel(this, "lblPass");
    place(lblPass, 4200, 3960, 1215, 495);
    lblPass->setDataSource(Data1, Fields::Access::Password);
    lblSet = codeLabel(this, "lblSet");
    place(lblSet, 2880, 3960, 1215, 495);
    lblSet->setDataSource(Data1, Fields::Access::Settings);
    lblMain = codeLabel(this, "lblMain");
    place(lblMain, 1560, 3960, 1215, 495);
    lblMain->setDataSource(Data1, Fields::Access::MainProg);

    // The options of the three frames, "Назад", then the three password boxes.
    const QList<QWidget*> tabOrder{OptMainYes,  OptMainPass, optMainNo, OptSetYes, OptSetPass, optPassYes,
                                   OptPassPass, cmdBack,     txtMain,   Text1,     Text2};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    setInitialFocus(OptMainYes);

    OptMainYes->onClick([this] { OptMainYes_Click(); });
    OptMainPass->onClick([this] { OptMainPass_Click(); });
    optMainNo->onClick([this] { optMainNo_Click(); });
    OptSetYes->onClick([this] { OptSetYes_Click(); });
    OptSetPass->onClick([this] { OptSetPass_Click(); });
    optPassYes->onClick([this] { optPassYes_Click(); });
    OptPassPass->onClick([this] { OptPassPass_Click(); });
    cmdBack->onClick([this] { cmdBack_Click(); });
}

void frmAccess::Form_Load() {
    Data1->DatabaseName = DatabasePath();
    Data2->DatabaseName = DatabasePath();
}

void frmAccess::Form_Activate() {
    if (lblMain->text() == AccessLevel::Free)
        OptMainYes->setValue(true);
    if (lblMain->text() == AccessLevel::WithPassword)
        OptMainPass->setValue(true);
    if (lblMain->text() == AccessLevel::Denied)
        optMainNo->setValue(true);
    if (lblSet->text() == AccessLevel::Free)
        OptSetYes->setValue(true);
    if (lblSet->text() == AccessLevel::WithPassword)
        OptSetPass->setValue(true);
    if (lblPass->text() == AccessLevel::Free)
        optPassYes->setValue(true);
    if (lblPass->text() == AccessLevel::WithPassword)
        OptPassPass->setValue(true);
}

void frmAccess::OptMainYes_Click() {
    lblMain->storeText(AccessLevel::Free);
}

void frmAccess::OptMainPass_Click() {
    lblMain->storeText(AccessLevel::WithPassword);
}

void frmAccess::optMainNo_Click() {
    lblMain->storeText(AccessLevel::Denied);
}

void frmAccess::OptSetYes_Click() {
    lblSet->storeText(AccessLevel::Free);
}

void frmAccess::OptSetPass_Click() {
    lblSet->storeText(AccessLevel::WithPassword);
}

void frmAccess::optPassYes_Click() {
    lblPass->storeText(AccessLevel::Free);
}

void frmAccess::OptPassPass_Click() {
    lblPass->storeText(AccessLevel::WithPassword);
}

void frmAccess::cmdBack_Click() {
    // Both records are stored before anything closes: when the database refuses them the user
    // chooses to stay with everything typed, or to leave without it.
    if (!rt::StoreBeforeUnload(*this))
        return;
    rt::Unload(*this);
    rt::UnloadNamed(Gates::Pass.name);
}

void frmAccess::closeBox_Click() {
    // The gate behind would open the editor again at once on a free code: the close box leaves
    // both, as "Назад" does.
    cmdBack_Click();
}
