#!/usr/bin/env bash
# Builds the host and the modules, then runs the bundled example.
set -euo pipefail
cd "$(dirname "$0")/.."
bash build/deps.sh
cmake -S . -B out/release -DCMAKE_BUILD_TYPE=Release -DCADHOST_TESTS=OFF >/dev/null
cmake --build out/release -j"$(nproc)"
# With the application module (and the object enabler it is linked against) loaded, the script
# takes a picture of the module's getting-started tips and closes them with OK (a profile of the
# example's own keeps them showing whatever the user's profile says), opens the example drawing
# (made by the build), drags a grip of an intelligent door, inserts another with the host's
# INSERT (turned into an intelligent one), edits its attribute in the module's DDATTE dialog (a
# picture of the dialog is saved), sets its height on the Text Options page of the enhanced
# attribute editor (EATTEDIT, a picture again), writes the door to a drawing file and inserts that file as an
# intelligent block, lists, opens the block-library browser on its Blocks tab (a picture of the
# main window with the docked browser), exports a PNG and saves .dwg and .dxf under out/release/examples.
rm -f out/release/examples/Door.dwg out/release/examples/profile.ini
CADHOST_PROFILE="$PWD/out/release/examples/profile.ini" \
    out/release/bin/cadhost --load QuillmarkFree4 --script examples/example.scr
echo "Pictures and drawings: out/release/examples/tips.png, doors.png, ddatte.png, eattedit.png, browser.png, doors-edited.dwg, doors-edited.dxf"
