#include "frmPassMain.h"

#include "FrmMain.h"
#include "PasswordGate.h"
#include "Runtime.h"

PasswordGate& frmPassMain() {
    return PasswordGate::load(Gates::PassMain, []() -> Form& { return rt::form<FrmMain>(); });
}
