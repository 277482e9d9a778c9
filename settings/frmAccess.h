#pragma once
// The access-level and password editor: the three access codes and the three passwords on which
// the three password gates act.

#include "Controls.h"
#include "DataControl.h"
#include "Form.h"

class frmAccess : public Form {
public:
    static inline const QString Name = QStringLiteral("frmAccess");
    frmAccess();

    void Form_Load() override;
    void Form_Activate() override;
    void OptMainYes_Click();
    void OptMainPass_Click();
    void optMainNo_Click();
    void OptSetYes_Click();
    void OptSetPass_Click();
    void optPassYes_Click();
    void OptPassPass_Click();
    void cmdBack_Click();
    void closeBox_Click() override;

    DataControl* Data2; // Passwords
    DataControl* Data1; // Access
    CommandButton* cmdBack;
    Frame* fraPass;
    TextBox* Text2;
    OptionButton* OptPassPass;
    OptionButton* optPassYes;
    Frame* fraSetting;
    TextBox* Text1;
    OptionButton* OptSetPass;
    OptionButton* OptSetYes;
    Frame* fraMain;
    TextBox* txtMain;
    OptionButton* optMainNo;
    OptionButton* OptMainPass;
    OptionButton* OptMainYes;
    Label* lblPass;
    Label* lblSet;
    Label* lblMain;
};
