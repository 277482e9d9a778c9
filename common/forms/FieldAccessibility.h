#pragma once
// What assistive tools read from labels and text boxes. A bound field that its window does not
// show (the gates' stored password and access code, copies kept for the code) tells them nothing
// and takes nothing from them; a shown one reads and edits as Qt's own label and line edit do.
// Whether a field is shown is asked at each query, as a window may hide or show it at any time.

// Called by every label and text box; installs the accessibility factory once.
void installFieldAccessibility();
