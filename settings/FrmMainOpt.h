#pragma once
// Settings' operation menu: opens the three tools and keeps the access editor's gate from being
// left denied.

#include "Controls.h"
#include "DataControl.h"
#include "Form.h"

class FrmMainOpt : public Form {
public:
    static inline const QString Name = QStringLiteral("FrmMainOpt");
    FrmMainOpt();

    void Form_Load() override;
    void Form_Activate() override;
    void cmdYes_Click();
    void cmdEnd_Click();

    TextBox* txtPass;
    DataControl* Data1; // Access
    CommandButton* cmdEnd;
    CommandButton* cmdYes;
    Frame* fraOper;
    OptionButton* OptLook;
    OptionButton* OptAccess;
    OptionButton* OptAdd;
    Label* Label3;
};
