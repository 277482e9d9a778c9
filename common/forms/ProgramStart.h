#pragma once
// What both programs do from main(): check the database next to the program, show the startup
// window and run the event loop until the runtime ends the program.

#include <QString>
#include <functional>

class Form;

int runProgram(int argc, char* argv[], const QString& title, const std::function<Form*()>& startup);
