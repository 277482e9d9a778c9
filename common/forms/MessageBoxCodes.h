#pragma once
// The button sets a message box is asked for and the answers it gives, as the windows' code knows
// them.

namespace rt {
enum { vbOKOnly = 0, vbYesNo = 4 };
enum { vbOK = 1, vbYes = 6, vbNo = 7 };
} // namespace rt
