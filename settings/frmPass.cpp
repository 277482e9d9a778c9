#include "frmPass.h"

#include "PasswordGate.h"
#include "Runtime.h"
#include "frmAccess.h"

PasswordGate& frmPass() {
    return PasswordGate::load(Gates::Pass, []() -> Form& { return rt::form<frmAccess>(); });
}
