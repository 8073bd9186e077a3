#!/usr/bin/env bash
# The Debian package: Debian's checks, then the package unpacked into a fresh root and run as a
# user other than root (root: a throwaway user id), whose files must lie in the user's data
# folder. Usage: run.sh BUILD
set -euo pipefail
umask 077 # a strict umask must not reach the package's modes
if [ "${1:-}" = inside ]; then # As the user, on a virtual display: the window's folder.
    QT_QPA_PLATFORM=xcb bin/vaultine & timeout 20 xdotool search --sync --name '^Vaultine$'
    test -d ~/.local/share/vaultine/Data; kill %1; wait %1 || [ $? = 143 ]; exit # lock freed
fi
tmp=$(mktemp -d); chmod 755 "$tmp"; trap 'rm -rf "$tmp"' EXIT
self=$tmp/run.sh && cp "$0" "$self" && chmod 644 "$self" # the user may not reach the sources
cpack -G DEB --config "$1/CPackConfig.cmake" -B "$tmp" >/dev/null
deb=$(echo "$tmp"/vaultine_*.deb) && lintian --fail-on error,warning "$deb"
dpkg -x "$deb" "$tmp/root"; find "$tmp/root" | sort >"$tmp/before"; cd "$tmp/root/usr"
appstreamcli validate --no-net share/metainfo/*.metainfo.xml
[ -z "$(desktop-file-validate share/applications/vaultine.desktop)" ]
ls share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/vaultine.png >/dev/null
[ "$(bin/vaultine-cli --version)" = "vaultine-cli $(dpkg-deb -f "$deb" Version | cut -d- -f1)" ]

status=0 && env -u HOME -u XDG_DATA_HOME bin/vaultine-cli list 2>"$tmp/told" || status=$? # neither
[ $status = 1 ] && grep -q 'nor HOME is set' "$tmp/told" || { echo "no home: $status"; exit 1; }

as=() && [ "$(id -u)" != 0 ] || as=(setpriv --reuid=4711 --regid=4711 --clear-groups)
mkdir -m 700 "$tmp/home" "$tmp/runtime" && [ -z "${as[*]}" ] || chown 4711:4711 "$tmp/home" "$tmp/runtime"
export HOME=$tmp/home XDG_RUNTIME_DIR=$tmp/runtime && unset XDG_DATA_HOME
"${as[@]}" xvfb-run -a -s "-screen 0 1024x768x24" bash "$self" inside
add() { printf '%s\n' "$2" me pw '' '' | "${@:3}" "$1" add --stdin >/dev/null; } # 5 fields
add bin/vaultine-cli Mail "${as[@]}"; data=$HOME/.local/share/vaultine user=$(stat -c %u "$HOME")
[ "$(stat -c '%u %a' "$data" "$data/Data/CF2DB.pdb" | xargs)" = "$user 700 $user 600" ] \
    && [ "$("${as[@]}" bin/vaultine-cli list)" = Mail ] || { echo "not in the user's folder"; exit 1; }

mkdir "$tmp/portable" && cp bin/vaultine-cli "$tmp/portable/" && add "$tmp/portable/vaultine-cli" Shop
[ -s "$tmp/portable/Data/CF2DB.pdb" ] || { echo "portable copy wrote elsewhere"; exit 1; }
find "$tmp/root" | sort | diff "$tmp/before" - || { echo "files beside the program"; exit 1; }
