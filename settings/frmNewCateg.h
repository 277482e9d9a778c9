#pragma once
// Settings' category editor: steps through Types, names categories, adds and deletes them and gives
// each a picture chosen in an open-file dialog, with a preview that follows the path.

#include "Controls.h"
#include "DataControl.h"
#include "FileDialog.h"
#include "Form.h"

class frmNewCateg : public Form {
public:
    static inline const QString Name = QStringLiteral("frmNewCateg");
    frmNewCateg();

    void Form_Load() override;
    void Timer1_Timer();
    void cmdAdd_Click();
    void cmdDelete_Click();
    void cmdBrowser_Click();
    void Data1_MouseUp();
    void cmdBack_Click();
    void closeBox_Click() override;

    Timer* Timer1;
    CommandButton* cmdBrowser;
    FileDialog dlg;
    TextBox* txtName;
    DataControl* Data1;
    CommandButton* cmdDelete;
    CommandButton* cmdAdd;
    CommandButton* cmdBack;
    Label* Label3;
    Label* lblPic;
    Label* Label2;
    Image* ImgPic;
    Label* Label1;

private:
    void fillEmptyPicture();
    QString missingField() const;
};
