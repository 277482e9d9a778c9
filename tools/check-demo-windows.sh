#!/bin/bash
# Checks that every program of a fresh demo database opens a visible window when started as the
# chooser starts it (directly, in its own folder), on a private X display.
# Needs a build with the default preset, and: apt-get install xvfb x11-utils sqlite3
# Every way out says why; the display, the programs and anything they started end with the check.
set -euo pipefail
cd "$(dirname "$0")/.."

die() {
    echo "check-demo-windows: $*" >&2
    exit 2
}

for tool in Xvfb xwininfo sqlite3 setsid; do
    command -v "$tool" >/dev/null || die "$tool is missing: apt-get install xvfb x11-utils sqlite3"
done
[ -x build/bin/prepare-dataprog ] || die "build/bin/prepare-dataprog is missing: build with the default preset first"

work=$(mktemp -d) || die "cannot make a temporary folder"
xvfb=
program=
# Whether a process runs, a zombie not counted.
running() {
    local stat
    stat=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null) || return 1
    [ "${stat:0:1}" != Z ]
}
# Each program leads a process group of its own, so whatever it started goes with it.
stop_group() {
    kill -TERM -- "-$1" 2>/dev/null || true
    for _ in $(seq 50); do
        running "$1" || break
        sleep 0.1
    done
    kill -KILL -- "-$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}
cleanup() {
    if [ -n "$program" ]; then stop_group "$program"; fi
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

db=$work/DataProg.mdb
QT_QPA_PLATFORM=offscreen build/bin/prepare-dataprog "$db" --demo || die "prepare-dataprog could not make $db"
# The programs show their windows on the private display, not offscreen.
unset QT_QPA_PLATFORM
# No session bus: without one, a Qt program would have D-Bus autolaunched on the display, leaving a
# daemon behind that no one stops. An address where nothing listens makes it go without.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-session-bus"
# Xvfb picks a free display number and writes it once it is ready for clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || die "Xvfb did not start"
display=$(cat "$work/display") || die "cannot read the display number Xvfb wrote"
export DISPLAY=":$display"

# The viewable top-level windows, one id a line. A window that goes away while it is looked at, or
# is not mapped, is left out; only a display that cannot be asked at all is a failure.
viewable() {
    local tree w info
    tree=$(xwininfo -root -children 2>/dev/null) || return 1
    for w in $(awk '/^ +0x/ {print $1}' <<<"$tree"); do
        info=$(xwininfo -id "$w" 2>/dev/null) || continue
        if [[ $info == *"Map State: IsViewable"* ]]; then echo "$w"; fi
    done | sort
}

programs=$(sqlite3 -separator '|' "$db" 'SELECT Type, Name, Directory FROM Programs ORDER BY Id') ||
    die "cannot read the programs of $db"
categories=$(sqlite3 "$db" 'SELECT COUNT(*) FROM Types') || die "cannot count the categories of $db"
empty=$(sqlite3 "$db" 'SELECT COUNT(*) FROM Types WHERE NameType NOT IN (SELECT Type FROM Programs)') ||
    die "cannot count the categories of $db without a program"

failed=0
while IFS='|' read -r type name path; do
    [ -n "$path" ] || continue
    viewable >"$work/before" || die "cannot list the windows of display $DISPLAY"
    (cd "$(dirname "$path")" && exec setsid "$path") >/dev/null 2>&1 &
    program=$!
    shown=no
    for _ in $(seq 100); do
        now=$(viewable) || die "cannot list the windows of display $DISPLAY"
        if [ -n "$(comm -13 "$work/before" - <<<"$now")" ]; then
            shown=yes
            break
        fi
        sleep 0.1
    done
    stop_group "$program"
    program=
    if [ "$shown" = yes ]; then
        echo "window   $type: $name ($path)"
    else
        echo "NO WINDOW $type: $name ($path)"
        failed=1
    fi
done <<<"$programs"

echo "$categories categories, $empty without a program"
# An empty demo would leave a newcomer nothing to start.
if [ "$categories" -eq 0 ]; then
    echo "FAILED: the demo has no category" >&2
    failed=1
fi
if [ "$empty" -ne 0 ]; then
    echo "FAILED: $empty categories have no program" >&2
    failed=1
fi
if [ "$failed" -ne 0 ]; then echo "FAILED: see the lines above" >&2; fi
exit $failed
