#include "frmMainSettings.h"

#include "FrmMainOpt.h"
#include "PasswordGate.h"
#include "Runtime.h"

PasswordGate& frmMainSettings() {
    return PasswordGate::load(Gates::MainSettings, []() -> Form& { return rt::form<FrmMainOpt>(); });
}
