#pragma once
// The program chooser: finds the programs of the category chosen in the menu, starts one and logs
// each successful start.

#include "Controls.h"
#include "DataControl.h"
#include "Form.h"

class FrmStart : public Form {
public:
    static inline const QString Name = QStringLiteral("FrmStart");
    FrmStart();

    void cmdBack_Click();

    CommandButton* cmdBack;
};
