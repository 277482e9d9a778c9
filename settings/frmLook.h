#pragma once
// The launch-log viewer: lists the log and deletes its records one at a time.

#include "Controls.h"
#include "DataControl.h"
#include "Form.h"
#include "Grid.h"

class frmLook : public Form {
public:
    static inline const QString Name = QStringLiteral("frmLook");
    frmLook();

    void Form_Load() override;
    void ColWidth();
    void cmdClear_Click();
    void cmdBack_Click();

    CommandButton* cmdBack;
    CommandButton* cmdClear;
    Grid* grdLook;
    DataControl* Data1; // Fixing
};
