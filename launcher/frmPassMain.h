#pragma once
// Orvanto's startup gate in front of the category menu.

class PasswordGate;

PasswordGate& frmPassMain();
