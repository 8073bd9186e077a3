#!/usr/bin/env bash
# End-to-end checks: starts the real program on an X display, drives it with key presses and
# mouse clicks (xdotool), restarts it and checks the files it leaves.
# Usage (under xvfb-run): run.sh PATH/TO/vaultine; E2E_ONLY="capture sealed" runs those alone.
set -u

# The set-up is not usable: no check ran.
cannot() {
    echo "e2e: $*" >&2
    exit 2
}

program=${1:-}
[ -n "$program" ] && [ -x "$program" ] || cannot "usage: run.sh PATH/TO/vaultine (got '$program')"
intl=$(dirname "$program")/intl
[ -d "$intl" ] || cannot "no intl folder beside the program"
cli=$(dirname "$program")/vaultine-cli
[ -n "${DISPLAY:-}" ] || cannot "no X display; run under xvfb-run"
for tool in xdotool xclip xprop xwd xwdtopnm pnmtopng timeout; do
    command -v "$tool" >/dev/null || cannot "$tool is missing"
done

export QT_QPA_PLATFORM=xcb
unset QT_QPA_PLATFORMTHEME QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR

work=$(mktemp -d)
runtime=$work/runtime
mkdir -m 700 "$runtime"
log=$work/program.log

# Ends the programs this script started and has not yet waited for (its own jobs only).
stop_programs() {
    local job
    for job in $(jobs -p); do
        kill -9 "$job" 2>/dev/null
        wait "$job" 2>/dev/null
    done
}

keeper=
cleanup() {
    stop_programs
    [ -n "$keeper" ] && kill "$keeper" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# The main window's client area (fields, list) lies below the menu bar.
clientHeight=375
passed=0
failed=0
scenarioFailed=0

fail() {
    echo "  FAIL: $*"
    scenarioFailed=1
}

xdo() {
    timeout 10 xdotool "$@"
}

clipboard() {
    timeout 5 xclip -o -selection "${1:-clipboard}" 2>/dev/null
}

# wait_for TENTHS COMMAND...: runs COMMAND every 0.1 s until it succeeds or the time is up.
wait_for() {
    local tenths=$1
    shift
    local i
    for ((i = 0; i < tenths; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    "$@"
}

# A fresh program folder holding a copy of the program and its language files; sets db, the
# coded database, and lock, the lock file, there.
new_folder() {
    folder=$(mktemp -d "$work/program.XXXXXX")
    cp "$program" "$folder/vaultine"
    cp -r "$intl" "$folder/"
    db=$folder/Data/CF2DB.pdb
    lock=$folder/Data/vaultine.lock
}

# start_program FOLDER: sets pid.
start_program() {
    (cd "$1" && PATH=${programPath:-$PATH} XDG_RUNTIME_DIR=$runtime exec ./vaultine) >>"$log" 2>&1 &
    pid=$!
}

# start_main: starts the program on the folder and waits for its main window; sets pid.
start_main() {
    start_program "$folder"
    wait_main_window "$pid"
}

# start_fresh: the same on a new folder.
start_fresh() {
    new_folder
    start_main
}

not() {
    ! "$@"
}

is_running() {
    kill -0 "$1" 2>/dev/null && [ "$(ps -o stat= -p "$1" 2>/dev/null | cut -c1)" != Z ]
}

# The visible windows titled "Vaultine" of a process.
windows_of() {
    xdo search --all --onlyvisible --pid "$1" --name '^Vaultine$' 2>/dev/null
}

window_size() {
    local WIDTH HEIGHT
    eval "$(xdo getwindowgeometry --shell "$1" | grep -E '^(WIDTH|HEIGHT)=')"
    echo "$WIDTH $HEIGHT"
}

# The splash is titled "Vaultine" too and about as large (wider in some languages).
is_main_window() {
    local size
    read -r -a size <<<"$(window_size "$1")"
    [ "${size[1]:-0}" -gt "$clientHeight" ] && timeout 5 xprop -id "$1" _NET_WM_WINDOW_TYPE \
        2>/dev/null | grep -q '= _NET_WM_WINDOW_TYPE_NORMAL$'
}

# find_window PID main|box: sets main to the process's main window, or box to another of its
# visible "Vaultine" windows (a message box).
find_window() {
    local w kind
    for w in $(windows_of "$1"); do
        kind=box
        is_main_window "$w" && kind=main
        [ "$kind" = "$2" ] && printf -v "$2" %s "$w" && return 0
    done
    return 1
}

main_window_or_end() {
    find_window "$1" main || not is_running "$1"
}

# wait_main_window PID: sets main and menuBar (the height above the client area).
wait_main_window() {
    main=
    wait_for 150 main_window_or_end "$1"
    if [ -z "$main" ]; then
        is_running "$1" && fail "no main window titled Vaultine appeared" \
            || fail "the program ended before its main window appeared"
        return 1
    fi
    local size
    read -r -a size <<<"$(window_size "$main")"
    menuBar=$((size[1] - clientHeight))
}

# click X Y: a left click at client coordinates of the main window.
click() {
    xdo mousemove --window "$main" "$1" $((menuBar + $2)) click 1
    sleep 0.1
}

click_field() {
    local ys=(58 82 106 130 156)
    click 200 "${ys[$1]}"
}

# The list row INDEX (from 0), below the search box.
click_row() {
    click 40 $((210 + 16 * $1))
}

type_text() {
    xdo type --delay 15 -- "$1"
}

# add_record SERVICE USERNAME PASSWORD OTHER: types the fields, Tab between them, and presses
# Return in Other Info; add_record_here starts in the field that has the keys.
add_record() {
    click_field 0
    add_record_here "$@"
}

add_record_here() {
    type_text "$1"
    local text
    for text in "${@:2}"; do
        xdo key Tab
        type_text "$text"
    done
    xdo key Return
}

# type_into FIELD TEXT...: a click into each field, then its text typed.
type_into() {
    for ((; $# > 1; )); do
        click_field "$1"
        type_text "$2"
        shift 2
    done
}

line_count() {
    cat "$db" 2>/dev/null | wc -l
}

has_lines() {
    [ "$(line_count)" -eq "$1" ]
}

# Letters, digits and ':' are stored through a fixed substitution; other bytes as they are.
codedSet='uZtL7cEHy83oXqWABrz0UJj6veNfF5Dg1Y4kdSPsOmCR:9lKxiMwbGTI2aVQphn'
plainSet='0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ:'
# coded_folder LINE...: a new folder whose coded database holds the lines.
coded_folder() {
    new_folder
    mkdir -m 700 "$folder/Data"
    printf '%s\r\n' "$@" | tr "$plainSet" "$codedSet" >"$db"
}

decoded_lines() {
    tr "$codedSet" "$plainSet" <"$db" | tr -d '\r'
}

# add_with_return RECORD: Return in Other Info adds the fields as the only stored record.
add_with_return() {
    xdo key Return
    wait_for 50 has_lines 1 || { fail "Return in Other Info added no record"; return 1; }
    [ "$(decoded_lines)" = "$1" ] || fail "the record reads '$(decoded_lines)', expected '$1'"
}

clipboard_is() {
    [ "$(clipboard)" = "$1" ]
}

file_is() {
    [ "$(cat "$1" 2>/dev/null)" = "$2" ]
}

# end_with PID COMMAND...: the command (keys, a click) ends the program within 5 s with
# status 0; the lock file it held while running stays, empty.
end_with() {
    local ending=$1 status
    shift
    [ -e "$lock" ] || fail "no lock file while the program runs"
    "$@"
    wait_for 50 not is_running "$ending" || { fail "$* did not end the program"; return 1; }
    wait "$ending" 2>/dev/null
    status=$?
    # 127: not a child of this script (a program that restarted itself): no status to check.
    [ "$status" -eq 0 ] || [ "$status" -eq 127 ] \
        || fail "the program ended with status $status after $*"
    [ ! -s "$lock" ] || fail "the lock file holds something after $*"
}

# The exit button of the toolbar shows while the mouse is over its icon.
click_exit_button() {
    xdo mousemove --window "$main" 328 $((menuBar + 22)) sleep 0.2 \
        mousemove --window "$main" 331 $((menuBar + 24)) sleep 0.2 click 1
}

# end_in_field PID: Escape in the Service field ends the program.
end_in_field() {
    click_field 0
    end_with "$1" xdo key Escape
}

# label_copies Y TEXT: a click on the label at client height Y puts TEXT on the clipboard.
label_copies() {
    click 20 "$1"
    wait_for 50 clipboard_is "$2" || fail "the label at $1 copied '$(clipboard)', expected '$2'"
}

# Selecting row i and clicking the Username label copies the i-th name.
usernames_listed() {
    local row=0 name
    for name; do
        click_row "$row"
        label_copies 84 "$name"
        row=$((row + 1))
    done
}

# An open menu is a visible window of the program that the title search does not find;
# menu_open PID [COUNT] asks for COUNT of them (submenus). (The mouse must rest where no
# tooltip shows.)
menu_open() {
    local all titled
    all=$(xdo search --all --onlyvisible --pid "$1" | wc -l)
    titled=$(xdo search --all --onlyvisible --pid "$1" --name . | wc -l)
    [ $((all - titled)) -ge "${2:-1}" ]
}

# menu PID OPEN KEY...: OPEN opens a menu of the main window, then the keys are pressed in it.
menu() {
    local owner=$1 open=$2
    shift 2
    xdo key "$open"
    wait_for 30 menu_open "$owner" || { fail "$open opened no menu"; return 1; }
    xdo key "$@"
}

# menu_closes PID OPEN KEY...: the same, and the keys close the menu.
menu_closes() {
    menu "$@" || return
    wait_for 30 not menu_open "$1" || fail "the menu stayed open after ${*:3}"
}

# window_titled PID TITLE: sets found to a visible window of the process with that title.
window_titled() {
    found=$(xdo search --all --onlyvisible --pid "$1" --name "^$2\$" 2>/dev/null | head -n 1)
    [ -n "$found" ]
}

# focus_window PID TITLE: waits for the window and gives it the keyboard.
focus_window() {
    found=
    wait_for 150 window_titled "$1" "$2" || { fail "no window titled '$2' appeared"; return 1; }
    xdo windowfocus --sync "$found"
}

# copy_elsewhere TEXT: another program (xclip, pid copier) holds TEXT on the clipboard until
# a program takes the clipboard over; its log counts the requests it answered.
copy_elsewhere() {
    copyLog=$(mktemp "$work/copy.XXXXXX")
    printf %s "$1" >"$copyLog.text"
    xclip -selection clipboard -verbose "$copyLog.text" >/dev/null 2>"$copyLog" &
    copier=$!
}

# A program asked for the text of the last copy_elsewhere and got it. (Losing the clipboard
# counts a request too, but then xclip ends.)
copy_was_read() {
    grep -q 'request number 2' "$copyLog" && is_running "$copier"
}

# message_box PID TEXT: the process shows a message box reading TEXT (found by a triple click
# on a line of it, which selects it into the primary selection), and Return closes it.
message_box() {
    box=
    wait_for 200 find_window "$1" box || { fail "no message box reading '$2' appeared"; return 1; }
    local width y text
    read -r width _ <<<"$(window_size "$box")"
    for y in 34 28 22 16 12; do
        xdo mousemove --window "$box" $((width / 2)) "$y" click --repeat 3 --delay 80 1
        sleep 0.2
        text=$(clipboard primary)
        [ "$text" = "$2" ] && break
    done
    [ "$text" = "$2" ] || fail "the message reads '$text', expected '$2'"
    close_box "$1" Return "reading '$2'"
}

# close_box PID KEY WHAT: the process shows a message box (WHAT tells which) and KEY closes it.
close_box() {
    box=
    wait_for 200 find_window "$1" box || { fail "no message box $3 appeared"; return 1; }
    xdo windowfocus --sync "$box" key "$2"
    wait_for 50 not find_window "$1" box || fail "$2 did not close the message"
}

# 1. Two records typed in are stored coded, one per line; one identical to a stored one is
#    refused with a message, and the key that closes it is released in Other Info afterwards:
#    it neither adds again (the message would come back) nor ends the program. The exit button
#    of the toolbar ends it. After a restart the records are found again; meanwhile a second
#    program on the folder tells that one is running, opens no main window and ends, and the
#    first goes on working.
scenario_records_survive_restart() {
    start_fresh || return
    local first=$pid
    add_record alpha user1 pw1 'a, "b" c'
    add_record Beta user2 pw2 'second one'
    wait_for 50 has_lines 2 || fail "expected 2 lines after two adds, found $(line_count)"
    local before key
    [ "$(decoded_lines)" = "$(printf '%s\n' 'alpha:!user1:!pw1:!a, "b" c:!' \
        'Beta:!user2:!pw2:!second one:!')" ] || fail "stored: $(decoded_lines | tr '\n' '|')"

    before=$(cat "$db")
    add_record Beta user2 pw2 'second one'
    for key in Return Escape; do
        # The fields keep the refused record: Return in Other Info tries it again.
        [ "$key" = Return ] || xdo key Return
        close_box "$first" "$key" "for the duplicate" || return
        sleep 0.3
        not find_window "$first" box || fail "the message came back after $key"
    done
    is_running "$first" || { fail "the program ended after the identical record"; return; }
    [ "$(cat "$db")" = "$before" ] || fail "the identical record changed the database"
    end_with "$first" click_exit_button || return

    start_main || return
    local second=$pid
    start_program "$folder"
    wait_for 200 find_window "$pid" box && (find_window "$pid" main) \
        && fail "the second program opened a main window"
    message_box "$pid" 'Vaultine is already running with the files of this folder. Use that window.'
    wait_for 150 not is_running "$pid" || { fail "the second program did not end"; return; }
    wait "$pid" && fail "the second program ended with status 0"
    xdo windowfocus --sync "$main"
    click_row 0
    label_copies 84 user1
    label_copies 109 pw1
    click_field 3
    xdo key ctrl+a ctrl+c
    wait_for 50 clipboard_is 'a, "b" c' \
        || fail "Other Info reads '$(clipboard)' after the restart, expected 'a, \"b\" c'"
    click_row 1
    label_copies 84 user2
    has_lines 2 || fail "the restart changed the database to $(line_count) lines"
    end_in_field "$second"
}

# 2. Alt pressed and released alone, then S, U, P, O or R, moves the focus to Service,
#    Username, Password, Other Info or Path; the letter is typed nowhere, the letters after it
#    are typed as usual ("sky" starts with a jump letter) and Alt alone leaves the focus in
#    the field. Before that, a click into the empty Path selects its "http://" prompt, so
#    typing replaces it, and the program ends from its menu (Alt+C opens Configure, Escape
#    closes it, E&xit ends) just after a label copied a field, writing no database.
scenario_alt_jumps() {
    programPath=$work/nowhere start_fresh || return
    click_field 0
    # Alt+R is Reset's alone, even twice: no jump to Path, which would take the text typed
    # next. Alt+H opens Help.
    xdo key alt+r alt+r
    type_text zz
    menu_closes "$pid" alt+h Escape
    click_field 4
    type_text www.x.org
    label_copies 160 www.x.org
    menu_closes "$pid" alt+c Escape
    # With no program to show the help page, Help > Contents says so.
    cp -r "$(dirname "$program")/Help" "$folder/"
    menu "$pid" alt+h c || return
    message_box "$pid" "There is no program to show the help page with." || return
    click_field 0
    end_with "$pid" menu "$pid" alt+c x || return
    [ -e "$db" ] && fail "a database file was written without any record"
    start_main || return
    local first=$pid

    click_field 3
    type_text abc
    xdo key alt
    type_text d
    local jump
    for jump in s:sky u:joe p:x9 r:www o:e; do
        xdo key alt
        xdo key "${jump%%:*}"
        type_text "${jump#*:}"
    done
    # Return in Other Info adds the record: every field holds only what was typed into it
    # (entering the empty Path selected its prompt, so typing replaced it).
    add_with_return 'sky:!joe:!x9:!abcde:!www' || return
    end_with "$first" xdo key Escape
}

# The settings file's checksum; nothing while there is none.
settings_sum() {
    cksum 2>/dev/null <"$folder/Data/Coffrel.cnf"
}

# converted FILE SUM: FILE is written, the settings no longer have the checksum SUM and the
# coded database is gone.
converted() {
    [ -e "$folder/Data/$1" ] && [ "$(settings_sum)" != "$2" ] && [ ! -e "$db" ]
}

# 3. A master password that seals the database ("Program and DBase, sealed") leaves no name or
#    password in clear; the next start asks for the password before any main window shows,
#    and a wrong one empties the prompt for another try and says "Wrong password". (That three
#    wrong ones end the start is the start-up tests' part.)
master=Secr3tVq8Lm2Zx
# set_master_password PID TABS FILE: the settings dialog of the running program sets the
# master password, TABS from the password box reaching the level chosen, whose file is FILE.
set_master_password() {
    menu "$1" alt+c s || return
    focus_window "$1" 'Security Settings - Vaultine' || return
    # From the password box the tab order runs Show, Sugest Password, Do Not Expire, the reach
    # options "Program and DBase", "None", "Program Only", "Program and DBase, sealed", then
    # Accept.
    type_text "$master"
    local n
    for ((n = 0; n < 8; n++)); do
        xdo key Tab
        [ "$n" -eq $(($2 - 1)) ] && xdo key space
    done
    local settings
    settings=$(settings_sum)
    xdo key space
    # Accept writes FILE, then the settings, then removes the coded database: the whole of it
    # is waited for, not its first file.
    wait_for 100 converted "$3" "$settings" \
        || { fail "Accept did not write $3 and the settings, removing the coded database"; return 1; }
}

# The password is strong enough for the sealed level, which tells of a weak one at Accept.
scenario_sealed() {
    coded_folder site1:!user1:!pw1:!:! site2:!user2:!pw2:!:! site3:!user3:!pw3:!:!
    start_main || return
    local first=$pid
    click_field 0
    set_master_password "$first" 7 CF2DB.sdb
    grep -rq -e "$master" -e user1 "$folder/Data" && fail "Data holds a password or name in clear"
    end_in_field "$first" || return

    start_program "$folder"
    local second=$pid try
    focus_window "$second" 'Password Required' || return
    find_window "$second" main && fail "the main window showed before the password was typed"
    # The entry is emptied after each wrong try, or the right one would not match; the second
    # wrong try is said too.
    for try in nope1 Nope2 "$master"; do
        type_text "$try"
        xdo key Return
        if [ "$try" = Nope2 ]; then
            wait_for 100 wrong_password_said "$second" || fail "the prompt said no 'Wrong password'"
        fi
    done
    wait_main_window "$second" || return
    usernames_listed user1 user2 user3
    end_in_field "$second"
}

# wrong_password_said PID: the prompt reads "Wrong password" below its entry (a triple click
# there selects it into the primary selection).
wrong_password_said() {
    local height
    window_titled "$1" 'Password Required' || return
    read -r _ height <<<"$(window_size "$found")"
    xdo mousemove --window "$found" 120 $((height - 14)) click --repeat 3 --delay 80 1
    sleep 0.2
    [ "$(clipboard primary)" = 'Wrong password' ]
}

# The program took the clipboard away from the last copy_elsewhere: its xclip ended.
took_clipboard() {
    wait_for 50 not is_running "$copier" || fail "$1 left the clipboard to the other program"
}

# copy_taken TEXT: TEXT copied in another program is asked for at once.
copy_taken() {
    copy_elsewhere "$1"
    wait_for 30 copy_was_read || fail "capture did not ask for '$1'"
}

# 4. Capture (Configure > Capture switches it): while on, a text copied in another program goes
#    into the field entered last, also while another window is active, and entering a field
#    empties the clipboard. Switched off, the clipboard is left to the other programs.
scenario_capture() {
    start_fresh || return
    local first=$pid

    click_field 0
    copy_elsewhere before
    menu_closes "$first" alt+c c || return
    took_clipboard "switching capture on"
    copy_taken 'svc one'
    xdo key Tab
    took_clipboard "Tab into Username"
    copy_taken user9
    click_field 2
    took_clipboard "a click into Password"
    menu "$first" alt+c s || return
    focus_window "$first" 'Security Settings - Vaultine' || return
    copy_taken 'p@ss 9'
    # The dialog stays open, beside the main window.
    xdo windowmove "$found" 400 0
    xdo windowfocus --sync "$main"
    click_field 3
    took_clipboard "a click into Other Info"
    menu_closes "$first" alt+c c || return
    copy_elsewhere untouched
    wait_for 10 copy_was_read && fail "with capture off the program still read the clipboard"
    clipboard_is untouched || fail "with capture off the clipboard changed to '$(clipboard)'"

    type_text typed
    add_with_return 'svc one:!user9:!p@ss 9:!typed:!' || return
    end_with "$first" xdo key Escape
}

# 5. Configure > Import reads the former database CFDB.pdb of the program folder: S:U:P:X
#    becomes Service S, Username U, Password P and Path X. Ctrl+click on the selected row
#    deselects it, so Remove removes nothing; after a Remove, Help > Oops! > "Oops !" brings
#    the removed record back into the fields and Add stores it again.
scenario_import_and_undo() {
    new_folder
    printf '%s\r\n' Mail:me@x.example:pw1:http://mail.example Bank:b1:pw2:note \
        | tr "$plainSet" "$codedSet" >"$folder/CFDB.pdb"
    start_main || return
    local first=$pid stored
    click_field 0
    menu "$first" alt+c i || return
    message_box "$first" 'Old Database Import Success' || return
    wait_for 50 has_lines 2 || { fail "the import stored $(line_count) lines, expected 2"; return; }
    usernames_listed b1 me@x.example
    label_copies 160 http://mail.example
    stored=$(decoded_lines | sort)

    xdo keydown ctrl
    click_row 1
    xdo keyup ctrl
    xdo key alt+v
    sleep 0.5
    has_lines 2 || fail "Remove after Ctrl+click removed a record"
    click_row 0
    xdo key alt+v
    wait_for 50 has_lines 1 || { fail "Remove left $(line_count) lines"; return; }
    # Help is the last menu: Left from Configure reaches it. Right opens Oops! with its first
    # item "Oops !" active.
    menu "$first" alt+c Left Right || return
    wait_for 30 menu_open "$first" 2 || fail "the Oops! submenu did not open"
    xdo key Return
    wait_for 30 not menu_open "$first" || fail "the menu stayed open after Oops !"
    xdo key alt+a
    wait_for 50 has_lines 2 || { fail "Add after the undo stored $(line_count) lines"; return; }
    [ "$(decoded_lines | sort)" = "$stored" ] \
        || fail "the records read '$(decoded_lines | tr '\n' '|')' after the undo"
    click_row 0 # Escape in the list ends the program too
    end_with "$first" xdo key Escape
}

# restarted_window OLDPID: a main window of another process (one the program started itself);
# sets restarted to its pid.
restarted_window() {
    local w
    for w in $(xdo search --all --onlyvisible --name '^Vaultine$' 2>/dev/null); do
        restarted=$(xdo getwindowpid "$w") && [ "$restarted" != "$1" ] && is_main_window "$w" \
            && return 0
    done
    return 1
}

# 6. Configure > Language > German: Ok stores the choice, the program starts itself again and
#    its menus take the German captions ("&Konfigurieren": Alt+K opens the first menu).
scenario_language() {
    start_fresh || return
    local first=$pid
    click_field 0
    menu "$first" alt+c l || return
    focus_window "$first" Language || return
    # The list holds English, French, German, Spanish; G selects German, Enter chooses it.
    xdo key g Return
    wait_for 50 not is_running "$first" || { fail "Ok did not end the program"; return; }
    wait "$first" || fail "the program ended with status $? after Ok"
    printf 'German\r\n' | cmp -s - "$folder/lang.dat" \
        || fail "lang.dat holds '$(cat -v "$folder/lang.dat" 2>/dev/null)'"
    wait_for 150 restarted_window "$first" || { fail "the program did not start again"; return; }
    wait_main_window "$restarted" || return
    click_field 0
    menu_closes "$restarted" alt+k Escape || return
    end_in_field "$restarted"
}

# 7. Markup loading /dev/zero in a caption or a hovered field is shown as text, hanging
#    nothing; only the left button on a label copies a field or opens the Path.
scenario_text_and_left_button() {
    coded_folder 'Mail:!user1:!pw1:!<img src="/dev/zero">:!http://mail.example'
    sed '6s|.*|<img src="/dev/zero">|' "$folder/intl/German.dat" >"$folder/intl/Markup.dat"
    printf 'Markup\r\n' >"$folder/lang.dat"
    local shell=$work/shell
    mkdir -p "$shell"
    printf '#!/bin/sh\necho "$@" >>%s/opened\n' "$shell" >"$shell/xdg-open"
    chmod +x "$shell/xdg-open"
    PATH=$shell:$PATH start_main || return
    local first=$pid
    click_row 0
    # The Other Info tooltip shows, then right clicks on Password and Path.
    xdo mousemove --window "$main" 200 $((menuBar + 130)) sleep 0.3 mousemove_relative 2 0 \
        sleep 1.5 mousemove --window "$main" 20 $((menuBar + 109)) click 3 \
        mousemove --window "$main" 20 $((menuBar + 160)) click --repeat 2 --delay 80 3 sleep 1
    clipboard_is '' || fail "a right click on a label copied '$(clipboard)'"
    label_copies 109 pw1
    xdo mousemove --window "$main" 20 $((menuBar + 160)) click --repeat 2 --delay 80 1
    # The file appears before the address is in it: the address is waited for, then a second
    # open would come within half a second.
    wait_for 50 file_is "$shell/opened" http://mail.example && sleep 0.5
    file_is "$shell/opened" http://mail.example \
        || fail "the double-clicks on Path opened '$(cat "$shell/opened" 2>/dev/null)'"
    end_in_field "$first"
}

# marked_secret: the clipboard's text is marked for clipboard managers as a secret to keep no
# history of.
marked_secret() {
    timeout 5 xclip -o -selection clipboard -t TARGETS 2>/dev/null \
        | grep -qx x-kde-passwordManagerHint \
        && [ "$(timeout 5 xclip -o -selection clipboard -t x-kde-passwordManagerHint)" = secret ]
}

# put_back TEXT: as a clipboard manager that keeps a history does, another program offers TEXT
# again (copy_elsewhere) once the clipboard is emptied, within 5 s.
put_back() {
    wait_for 50 clipboard_is '' && copy_elsewhere "$1"
}

# 8. vaultine-cli copy: the terminal is free at once and the copy is marked secret; at the
#    deadline the clipboard is emptied when it still holds the text, also after another
#    program took the same text over or put it back once it was emptied (a clipboard manager
#    that keeps a history), and another text copied meanwhile stays. With --wait the command
#    returns at the deadline, or fails, saying so, when the text comes back each time. A
#    second copy of the same text starts the time anew.
scenario_cli_copy() {
    folder=$(mktemp -d "$work/cli.XXXXXX")
    local meanwhile pw=$'\xef\xbb\xbfcli-pw-1' # a leading U+FEFF is the password's too
    printf 'Mail\nme\n%s\n\n\n' "$pw" | "$cli" --folder "$folder" add --stdin >/dev/null \
        || fail "vaultine-cli add --stdin failed"
    for meanwhile in '' "$pw" other-text; do
        timeout 3 "$cli" --folder "$folder" copy Mail --timeout 2 >/dev/null 2>&1 \
            || fail "copy did not return at once"
        clipboard_is "$pw" || fail "copy put '$(clipboard)' on the clipboard"
        marked_secret || fail "the copy is not marked secret for clipboard managers"
        [ -z "$meanwhile" ] || copy_elsewhere "$meanwhile"
        sleep 2.5
        clipboard_is "${meanwhile#"$pw"}" \
            || fail "with '$meanwhile' copied meanwhile the deadline left '$(clipboard)'"
    done
    local started=$SECONDS
    timeout 6 "$cli" --folder "$folder" copy Mail --timeout 2 --wait >/dev/null 2>&1 \
        || fail "copy --wait failed"
    [ $((SECONDS - started)) -ge 1 ] || fail "copy --wait returned before the deadline"
    clipboard_is '' || fail "copy --wait left '$(clipboard)' on the clipboard"

    timeout 3 "$cli" --folder "$folder" copy Mail --timeout 1 >/dev/null 2>&1 \
        || fail "copy did not return at once"
    put_back "$pw" || fail "the deadline left '$(clipboard)' on the clipboard"
    wait_for 40 not is_running "$copier" || fail "the text put back stayed on the clipboard"
    clipboard_is '' || fail "the text put back left '$(clipboard)' on the clipboard"
    # While that hold still looks, a new copy of the same text is left to its own hold.
    timeout 10 "$cli" --folder "$folder" copy Mail --timeout 2 --wait >/dev/null 2>&1 &
    local newer=$!
    sleep 1.5
    clipboard_is "$pw" || fail "an earlier hold emptied a new copy of the same text"
    wait "$newer" || fail "the new copy's hold failed"
    clipboard_is '' || fail "the new copy stayed on the clipboard"
    # A second copy a second later starts the time anew: the first hold leaves it, also once
    # another program (a clipboard manager) holds the same text unmarked; the second empties it.
    timeout 3 "$cli" --folder "$folder" copy Mail --timeout 2 >/dev/null 2>&1 || fail "copy failed"
    sleep 1
    timeout 3 "$cli" --folder "$folder" copy Mail --timeout 3 >/dev/null 2>&1 || fail "copy failed"
    sleep 0.3
    copy_elsewhere "$pw"
    sleep 1.5
    clipboard_is "$pw" || fail "the first copy's deadline left '$(clipboard)' of a newer copy"
    wait_for 30 clipboard_is '' || fail "the second copy's deadline left '$(clipboard)'"

    local errors=$work/copy-errors waiting
    timeout 20 "$cli" --folder "$folder" copy Mail --timeout 1 --wait >/dev/null 2>"$errors" &
    waiting=$!
    while is_running "$waiting"; do
        wait_for 10 clipboard_is '' && copy_elsewhere "$pw"
    done
    wait "$waiting" && fail "copy --wait ended with status 0, the text back on the clipboard"
    grep -q 'still on the clipboard' "$errors" \
        || fail "copy --wait did not tell that the text came back: $(cat "$errors")"
}

# 9. The command line adds and edits while the window is open, at once, and the window, not
#    activated again, lists the records within 2 s. Its Remove after that removes the chosen
#    record and keeps the one the command line added.
scenario_cli_beside_window() {
    local first
    coded_folder 'Bank:!b1:!pw2:!:!'
    start_main || return
    first=$pid
    click_row 0 # the window is active and stays so
    printf 'Zed\nz1\npw3\n\n\n' | timeout 3 "$cli" --folder "$folder" add --stdin >/dev/null \
        || { fail "vaultine-cli add waited for the window or failed"; return; }
    sleep 2
    usernames_listed b1 z1
    timeout 3 "$cli" --folder "$folder" edit Zed --username z2 >/dev/null \
        || { fail "vaultine-cli edit waited for the window or failed"; return; }
    sleep 2
    usernames_listed b1 z2
    click_row 0
    xdo key alt+v
    wait_for 50 has_lines 1 || { fail "Remove left $(line_count) lines"; return; }
    [ "$(decoded_lines)" = 'Zed:!z2:!pw3:!:!' ] || fail "the records read '$(decoded_lines)'"
    click_row 0
    end_with "$first" xdo key Escape
}

# 10. Lock. A copied password leaves the clipboard after the
#     seconds of the preferences file, and a text another program copied meanwhile stays; the
#     password shown (Hide unticked) and selected never goes to the primary selection. With
#     a master password Ctrl+L empties the clipboard of the copy and asks the password: a wrong
#     one leaves the window locked, the right one shows the records again, with the one
#     vaultine-cli added meanwhile. The screen saver turning on, told on the session bus, locks
#     the window too.
locked_and_opened() {
    coded_folder 'site1:!user1:!pw1:!:!'
    printf 'clipboard-seconds=2\n' >"$folder/Data/vaultine.conf"
    start_main || return
    local first=$pid
    click_row 0
    label_copies 109 pw1
    marked_secret || fail "the copied password is not marked secret for clipboard managers"
    sleep 1
    clipboard_is pw1 || fail "the password left the clipboard before 1 s"
    wait_for 30 clipboard_is '' || fail "the password stayed on the clipboard for 4 s"
    label_copies 109 pw1
    copy_elsewhere other-text
    sleep 3
    clipboard_is other-text || fail "the time up took another program's copy: '$(clipboard)'"

    set_master_password "$first" 4 CF2DB.edb || return
    click_row 0
    label_copies 109 pw1
    xdo key ctrl+l
    focus_window "$first" 'Password Required' || return
    clipboard_is '' || fail "the lock left '$(clipboard)' on the clipboard"
    printf '%s\nZed\nz1\npw3\n\n\n' "$master" \
        | timeout 5 "$cli" --folder "$folder" --password-stdin \
            add --stdin >/dev/null || fail "vaultine-cli add failed while the window was locked"
    type_text nope
    xdo key Return
    sleep 0.5
    window_titled "$first" 'Password Required' || fail "a wrong password opened the window"
    unlock "$first" || return
    usernames_listed user1 z1
    # The password shown and selected stays out of the primary selection.
    click 275 106
    click_field 2
    xdo key ctrl+a
    sleep 0.3
    [ "$(clipboard primary)" = pw3 ] && fail "the selected password is in the primary selection"

    dbus-send --session --type=signal / org.freedesktop.ScreenSaver.ActiveChanged boolean:true
    focus_window "$first" 'Password Required' || return
    unlock "$first" " after the screen saver"
    end_in_field "$first"
}

# unlock PID [WHEN]: the master password typed into the lock's prompt opens the window.
unlock() {
    type_text "$master"
    xdo key Return
    wait_for 50 not window_titled "$1" 'Password Required' \
        || { fail "the master password did not open the window${2:-}"; return 1; }
}

# The program and dbus-send meet on a session bus of the scenario's own.
scenario_lock() {
    local bus
    bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1) \
        || { fail "no session bus could be started"; return; }
    export DBUS_SESSION_BUS_ADDRESS=${bus%%$'\n'*}
    locked_and_opened
    unset DBUS_SESSION_BUS_ADDRESS
    kill "${bus##*$'\n'}"
}

# 11. The search box (Ctrl+F, its text selected) narrows the list at every key, case and
#     accents ignored, and Add keeps it, the focus back in Service; Down moves into the list.
#     Down, Up, Home, End, Page Down and typing a name's first letter there show the record as
#     a click does, Enter copies its password, and Escape in the search box empties it, ending
#     nothing.
scenario_search_and_keys() {
    coded_folder 'Alpha:!al:!pa1:!:!' 'Bank:!bu:!bp:!:!' 'Café:!cu:!cp:!:!' 'Zed:!zu:!zp:!:!'
    start_main || return
    local first=$pid step
    click_field 0
    xdo key ctrl+f
    type_text an
    add_record Banana nu np ''
    # The focus is back in Service: the next record is typed there.
    add_record_here Dove du dp ''
    wait_for 50 has_lines 6 || { fail "the two adds left $(line_count) lines"; return; }
    decoded_lines | grep -qx 'Dove:!du:!dp:!:!' || fail "the second add did not start in Service"
    # The search still finds Banana and Bank: End reaches Bank.
    xdo key ctrl+f Down
    label_copies 84 nu
    xdo key End
    label_copies 84 bu
    xdo key Return
    wait_for 50 clipboard_is bp || fail "Enter in the list copied '$(clipboard)', expected 'bp'"
    # Ctrl+F selects the search text: the new one replaces it.
    xdo key ctrl+f
    type_text CAFE
    xdo key Down
    label_copies 84 cu
    xdo key ctrl+f Escape
    sleep 0.3
    is_running "$first" || { fail "Escape in the search box ended the program"; return; }
    # Every record again, in order: Alpha, Banana, Bank, Café, Dove, Zed; Café still shown.
    for step in Down:cu End:zu c:cu Up:bu Home:al Page_Down:zu; do
        xdo key "${step%%:*}"
        label_copies 84 "${step#*:}"
    done
    end_with "$first" xdo key Escape
}

# 12. Ctrl+V pastes into Username, and a click into another field afterwards keeps that field's
#     text and the clipboard, as after Ctrl held with a click or the wheel; a lone Ctrl still
#     marks capture, so the click after it empties the clipboard.
scenario_lone_ctrl() {
    start_fresh || return
    local first=$pid
    type_into 0 svc 2 pw 3 note
    click_field 1
    copy_elsewhere pasted
    xdo key ctrl+v
    wait_for 30 copy_was_read || fail "Ctrl+V did not ask for the clipboard"
    click_field 3
    sleep 0.3
    is_running "$copier" && clipboard_is pasted \
        || fail "a click after Ctrl+V took the clipboard away ('$(clipboard)')"
    type_text '!'
    add_with_return 'svc:!pasted:!pw:!note!:!' || return
    # Ctrl held while clicking into a field or turning the wheel over the list is no lone Ctrl.
    copy_elsewhere held
    click_field 1
    xdo keydown ctrl
    click_field 2
    xdo mousemove --window "$main" 40 $((menuBar + 220)) click 5
    xdo keyup ctrl
    click_field 3
    sleep 0.3
    is_running "$copier" && clipboard_is held \
        || fail "a click after Ctrl with the mouse took the clipboard ('$(clipboard)')"
    copy_elsewhere other
    click_field 1
    xdo key ctrl
    click_field 2
    took_clipboard "a click after a lone Ctrl"
    clipboard_is '' || fail "a click after a lone Ctrl left '$(clipboard)' on the clipboard"
    end_in_field "$first"
}

# 13. Ctrl+G in the Password field opens the generator, and Return there puts a password of 20
#     letters, digits and signs into the field, which Add stores (the Ctrl of Ctrl+G marks no
#     capture: a click afterwards keeps the clipboard); Configure > Generate password with Alt+P
#     puts a passphrase of six words there; the button in the field opens it too, and Escape
#     leaves the field as it was.
six_words() {
    clipboard | grep -qxE '[a-z]{3,8}(-[a-z]{3,8}){5}'
}

scenario_generator() {
    start_fresh || return
    local first=$pid
    type_into 0 svc 1 user
    click_field 2
    xdo key ctrl+g
    focus_window "$first" 'Generate password' || return
    xdo key Return
    copy_elsewhere kept
    click_field 3
    sleep 0.3
    is_running "$copier" || fail "a click after Ctrl+G took the clipboard away"
    type_text note
    xdo key Return
    wait_for 50 has_lines 1 || { fail "Return in Other Info added no record"; return; }
    decoded_lines | grep -qxE 'svc:!user:![^:]{20}:!note:!' \
        || fail "the record with a generated password reads '$(decoded_lines)'"
    click_field 2
    menu "$first" alt+c g || return
    focus_window "$first" 'Generate password' || return
    # An access key clicks its button a moment later.
    xdo key alt+p sleep 0.3 key Return
    wait_for 30 not window_titled "$first" 'Generate password'
    click 20 109
    wait_for 50 six_words || fail "Alt+P gave '$(clipboard)', not six words"
    local passphrase
    passphrase=$(clipboard)
    click 241 106
    focus_window "$first" 'Generate password' || return
    xdo key Escape
    label_copies 109 "$passphrase"
    end_in_field "$first"
}

run_scenario() {
    echo "e2e: $1"
    scenarioFailed=0
    local started=$SECONDS
    restarted=
    "$1"
    # Whatever happened, no program of this scenario is left running.
    stop_programs
    [ -n "$restarted" ] && is_running "$restarted" && kill -9 "$restarted"
    local outcome=(ok failed)
    echo "  ${outcome[scenarioFailed]} ($((SECONDS - started)) s)"
    passed=$((passed + 1 - scenarioFailed))
    failed=$((failed + scenarioFailed))
}

# 14. The window as the README shows it: a search narrows the list, a record is shown. The
#     picture goes to $E2E_PICTURE (scripts/picture sets it).
scenario_picture() {
    coded_folder 'Bank:!jane.doe:!Wq7-vR2!xK9p:!savings, card 4411:!https://bank.example' \
        'Bakery club:!jane:!crumb-lake-7:!:!https://bakery.example' 'Mail:!jane@mail.example:!m4il:!:!' \
        'Library:!jdoe:!lib-2026:!:!' 'Travel:!jane:!tr4v3l:!:!'
    start_main || return
    local first=$pid picture=${E2E_PICTURE:-$work/window.png}
    click_field 0
    xdo key ctrl+f
    type_text ba
    xdo key Down Down
    sleep 0.5
    xwd -id "$main" -silent | xwdtopnm 2>/dev/null | pnmtopng >"$picture" \
        || fail "no picture of the window was made"
    [ -s "$picture" ] || fail "the picture of the window is empty"
    end_in_field "$first"
}

wait_for 100 xdo getdisplaygeometry >/dev/null 2>&1 || cannot "cannot reach the X display $DISPLAY"
# An X server resets when its last client leaves, and refuses connections meanwhile; one
# idle client held open for the whole run keeps it from resetting between programs.
xdotool sleep 3600 >/dev/null 2>&1 &
keeper=$!
disown "$keeper"
echo "e2e: display $DISPLAY, $(xdo getdisplaygeometry)"

for scenario in ${E2E_ONLY:-records_survive_restart alt_jumps sealed capture import_and_undo \
    language text_and_left_button cli_copy cli_beside_window lock search_and_keys \
    lone_ctrl generator picture}; do
    run_scenario "scenario_$scenario"
done

if [ "$failed" -ne 0 ]; then
    echo "e2e: program output:"
    sed 's/^/  | /' "$log"
fi
echo "e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
