#include "frmMainSettings.h"

#include "BuiltinPictures.h"
#include "FrmMainOpt.h"
#include "PasswordGate.h"
#include "Runtime.h"

PasswordGate& frmMainSettings() {
    return static_cast<PasswordGate&>(rt::formNamed(QStringLiteral("frmMainSettings"), [] {
        GateSettings s;
        s.name = QStringLiteral("frmMainSettings");
        s.caption = QStringLiteral("Настройки");
        s.icon = BuiltinPictures::settingsWindowIcon();
        s.clientWidth = 4500;
        s.clientHeight = 1620;
        s.codeField = QStringLiteral("Settings");
        s.passwordField = QStringLiteral("Settings");
        s.passwordLabel = QStringLiteral("lblPass");
        s.successor = []() -> Form& { return rt::form<FrmMainOpt>(); };
        s.cancelEnds = true;
        return new PasswordGate(s);
    }));
}
