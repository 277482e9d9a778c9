#pragma once
// The program chooser: finds the programs of the category chosen in the menu, starts one and logs
// each successful start.

#include "Controls.h"
#include "DataControl.h"
#include "Form.h"
#include "Schema.h"

#include <QList>
#include <limits>

class FrmStart : public Form {
public:
    static inline const QString Name = QStringLiteral("FrmStart");
    FrmStart();

    void Form_Load() override;
    void Form_Activate() override;
    void Timer1_Timer();
    void Timer2_Timer();
    void DatChange_MouseDown();
    void cmdOpen_Click();
    void cmdBack_Click();
    void closeBox_Click() override;

    // Mismatching search steps since the last reset. On an empty Programs table it grows by one
    // per tick for as long as the window stays open, so it stops at its largest value instead of
    // wrapping back below the give-up limit.
    quint64 FindCount = 0;
    static constexpr quint64 FindCountMax = std::numeric_limits<quint64>::max();

    DataControl* Data1;
    Timer* Timer2;
    Timer* Timer1;
    CommandButton* cmdOpen;
    DataControl* DatChange;
    CommandButton* cmdBack;
    Label* lblFind;
    Label* LblStatus;
    Label* lblfixTime;
    Label* lblFixDate;
    Label* lblFixName;
    Label* lblIconCat;
    Label* LblType;
    Label* lblComp;
    Label* lblDir;
    Label* lblName;
    Image* ImgIcon;
    Label* lblCategories;
    Image* ImgCatName;

private:
    void fill(const LaunchRecord& launch);
    void writeUnsaved();
    bool storeLaunchLog();

    QList<LaunchRecord> m_unsaved;

public:
    // Test seams
    // Launch records of started programs that could not be stored yet, oldest first.
    const QList<LaunchRecord>& unsavedLaunches() const { return m_unsaved; }
};
