# Sourced by the keyboard journeys: the Wine desktop window follows the screen's mode.

# The size of the Wine desktop window, once it is `want` (up to 15 s); what it was otherwise.
screen_becomes() {
    local want=$1 seen=""
    for _ in $(seq 75); do
        seen=$(xdotool search --name "Wine desktop" getwindowgeometry 2>/dev/null | sed -n 's/ *Geometry: //p' | head -1)
        [ "$seen" = "$want" ] && return 0
        sleep 0.2
    done
    echo "$(basename "$0"): the screen is ${seen:-unknown}, not $want" >&2
    return 1
}

# Without a window manager the X server gives the keys to the window under the pointer: the pointer
# rests in the Wine desktop's top left corner, where it touches no window. (Giving the desktop window
# the X focus instead would make Wine move the foreground to the desktop, away from the program.)
keys() {
    xdotool mousemove --window "$(xdotool search --name "Wine desktop" | head -1)" 1 1 2>/dev/null
    xdotool key --delay 300 "$@"
}
