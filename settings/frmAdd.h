#pragma once
// (being built)

#include "Controls.h"
#include "DataControl.h"
#include "Form.h"

class frmAdd : public Form {
public:
    static inline const QString Name = QStringLiteral("frmAdd");
    frmAdd();

    void cmdBack_Click();

    CommandButton* cmdBack;
};
