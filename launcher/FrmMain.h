#pragma once
// Orvanto's category menu: one category of Types at a time, its name and picture, a navigator over
// the categories, and the ways on: the program chooser, Settings, the help program and the exit.

#include "Controls.h"
#include "DataControl.h"
#include "Form.h"

class FrmMain : public Form {
public:
    static inline const QString Name = QStringLiteral("FrmMain");
    FrmMain();

    void Form_Load() override;
    void Form_Activate() override;
    void tmrPic_Timer();
    void cmdOpen_Click();
    void cmdEnd_Click();
    void CmdHelp_Click();
    void imgSet_DblClick();

    CommandButton* CmdHelp;
    Timer* tmrPic;
    CommandButton* cmdOpen;
    CommandButton* cmdEnd;
    DataControl* DatCategories;
    Image* ImgPicture;
    Label* LblIcon;
    Label* lblCategories;
    Image* imgSet;
};
