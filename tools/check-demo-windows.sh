#!/bin/bash
# Checks that every program of a fresh demo database opens a visible window when started as the
# chooser starts it (directly, in its own folder), on a private X display.
# Needs a build with the default preset, and: apt-get install xvfb x11-utils sqlite3
set -euo pipefail
cd "$(dirname "$0")/.."
for tool in Xvfb xwininfo sqlite3; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: apt-get install xvfb x11-utils sqlite3" >&2; exit 2; }
done

work=$(mktemp -d)
xvfb=
cleanup() { [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

QT_QPA_PLATFORM=offscreen build/bin/prepare-dataprog "$work/DataProg.mdb" --demo
# The programs show their windows on the private display, not offscreen.
unset QT_QPA_PLATFORM
# Xvfb picks a free display number and writes it once it is ready for clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 2; }
export DISPLAY=:$(cat "$work/display")

viewable() {
    xwininfo -root -children | awk '/^ +0x/ {print $1}' | while read -r w; do
        xwininfo -id "$w" 2>/dev/null | grep -q 'Map State: IsViewable' && echo "$w"
    done | sort
}

failed=0
while IFS='|' read -r type name path; do
    before=$(viewable)
    (cd "$(dirname "$path")" && exec "$path") >/dev/null 2>&1 &
    pid=$!
    shown=no
    for _ in $(seq 100); do
        if [ -n "$(comm -13 <(echo "$before") <(viewable))" ]; then shown=yes; break; fi
        sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    if [ "$shown" = yes ]; then
        echo "window   $type: $name ($path)"
    else
        echo "NO WINDOW $type: $name ($path)"
        failed=1
    fi
done < <(sqlite3 "$work/DataProg.mdb" 'SELECT Type, Name, Directory FROM Programs ORDER BY Id')

categories=$(sqlite3 "$work/DataProg.mdb" 'SELECT COUNT(*) FROM Types')
empty=$(sqlite3 "$work/DataProg.mdb" 'SELECT COUNT(*) FROM Types WHERE NameType NOT IN (SELECT Type FROM Programs)')
echo "$categories categories, $empty without a program"
# An empty demo would leave a newcomer nothing to start.
[ "$categories" -gt 0 ] && [ "$empty" -eq 0 ] || failed=1
exit $failed
