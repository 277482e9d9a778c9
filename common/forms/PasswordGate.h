#pragma once
// The small password window in front of each protected screen. One class; each instance is set up
// by its GateSettings and otherwise runs the same four handlers.

#include "BuiltinPictures.h"
#include "Controls.h"
#include "DataControl.h"
#include "Form.h"
#include "Schema.h"

#include <QIcon>
#include <functional>

struct GateSettings {
    QString name; // the window's name
    QString caption;
    QIcon (*icon)() = nullptr; // none when null; made when the gate is built, once the application runs
    int clientWidth = 4500;    // twips
    int clientHeight = 1620;
    QString codeField;     // field of Access shown by lblAccess
    QString passwordField; // field of Passwords shown by the password label
    QString passwordLabel;
    bool successorModal = false;
    bool cancelEnds = false; // "Отмена" ends the program instead of unloading the gate
    bool okFirst = false;    // tab order cmdOk, cmdExit, txtPassword and the focus on "Принять"
};

// The three gates. The window each one opens belongs to its program, which names it when it builds
// the gate.
namespace Gates {
// Orvanto's startup gate in front of the category menu.
inline const GateSettings PassMain{
    .name = QStringLiteral("frmPassMain"),
    .caption = QStringLiteral("Пароль"),
    .icon = &BuiltinPictures::launcherWindowIcon,
    .clientWidth = 4560,
    .clientHeight = 1665,
    .codeField = Fields::Access::MainProg,
    .passwordField = Fields::Passwords::Progr,
    .passwordLabel = QStringLiteral("lblpass"),
};
// Settings' startup gate in front of the operation menu.
inline const GateSettings MainSettings{
    .name = QStringLiteral("frmMainSettings"),
    .caption = QStringLiteral("Настройки"),
    .icon = &BuiltinPictures::settingsWindowIcon,
    .codeField = Fields::Access::Settings,
    .passwordField = Fields::Passwords::Settings,
    .passwordLabel = QStringLiteral("lblPass"),
    .cancelEnds = true,
};
// The gate in front of the access-level and password editor.
inline const GateSettings Pass{
    .name = QStringLiteral("frmPass"),
    .caption = QStringLiteral("Пароль"),
    .codeField = Fields::Access::Password,
    .passwordField = Fields::Passwords::Look,
    .passwordLabel = QStringLiteral("lblpass"),
    .successorModal = true,
    .okFirst = true,
};
} // namespace Gates

class PasswordGate : public Form {
public:
    // The loaded gate of these settings, built on first use; `successor` gives the window it opens.
    static PasswordGate& load(const GateSettings& settings, std::function<Form&()> successor);
    PasswordGate(const GateSettings& settings, std::function<Form&()> successor);

    void Form_Load() override;
    void Form_Activate() override;
    void cmdOk_Click();
    void cmdExit_Click();

    CommandButton* cmdOk;
    CommandButton* cmdExit;
    TextBox* txtPassword;
    DataControl* Data1; // Passwords
    DataControl* Data2; // Access
    Label* lblpass;
    Label* lblAccess;

private:
    // A missing record or the code "0": tells why, disables "Принять" and hides the password box.
    bool refusesEntry();
    void showSuccessor();
    GateSettings m_settings;
    std::function<Form&()> m_successor;
};
