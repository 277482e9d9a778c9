#pragma once
// Settings' startup gate in front of the operation menu.

class PasswordGate;

PasswordGate& frmMainSettings();
