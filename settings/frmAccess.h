#pragma once
// (being built)

#include "Controls.h"
#include "DataControl.h"
#include "Form.h"

class frmAccess : public Form {
public:
    static inline const QString Name = QStringLiteral("frmAccess");
    frmAccess();

    void cmdBack_Click();

    CommandButton* cmdBack;
};
