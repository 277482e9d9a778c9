#include "PasswordGate.h"
#include "ProgramStart.h"
#include "frmPassMain.h"

int main(int argc, char* argv[]) {
    return runProgram(argc, argv, QStringLiteral("Orvanto"),
                      [] { return static_cast<Form*>(&frmPassMain()); });
}
