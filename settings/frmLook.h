#pragma once
// (being built)

#include "Controls.h"
#include "DataControl.h"
#include "Form.h"

class frmLook : public Form {
public:
    static inline const QString Name = QStringLiteral("frmLook");
    frmLook();

    void cmdBack_Click();

    CommandButton* cmdBack;
};
