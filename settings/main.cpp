#include "PasswordGate.h"
#include "ProgramStart.h"
#include "frmMainSettings.h"

int main(int argc, char* argv[]) {
    return runProgram(argc, argv, QStringLiteral("Settings"),
                      [] { return static_cast<Form*>(&frmMainSettings()); });
}
