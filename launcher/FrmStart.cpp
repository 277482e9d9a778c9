#include "FrmStart.h"

#include "BuiltinPictures.h"
#include "Database.h"
#include "FrmMain.h"
#include "Platform.h"
#include "Runtime.h"
#include "Schema.h"

namespace {
const QString Ready = QStringLiteral("Статус: Готово.");
const QString Searching = QStringLiteral("Статус: Идет поиск.");
const QString GivenUp = QStringLiteral("Статус: Поиск не дал результатов.");
constexpr quint64 GiveUpAfter = 100;
} // namespace

FrmStart::FrmStart() : Form(Name) {
    setCaption(QStringLiteral("Выбор программы"));
    setIconPicture(BuiltinPictures::launcherWindowIcon());
    setClientSize(6840, 4125);

    Data1 = named(new DataControl(this, Tables::Fixing().name), "Data1");
    place(Data1, 120, 4920, 1140, 345);
    Data1->hide();
    Timer2 = named(new Timer(this, 50), "Timer2");
    Timer1 = named(new Timer(this, 10), "Timer1");
    cmdOpen = named(new CommandButton(this, QStringLiteral("Запуск")), "cmdOpen");
    place(cmdOpen, 3360, 3120, 3375, 495);
    cmdOpen->setToolTip(QStringLiteral("Запустить программу"));
    DatChange = named(new DataControl(this, Tables::Programs().name, true), "DatChange");
    DatChange->setCaption(QStringLiteral("               Выбор программы"));
    place(DatChange, 120, 2640, 6660, 465);
    DatChange->setToolTip(QStringLiteral("Выбор программы"));
    cmdBack = named(new CommandButton(this, QStringLiteral("Назад")), "cmdBack");
    place(cmdBack, 120, 3120, 3255, 495);
    cmdBack->setToolTip(QStringLiteral("В главное меню"));
    lblFind = named(new Label(this), "lblFind");
    place(lblFind, 2760, 120, 735, 495);
    lblFind->hide();
    LblStatus = named(new Label(this), "LblStatus");
    LblStatus->QLabel::setText(Ready);
    place(LblStatus, 120, 3720, 6615, 255);
    LblStatus->setAlignment(Qt::AlignCenter);
    lblfixTime = named(new Label(this), "lblfixTime");
    place(lblfixTime, 2880, 4800, 495, 495);
    lblfixTime->setDataSource(Data1, Fields::Fixing::FixTime);
    lblfixTime->hide();
    lblFixDate = named(new Label(this), "lblFixDate");
    place(lblFixDate, 2160, 4800, 495, 495);
    lblFixDate->setDataSource(Data1, Fields::Fixing::FixDate);
    lblFixDate->hide();
    lblFixName = named(new Label(this), "lblFixName");
    place(lblFixName, 1440, 4800, 495, 495);
    lblFixName->setDataSource(Data1, Fields::Fixing::Name);
    lblFixName->hide();
    lblIconCat = named(new Label(this), "lblIconCat");
    place(lblIconCat, 3600, 120, 495, 495);
    lblIconCat->setDataSource(DatChange, Fields::Programs::IconDir);
    lblIconCat->hide();
    LblType = named(new Label(this), "LblType");
    place(LblType, 4200, 120, 615, 495);
    LblType->setDataSource(DatChange, Fields::Programs::Type);
    LblType->hide();
    lblComp = named(new Label(this), "lblComp");
    place(lblComp, 1200, 720, 5535, 495);
    lblComp->setDataSource(DatChange, Fields::Programs::Company);
    lblComp->setAlignment(Qt::AlignCenter);
    lblComp->setFont(courierNewFont(24));
    QPalette darkBlue = lblComp->palette();
    darkBlue.setColor(QPalette::WindowText, QColor(0, 0, 192));
    lblComp->setPalette(darkBlue);
    lblDir = named(new Label(this), "lblDir");
    place(lblDir, 4920, 120, 615, 495);
    lblDir->setDataSource(DatChange, Fields::Programs::Directory);
    lblDir->hide();
    lblName = named(new Label(this), "lblName");
    place(lblName, 960, 1560, 5775, 975);
    lblName->setDataSource(DatChange, Fields::Programs::Name);
    lblName->setAlignment(Qt::AlignCenter);
    lblName->setFont(courierFont(15));
    ImgIcon = named(new Image(this), "ImgIcon");
    place(ImgIcon, 120, 1800, 720, 720);
    ImgIcon->setPicture(BuiltinPictures::genericProgramIcon());
    lblCategories = named(new Label(this), "lblCategories");
    place(lblCategories, 120, 120, 3015, 255);
    ImgCatName = named(new Image(this), "ImgCatName");
    place(ImgCatName, 120, 480, 1005, 1005);
    ImgCatName->setPicture(BuiltinPictures::categoryPlaceholder());

    setTabOrder(cmdBack, cmdOpen);
    setInitialFocus(cmdBack);

    Timer2->onTick([this] { Timer2_Timer(); });
    Timer1->onTick([this] { Timer1_Timer(); });
    cmdOpen->onClick([this] { cmdOpen_Click(); });
    DatChange->onMouseDown([this] { DatChange_MouseDown(); });
    cmdBack->onClick([this] { cmdBack_Click(); });
}

void FrmStart::Form_Load() {
    Data1->DatabaseName = DatabasePath();
    DatChange->DatabaseName = DatabasePath();
}

void FrmStart::Form_Activate() {
    const FrmMain* menu = rt::loaded<FrmMain>();
    lblCategories->QLabel::setText(menu ? menu->lblCategories->text() : QString());
    ImgCatName->setPicture(menu ? menu->ImgPicture->picture() : QImage());
    FindCount = 0;
}

void FrmStart::Timer1_Timer() {
    rt::silently([this] {
        if (LblType->text() != lblCategories->text()) {
            lblFind->QLabel::setText(QString::number(FindCount));
            if (FindCount < FindCountMax)
                ++FindCount;
            DatChange->records().MoveNext();
            setMousePointer(11);
            cmdOpen->setEnabled(false);
            LblStatus->QLabel::setText(Searching);
            lblComp->hide();
            lblName->hide();
            ImgIcon->hide();
        } else {
            cmdOpen->setEnabled(true);
            setMousePointer(0);
            LblStatus->QLabel::setText(Ready);
            lblComp->show();
            lblName->show();
            ImgIcon->show();
        }
        if (lblName->text().isEmpty())
            DatChange->records().MoveFirst();
        if (FindCount > GiveUpAfter) {
            setMousePointer(0);
            LblStatus->QLabel::setText(GivenUp);
            lblComp->hide();
            lblName->hide();
            ImgIcon->hide();
            cmdOpen->setEnabled(false);
            DatChange->setEnabled(false);
            Timer1->setInterval(0);
        }
    });
}

void FrmStart::Timer2_Timer() {
    rt::silently([this] { ImgIcon->setPicture(LoadPicture(lblIconCat->text())); });
}

void FrmStart::DatChange_MouseDown() {
    FindCount = 0;
}

void FrmStart::cmdOpen_Click() {
    rt::silently([this] {
        Shell(lblDir->text(), vbNormalFocus);
        // Read now: a locked database can hold the store up for seconds, and the log tells when the
        // program started.
        const LaunchRecord launch{lblName->text(), DateText(), TimeText()};
        try {
            Data1->records().AddNew();
            writeUnsaved();
        } catch (const std::exception&) {
            // The program runs, so its record must not vanish: it waits for the next store point.
            m_unsaved.append(launch);
            return;
        }
        fill(launch);
        // On disk before the handler returns, so that a killed launcher loses no start. A refused
        // store keeps the record pending for the next store point.
        Data1->storePending();
    });
}

void FrmStart::cmdBack_Click() {
    if (storeLaunchLog())
        rt::Unload(*this);
}

void FrmStart::closeBox_Click() {
    // Each launch is stored as it starts, and what could not be passes the same last store point.
    cmdBack_Click();
}

void FrmStart::fill(const LaunchRecord& launch) {
    lblFixName->storeText(launch.name);
    lblFixDate->storeText(launch.fixDate);
    lblfixTime->storeText(launch.fixTime);
}

// Writes the records kept back by failed stores, oldest first, each stored by the AddNew that
// follows it. On a failure the record being written stays pending in Data1 and the rest stay here.
void FrmStart::writeUnsaved() {
    while (!m_unsaved.isEmpty()) {
        fill(m_unsaved.takeFirst());
        Data1->records().AddNew();
    }
}

// The last store point of an opening. What still cannot be stored is named to the user, who stays
// to try again or leaves without it. True: the window may close.
bool FrmStart::storeLaunchLog() {
    if (!Data1->isOpen())
        return true;
    try {
        if (!m_unsaved.isEmpty()) {
            Data1->records().AddNew();
            writeUnsaved();
        }
        Data1->storePending();
        return true;
    } catch (const std::exception& e) {
        QStringList lost;
        Recordset& rs = Data1->records();
        if (rs.isNew() && rs.isChanged())
            lost
                << QStringLiteral("%1 %2 %3").arg(lblFixName->text(), lblFixDate->text(), lblfixTime->text());
        for (const LaunchRecord& r : std::as_const(m_unsaved))
            lost << QStringLiteral("%1 %2 %3").arg(r.name, r.fixDate, r.fixTime);
        // The launches are listed here, so only the reason is taken from the failure.
        const auto* db = dynamic_cast<const DbError*>(&e);
        if (rt::AskToStayAndStoreAgain(
                QStringLiteral("Запуски программ не записаны в журнал:\n%1\n\n%2")
                    .arg(lost.join(QLatin1Char('\n')), db ? db->reason() : QString::fromUtf8(e.what()))))
            return false;
        rs.discardChanges();
        m_unsaved.clear();
        return true;
    }
}
