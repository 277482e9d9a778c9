#include "PasswordGate.h"

#include "Runtime.h"
#include "Schema.h"

PasswordGate& PasswordGate::load(const GateSettings& settings, std::function<Form&()> successor) {
    return static_cast<PasswordGate&>(
        rt::formNamed(settings.name, [&] { return new PasswordGate(settings, std::move(successor)); }));
}

PasswordGate::PasswordGate(const GateSettings& settings, std::function<Form&()> successor)
    : Form(settings.name), m_settings(settings), m_successor(std::move(successor)) {
    setCaption(m_settings.caption);
    if (m_settings.icon)
        setIconPicture(m_settings.icon());
    setClientSize(m_settings.clientWidth, m_settings.clientHeight);

    cmdOk = named(new CommandButton(this, QStringLiteral("Принять")), "cmdOk");
    place(cmdOk, 2880, 960, 1215, 495);
    cmdExit = named(new CommandButton(this, QStringLiteral("Отмена")), "cmdExit");
    place(cmdExit, 360, 960, 1215, 495);
    txtPassword = named(new TextBox(this), "txtPassword");
    place(txtPassword, 360, 240, 3735, 495);
    txtPassword->setMaxLength(8);
    txtPassword->setAlignment(Qt::AlignCenter);

    Data1 = named(new DataControl(this, Tables::Passwords().name), "Data1");
    Data1->hide();
    Data2 = named(new DataControl(this, Tables::Access().name), "Data2");
    Data2->hide();
    lblpass = new Label(this);
    lblpass->setObjectName(m_settings.passwordLabel);
    lblpass->setDataSource(Data1, m_settings.passwordField);
    lblpass->hide();
    lblAccess = named(new Label(this), "lblAccess");
    lblAccess->setDataSource(Data2, m_settings.codeField);
    lblAccess->hide();

    if (m_settings.okFirst) {
        setTabOrder(cmdOk, cmdExit);
        setTabOrder(cmdExit, txtPassword);
        setInitialFocus(cmdOk);
    } else {
        setTabOrder(txtPassword, cmdExit);
        setTabOrder(cmdExit, cmdOk);
        setInitialFocus(txtPassword);
    }

    cmdOk->onClick([this] { cmdOk_Click(); });
    cmdExit->onClick([this] { cmdExit_Click(); });
}

void PasswordGate::Form_Load() {
    Data1->DatabaseName = DatabasePath();
    Data2->DatabaseName = DatabasePath();
}

void PasswordGate::Form_Activate() {
    if (refusesEntry())
        return;
    if (lblAccess->text() == AccessLevel::Free)
        showSuccessor();
}

void PasswordGate::cmdOk_Click() {
    // A gate may stand open for days: it judges by the code and the password stored now, so that
    // a password changed or an entry denied since it opened holds at once.
    Data1->records().Requery();
    Data2->records().Requery();
    if (refusesEntry())
        return;
    if (lblpass->text() == txtPassword->text())
        showSuccessor();
    else
        rt::MsgBox(QStringLiteral("Облом"));
}

void PasswordGate::cmdExit_Click() {
    if (m_settings.cancelEnds)
        rt::End();
    else
        rt::Unload(*this);
}

bool PasswordGate::refusesEntry() {
    // Without its code or its password record the gate cannot judge anyone: it lets nobody in,
    // rather than admit an empty password box.
    QString refusal;
    for (DataControl* source : {Data1, Data2})
        if (refusal.isEmpty() && !source->records().hasCurrent())
            refusal = Missing::record(source->DatabaseName, source->RecordSource());
    if (refusal.isEmpty() && lblAccess->text() == AccessLevel::Denied)
        refusal = QStringLiteral("Доступ запрещен");
    if (refusal.isEmpty())
        return false;
    rt::MsgBox(refusal);
    cmdOk->setEnabled(false);
    txtPassword->setVisible(false);
    return true;
}

void PasswordGate::showSuccessor() {
    // The successor may unload this gate: nothing of the gate is touched after the show.
    Form& next = m_successor();
    if (m_settings.successorModal)
        rt::ShowModal(next);
    else
        rt::Show(next);
}
