#pragma once
// The small password window in front of each protected screen. One class; each instance is set up
// by its GateSettings and otherwise runs the same four handlers.

#include "Controls.h"
#include "DataControl.h"
#include "Form.h"

#include <QIcon>
#include <functional>

struct GateSettings {
    QString name; // the window's name: frmPassMain, frmMainSettings, frmPass
    QString caption;
    QIcon icon;             // none when null
    int clientWidth = 4500; // twips
    int clientHeight = 1620;
    QString codeField;     // field of Access shown by lblAccess
    QString passwordField; // field of Passwords shown by the password label
    QString passwordLabel; // lblpass, or lblPass in frmMainSettings
    std::function<Form&()> successor;
    bool successorModal = false;
    bool cancelEnds = false; // "Отмена" ends the program instead of unloading the gate
    bool okFirst = false;    // tab order cmdOk, cmdExit, txtPassword and the focus on "Принять"
};

class PasswordGate : public Form {
public:
    explicit PasswordGate(GateSettings settings);

    void Form_Load() override;
    void Form_Activate() override;
    void cmdOk_Click();
    void cmdExit_Click();

    CommandButton* cmdOk;
    CommandButton* cmdExit;
    TextBox* txtPassword;
    DataControl* Data1; // Passwords
    DataControl* Data2; // Access
    Label* lblpass;
    Label* lblAccess;

private:
    void showSuccessor();
    GateSettings m_settings;
};
