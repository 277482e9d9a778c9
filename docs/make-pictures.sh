#!/bin/sh
# Makes the README's pictures again (docs/menu.png, docs/chooser.png) after the windows change.
# Run it from anywhere after a build with the default preset; it needs no display.
set -eu
cd "$(dirname "$0")/.."
cmake --build --preset default --target readme-pictures Settings
QT_QPA_PLATFORM=offscreen build/docs/readme-pictures docs
