#include "FrmMain.h"

#include "BuiltinPictures.h"
#include "FrmExit.h"
#include "FrmStart.h"
#include "PasswordGate.h"
#include "Platform.h"
#include "Runtime.h"
#include "Schema.h"

FrmMain::FrmMain() : Form(Name) {
    setCaption(QStringLiteral("Запуск программ"));
    setIconPicture(BuiltinPictures::launcherWindowIcon());
    setClientSize(7695, 5385);

    CmdHelp = named(new CommandButton(this, QStringLiteral("Справка")), "CmdHelp");
    place(CmdHelp, 5160, 4320, 2175, 495);
    CmdHelp->setToolTip(QStringLiteral("Помощь"));
    tmrPic = named(new Timer(this, 1), "tmrPic");
    cmdOpen = named(new CommandButton(this, QStringLiteral("Открыть")), "cmdOpen");
    place(cmdOpen, 2760, 4320, 2415, 495);
    cmdOpen->setToolTip(QStringLiteral("Выбрать категорию"));
    cmdEnd = named(new CommandButton(this, QStringLiteral("Выход")), "cmdEnd");
    place(cmdEnd, 720, 4320, 2055, 495);
    cmdEnd->setToolTip(QStringLiteral("Закрыть"));
    DatCategories = named(new DataControl(this, Tables::Types().name), "DatCategories");
    DatCategories->setCaption(QStringLiteral("          Переход по категориям"));
    place(DatCategories, 720, 4800, 6660, 465);
    DatCategories->setToolTip(QStringLiteral("Смена категорий"));
    ImgPicture = named(new Image(this), "ImgPicture");
    place(ImgPicture, 2040, 720, 3405, 3405);
    ImgPicture->setToolTip(QStringLiteral("Рисунок категории"));
    ImgPicture->setPicture(BuiltinPictures::categoryPlaceholder());
    LblIcon = named(new Label(this), "LblIcon");
    place(LblIcon, 120, 120, 855, 495);
    LblIcon->setDataSource(DatCategories, Fields::Types::IconType);
    LblIcon->hide();
    lblCategories = named(new Label(this), "lblCategories");
    place(lblCategories, 1200, 120, 5175, 495);
    lblCategories->setDataSource(DatCategories, Fields::Types::NameType);
    lblCategories->setAlignment(Qt::AlignCenter);
    lblCategories->setFont(courierFont(15));
    imgSet = named(new Image(this), "imgSet");
    place(imgSet, 240, 4800, 360, 360);
    imgSet->setPicture(BuiltinPictures::settingsIcon());
    imgSet->setToolTip(QStringLiteral("Настройки"));

    setTabOrder(cmdEnd, cmdOpen);
    setTabOrder(cmdOpen, CmdHelp);
    setInitialFocus(cmdEnd);

    tmrPic->onTick([this] { tmrPic_Timer(); });
    cmdOpen->onClick([this] { cmdOpen_Click(); });
    cmdEnd->onClick([this] { cmdEnd_Click(); });
    CmdHelp->onClick([this] { CmdHelp_Click(); });
    imgSet->onDblClick([this] { imgSet_DblClick(); });
}

void FrmMain::Form_Load() {
    DatCategories->DatabaseName = DatabasePath();
}

void FrmMain::Form_Activate() {
    rt::UnloadNamed(Gates::PassMain.name);
}

void FrmMain::tmrPic_Timer() {
    rt::silently([this] { ImgPicture->setPicture(LoadPicture(LblIcon->text())); });
}

void FrmMain::cmdOpen_Click() {
    rt::ShowModal(rt::form<FrmStart>());
}

void FrmMain::cmdEnd_Click() {
    rt::ShowModal(rt::form<FrmExit>());
}

void FrmMain::CmdHelp_Click() {
    Shell(QStringLiteral("Helping.exe"), vbMinimizedFocus);
}

void FrmMain::imgSet_DblClick() {
    Shell(QStringLiteral("Settings.exe"), vbNormalFocus);
}
