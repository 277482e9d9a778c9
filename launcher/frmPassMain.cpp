#include "frmPassMain.h"

#include "BuiltinPictures.h"
#include "FrmMain.h"
#include "PasswordGate.h"
#include "Runtime.h"

PasswordGate& frmPassMain() {
    return static_cast<PasswordGate&>(rt::formNamed(QStringLiteral("frmPassMain"), [] {
        GateSettings s;
        s.name = QStringLiteral("frmPassMain");
        s.caption = QStringLiteral("Пароль");
        s.icon = BuiltinPictures::launcherWindowIcon();
        s.clientWidth = 4560;
        s.clientHeight = 1665;
        s.codeField = QStringLiteral("MainProg");
        s.passwordField = QStringLiteral("Progr");
        s.passwordLabel = QStringLiteral("lblpass");
        s.successor = []() -> Form& { return rt::form<FrmMain>(); };
        return new PasswordGate(s);
    }));
}
