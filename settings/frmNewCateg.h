#pragma once
// (being built)

#include "Controls.h"
#include "DataControl.h"
#include "Form.h"

class frmNewCateg : public Form {
public:
    static inline const QString Name = QStringLiteral("frmNewCateg");
    frmNewCateg();

    void cmdBack_Click();

    CommandButton* cmdBack;
};
