#pragma once
// What both programs do from main(): check the database next to the program, show the startup
// window and run the event loop until the runtime ends the program.

#include <QString>
#include <functional>

class Form;

int runProgram(int argc, char* argv[], const QString& title, const std::function<Form*()>& startup);

// Makes Qt's own texts (the file dialog, the text boxes' context menu) Russian, as every other text
// of the system is, whatever the user's locale. False when Qt's translation is not installed: the
// program then runs with Qt's English.
bool installQtTranslation();
