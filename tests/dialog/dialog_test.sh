#!/bin/bash
# The real Windows file-open dialog, shown by prcfix.exe under wine on a
# virtual X server and driven with xdotool as a user would drive it.
#
# usage: dialog_test.sh WINE_LOADER PRCFIX_EXE SAMPLE WORK_DIR SCREENSHOT
# WINE_LOADER is the loader of the executable's architecture; wine's own
# programs (wineboot, winepath) run through it too. Every wait is bounded;
# the run ends with "N passed, N failed".
set -u
wine=$1 exe=$2 sample=$3 work=$4 screenshot=$5
title='^Open File\.\.\.$'
. "$(dirname "$0")/../support/check.sh"
. "$(dirname "$0")/../windows/relay.sh"

rm -rf "$work" && mkdir -p "$work"
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$work/display")"
for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
echo "# X server on $DISPLAY"

# A wineserver of this test's own, whose desktop belongs to this X server:
# one started before without a display would refuse to show windows, and
# one left bound to this server after it is gone slows every later start.
# Its output goes to a file, not to this test's output, which CTest would
# otherwise wait on for as long as the server lives.
restart_wineserver() {
    wineserver -k >/dev/null 2>&1 </dev/null || true
    wineserver -p >/dev/null 2>&1 </dev/null
    "$wine" wineboot -i >>"$work/wineboot.log" 2>&1 </dev/null || true
}
restart_wineserver
relay_setup "$wine"
trap 'wineserver -k >/dev/null 2>&1 </dev/null; kill $xvfb 2>/dev/null' EXIT

# Starts prcfix.exe in directory $1 with the remaining arguments; its exit
# status lands in $1/.status.
start() {
    local dir=$1
    shift
    rm -f "$dir/.status"
    (cd "$dir" && timeout 120 "$wine" "$exe" "$@" </dev/null >"$dir/.wine.log" 2>&1; echo $? >"$dir/.status") &
}
# Prints the dialog's window id once it is shown, or nothing after 60 s.
dialog_window() {
    timeout 60 xdotool search --sync --onlyvisible --name "$title" 2>/dev/null | head -1
}
# Waits at most 60 s for the run in $1 to end and prints its status.
status_of() {
    for _ in $(seq 600); do [ -s "$1/.status" ] && break; sleep 0.1; done
    cat "$1/.status" 2>/dev/null || echo none
}
press() { # press WINDOW KEY...
    xdotool windowfocus --sync "$1" 2>/dev/null
    shift
    xdotool key --delay 100 "$@"
}
type_name() { # type_name WINDOW TEXT
    xdotool windowfocus --sync "$1" 2>/dev/null
    xdotool type --delay 40 "$2"
}
case_dir() {
    mkdir -p "$work/$1"
    cp "$sample" "$work/$1/Blue.prc"
    echo "$work/$1"
}

# What the dialog's pick must leave: the same as the path given as argument.
ref=$(case_dir reference)
timeout 60 "$wine" "$exe" "$ref/Blue.prc" </dev/null >/dev/null 2>&1
check $? "reference run by argument"
cmp -s "$ref/Blue.prc" "$sample"
check $((! $?)) "reference run changed the file"

# Pick a file by typing its name and pressing Enter.
dir=$(case_dir pick)
start "$dir"
win=$(dialog_window)
[ -n "$win" ]
check $? "no argument: the window titled 'Open File...' appears"
if [ -n "$win" ]; then
    sleep 1.5 # let it finish drawing before the screenshot
    import -window root "$screenshot" 2>/dev/null || xwd -root -silent | convert xwd:- "$screenshot"
    # The full name: the dialog may open in the last folder it showed.
    type_name "$win" "$("$wine" winepath -w "$dir/Blue.prc" 2>/dev/null)"
    press "$win" Return
fi
[ "$(status_of "$dir")" = 0 ]
check $? "picked file: status 0"
cmp -s "$dir/Blue.prc" "$ref/Blue.prc"
check $? "picked file fixed exactly as by argument"

# Escape cancels: status 0, nothing touched. Traced: before the dialog loads
# its libraries, the search for them is restricted to the system folder.
dir=$(case_dir cancel)
WINEDEBUG=+relay start "$dir"
win=$(dialog_window)
[ -n "$win" ] && press "$win" Escape
[ "$(status_of "$dir")" = 0 ]
check $? "cancelled: status 0"
cmp -s "$dir/Blue.prc" "$sample"
check $? "cancelled: file untouched"
search_restricted_before "$dir/.wine.log" 'comdlg32\.GetOpenFileNameA\('
check $? "cancelled: the library search is restricted before the dialog is asked for"

# Two or three arguments bring up the same dialog and are not looked at.
for args in "Blue.prc Other.prc" "Blue.prc Other.prc Blue.prc"; do
    dir=$(case_dir "several-${args// /-}")
    cp "$sample" "$dir/Other.prc"
    start "$dir" $args
    win=$(dialog_window)
    [ -n "$win" ]
    check $? "arguments '$args': dialog appears"
    [ -n "$win" ] && press "$win" Escape
    [ "$(status_of "$dir")" = 0 ]
    check $? "arguments '$args': cancelled with status 0"
    cmp -s "$dir/Blue.prc" "$sample" && cmp -s "$dir/Other.prc" "$sample"
    check $? "arguments '$args': named files untouched"
done

# A name that does not exist is refused and the dialog stays open.
dir=$(case_dir missing)
start "$dir"
win=$(dialog_window)
if [ -n "$win" ]; then
    type_name "$win" "$("$wine" winepath -w "$dir/Missing.prc" 2>/dev/null)"
    press "$win" Return
    sleep 3
fi
[ ! -s "$dir/.status" ]
check $? "missing name: the run goes on"
xdotool search --onlyvisible --name "$title" >/dev/null 2>&1
check $? "missing name: the dialog is still shown"
# Dismiss the refusal, then cancel.
for _ in 1 2 3 4; do
    [ -s "$dir/.status" ] && break
    w=$(xdotool search --onlyvisible --name "$title" 2>/dev/null | tail -1)
    [ -n "$w" ] && press "$w" Escape
    sleep 1.5
done
[ "$(status_of "$dir")" = 0 ]
check $? "missing name: cancelled afterwards with status 0"
cmp -s "$dir/Blue.prc" "$sample" && [ ! -e "$dir/Missing.prc" ]
check $? "missing name: nothing touched or created"

finish
