#pragma once
// The gate in front of the access-level and password editor.

class PasswordGate;

PasswordGate& frmPass();
