#!/usr/bin/env bash
# Runs the interrupt probe on a private Xvfb display, checks that its wait window is painted on the screen,
# and clicks its "interrompre" button with a real X event (xdotool), while a step is running. Offscreen clicks reach the widget directly; only a real event
# goes the way an operator's click goes. Exit 77 (skipped) when Xvfb or xdotool is missing.
set -u
probe="$1"

for tool in Xvfb xdotool; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

work=$(mktemp -d)
xvfb_pid=""
probe_pid=""
cleanup() {
    [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
if [ ! -s "$work/display" ]; then
    echo "FAIL: Xvfb did not start"; cat "$work/xvfb.log"; exit 1
fi
export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

"$probe" >"$work/out" 2>"$work/err" &
probe_pid=$!

position=""
for _ in $(seq 150); do
    position=$(grep -m1 '^BUTTON ' "$work/out" 2>/dev/null)
    [ -n "$position" ] && break
    if ! kill -0 "$probe_pid" 2>/dev/null; then break; fi
    sleep 0.1
done
if [ -z "$position" ]; then
    echo "FAIL: the probe never showed its wait window"; cat "$work/out" "$work/err"; exit 1
fi
read -r _ x y <<<"$position"
echo "clicking interrompre at $x,$y on $DISPLAY"
xdotool mousemove "$x" "$y"
sleep 0.2
xdotool click 1

wait "$probe_pid"
status=$?
probe_pid=""
cat "$work/out"
if ! grep -q '^PAINTED' "$work/out"; then
    echo "FAIL: the wait window was not painted on the screen while the step ran"
    exit 1
fi
if [ "$status" -ne 0 ] || ! grep -q '^INTERRUPTED' "$work/out"; then
    echo "FAIL: the click on interrompre did not stop the step (exit $status)"
    cat "$work/err"
    exit 1
fi
echo "PASS"
