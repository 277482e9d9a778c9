#pragma once
// The exit question over the category menu.

#include "Controls.h"
#include "Form.h"

class FrmExit : public Form {
public:
    static inline const QString Name = QStringLiteral("FrmExit");
    FrmExit();

    void cmdYes_Click();
    void cmdNo_Click();

    CommandButton* cmdYes;
    CommandButton* cmdNo;
    Label* lblEnd;
};
