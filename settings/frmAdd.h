#pragma once
// Settings' program-records editor: steps through Programs, adds, edits and deletes records, picks
// the executable and the icon with open-file dialogs and sets a program's category by stepping the
// category chooser over Types.

#include "Controls.h"
#include "DataControl.h"
#include "FileDialog.h"
#include "Form.h"

class frmAdd : public Form {
public:
    static inline const QString Name = QStringLiteral("frmAdd");
    frmAdd();

    void Form_Load() override;
    void cmdAdd_Click();
    void cmdEdit_Click();
    void cmdDelete_Click();
    void cmdExeBrowser_Click();
    void cmdIcoBrowser_Click();
    void cmdNewCat_Click();
    void Data1_MouseUp();
    void DatEdit_MouseDown();
    void cmdBack_Click();
    void closeBox_Click() override;

    CommandButton* cmdEdit;
    TextBox* txtCopy;
    DataControl* Data1;
    FileDialog cdlIcon;
    CommandButton* cmdIcoBrowser;
    FileDialog CdlExe;
    CommandButton* cmdExeBrowser;
    TextBox* Text1;
    TextBox* txtName;
    CommandButton* cmdNewCat;
    CommandButton* cmdBack;
    CommandButton* cmdDelete;
    CommandButton* cmdAdd;
    DataControl* DatEdit;
    Label* Label6;
    Label* lblType;
    Label* lblIcon;
    Label* Label5;
    Label* lblDir;
    Label* Label4;
    Label* Label3;
    Label* Label2;
    Label* Label1;

private:
    void fillEmptyIcon();
    QString missingField() const;
};
