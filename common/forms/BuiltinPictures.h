#pragma once
// Pictures the programs carry inside themselves, drawn at run time: the placeholder shown for a
// category whose picture cannot be found, and the programs' own icons. No image files are needed.

#include <QIcon>
#include <QImage>

namespace BuiltinPictures {
// 400 x 400, 24-bit: grey field, magenta frame, "Не найдена категория" in yellow, a blue star.
QImage categoryPlaceholder();
// 48 x 48, 256 colours.
QImage launcherIcon();
QImage settingsIcon();
// size 32 or 16 (any other size gives 32), 16 colours.
QImage addEditorIcon(int size);
// 48 x 48: a window with a title bar, for a program that has no icon of its own.
QImage genericProgramIcon();

QIcon launcherWindowIcon();
QIcon settingsWindowIcon();
QIcon addEditorWindowIcon();
} // namespace BuiltinPictures
