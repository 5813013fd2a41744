#!/usr/bin/env bash
# End-to-end: the main window as a player lives in it. e2e_window.sh --bin-dir DIR
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
bin=$(cd "${2:?usage: e2e_window.sh --bin-dir DIR}" && pwd)
shots=""
source "$root/tests/e2e/lib.sh"
env -u DISPLAY QT_QPA_PLATFORM=xcb "$bin/varnholt" --help >"$work/out" || fail "--help without a display: status $?"
e2e_start
look() { xdotool mousemove 1020 760 && sleep 0.3 && capture "$work/$1.png"; } # no hover
teal() { [ "$(convert "$work/$1.png" -format "%[pixel:p{$2,$3}]" info:)" = "srgb(0,64,64)" ]; }
# Rectangle X Y W H of one capture shows unchanged in another at X2 Y2.
same() { compare -metric AE "$work/$1.png[$5x$6+$3+$4]" "$work/$2.png[$5x$6+$7+$8]" null: 2>/dev/null; }
# Rows of the server list in the larger window: lines of text in its IP column.
list_rows() {
    convert "$work/$1.png" -crop "60x250+166+137" +repage txt:- | awk -F'[,:]' 'NR > 1 && !/#004040/ { r[$2] = 1 }
        END { for (y = 0; y < 250; y++) n += (y in r) && !((y - 1) in r); print n + 0 }'
}
asked() { [ "$(grep -c " 127.0.0.1:$DEMO_LOCAL_PORT2 00000000\$" "$work/testnet.log")" -ge "$1" ]; }

click 2280 720 2640 240 855 255 # opttall
click 6000 720 3000 240 615 255 # optvall
click 120 720 1080 240 855 255  # btngetlist
look small
xdotool windowsize --sync "$window" 1000 740 # 344 x 106 pixels more
look large
teal large 950 390 && teal large 950 650 || fail "the server list or the chat log did not grow"
same small large 0 48 400 41 0 48 || fail "Refresh, Get List or the game types changed"
same small large 464 0 185 41 808 0 || fail "Options, About, Quit did not keep their size"
same small large 584 608 65 17 928 714 || fail "Users did not keep its size"
step "--help answered without a display; the list and the log grew, the buttons kept their size"
wait_until 45 asked 40 || fail "Get List did not ask the 40 servers"
press_f5() { asked 41 || { xdotool windowfocus "$window" key F5 && false; }; }
wait_until 20 press_f5 || fail "F5 started no refresh"
wait_until 45 asked 80 || fail "the refresh did not ask the 40 servers again"
datagrams=$(wc -l <"$work/testnet.log")
click 2280 720 1800 240 800 255 # optctf
look ctf
[ "$(list_rows ctf)" = 11 ] || fail "CTF shows $(list_rows ctf) rows, not 11"
[ "$(wc -l <"$work/testnet.log")" = "$datagrams" ] || fail "choosing CTF sent datagrams"
step "F5 refreshed; CTF then showed its 11 servers at once, no datagram sent"
centre() { eval "$(xdotool getwindowgeometry --shell "$1")" && echo $((2 * X + WIDTH)) $((2 * Y + HEIGHT)); }
centred() { local a=($(centre "$1")) b=($(centre "$window")); (((a - b) ** 2 + (a[1] - b[1]) ** 2 <= 8)); }
asks() { question=$(find_window '^Varnholt$') && [ -n "$question" ]; }
answered() { ! asks; } # a click on the first row, then Enter on it
for how in "mousemove --window $window 100 148 click 1" "windowfocus $window key Return"; do
    xdotool $how
    wait_until 5 asks || fail "xdotool $how asked no start question"
    centred "$question" || fail "the start question is not centred over the window"
    xdotool windowfocus "$question" key Escape
    wait_until 5 answered || fail "Escape did not answer the start question"
done
step "a click and Enter on a row asked the start question, centred over the window"

look before-quit
e2e_quit 344
e2e_program
[ "${WIDTH}x$HEIGHT" = 1000x740 ] || fail "the window came back at ${WIDTH}x$HEIGHT"
look restarted
same before-quit restarted 152 48 241 41 152 48 || fail "CTF did not come back"
same before-quit restarted 744 48 249 41 744 48 || fail "ALL did not come back"
step "the window's size and the filters came back after a restart"
e2e_quit 344
echo "PASS ($((SECONDS - started)) s)"
