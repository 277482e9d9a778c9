#include "frmPass.h"

#include "PasswordGate.h"
#include "Runtime.h"
#include "frmAccess.h"

PasswordGate& frmPass() {
    return static_cast<PasswordGate&>(rt::formNamed(QStringLiteral("frmPass"), [] {
        GateSettings s;
        s.name = QStringLiteral("frmPass");
        s.caption = QStringLiteral("Пароль");
        s.clientWidth = 4500;
        s.clientHeight = 1620;
        s.codeField = QStringLiteral("Password");
        s.passwordField = QStringLiteral("Look");
        s.passwordLabel = QStringLiteral("lblpass");
        s.successor = []() -> Form& { return rt::form<frmAccess>(); };
        s.successorModal = true;
        s.okFirst = true;
        return new PasswordGate(s);
    }));
}
