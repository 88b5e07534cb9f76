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

# Without a window manager nothing gives the desktop window the keyboard: the keys go where it is.
keys() {
    xdotool search --name "Wine desktop" windowfocus 2>/dev/null
    xdotool key --delay 300 "$@"
}
