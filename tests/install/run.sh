#!/usr/bin/env bash
# The Debian package: Debian's checks, then the package unpacked into a fresh root. Its
# programs keep a user's files in the user's data folder (the window run under Xvfb as a user
# other than root) and never beside themselves; a portable copy keeps its files beside itself.
# Usage: run.sh BUILD_DIR
set -euo pipefail
if [ "${1:-}" = inside ]; then # As the user, on the virtual display: add one record.
    QT_QPA_PLATFORM=xcb bin/vaultine &
    splash=$(timeout 20 xdotool search --sync --onlyvisible --name '^Vaultine$')
    for _ in {1..100}; do # until the main window alone replaces the splash
        main=$(xdotool search --onlyvisible --name '^Vaultine$' 2>/dev/null) || true
        [[ -n $main && $main != "$splash" && $main != *$'\n'* ]] && break || sleep 0.2
    done
    xdotool windowfocus --sync "$main" # the Service field has the focus
    for keys in "type Mail" "key Tab" "type me" "key Tab" "type pw" "key Tab" "key Return"; do
        xdotool $keys
    done
    sleep 1 && kill %1
    exit
fi
self=$(realpath "$0") tmp=$(mktemp -d) && chmod 755 "$tmp"
trap 'rm -rf "$tmp"' EXIT
cpack -G DEB --config "$1/CPackConfig.cmake" -B "$tmp" >/dev/null
deb=$(echo "$tmp"/vaultine_*.deb)
lintian --fail-on error,warning "$deb"
dpkg -x "$deb" "$tmp/root" && cd "$tmp/root/usr"
appstreamcli validate --no-net share/metainfo/*.metainfo.xml
[ -z "$(desktop-file-validate share/applications/vaultine.desktop)" ]
ls share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/vaultine.png >/dev/null
[ "$(bin/vaultine-cli --version)" = "vaultine-cli $(dpkg-deb -f "$deb" Version | cut -d- -f1)" ]
find "$tmp/root" | sort >"$tmp/before"

# Neither HOME nor XDG_DATA_HOME: told, status 1.
status=0 && env -u HOME -u XDG_DATA_HOME bin/vaultine-cli list 2>"$tmp/told" || status=$?
[ $status = 1 ] && grep -q 'nor HOME is set' "$tmp/told" || { echo "no home: $status"; exit 1; }

# Root runs the window as a throwaway user id; anyone else as themselves.
as=() && [ "$(id -u)" != 0 ] || as=(setpriv --reuid=4711 --regid=4711 --clear-groups)
mkdir -m 700 "$tmp/home" "$tmp/runtime" && [ -z "${as[*]}" ] || chown 4711:4711 "$tmp/home" "$tmp/runtime"
export HOME=$tmp/home XDG_RUNTIME_DIR=$tmp/runtime && unset XDG_DATA_HOME
"${as[@]}" xvfb-run -a -s "-screen 0 1024x768x24" bash "$self" inside
data=$HOME/.local/share/vaultine user=$(stat -c %u "$HOME")
[ "$(stat -c '%u %a' "$data" "$data/Data/CF2DB.pdb" | xargs)" = "$user 700 $user 600" ] \
    && [ "$("${as[@]}" bin/vaultine-cli list)" = Mail ] || { echo "not in the user's folder"; exit 1; }

# add: service, username, password, other info and path, one a line.
add() { printf '%s\n' "$2" me pw '' '' | "$1" add --stdin >/dev/null; }
XDG_DATA_HOME=$tmp/data add bin/vaultine-cli Bank
[ "$(XDG_DATA_HOME=$tmp/data bin/vaultine-cli list)" = Bank ]
mkdir "$tmp/portable" && cp bin/vaultine-cli "$tmp/portable/"
add "$tmp/portable/vaultine-cli" Shop
[ -s "$tmp/portable/Data/CF2DB.pdb" ] || { echo "portable copy wrote elsewhere"; exit 1; }
find "$tmp/root" | sort | diff "$tmp/before" - || { echo "files beside the program"; exit 1; }
echo "package ok"
