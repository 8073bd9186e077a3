#!/usr/bin/env bash
# The Debian package: Debian's checks, then the package unpacked into a fresh root and run
# under Xvfb as a user other than root, whose record must land in that user's data folder.
# Usage: package.sh BUILD_DIR
set -euo pipefail
if [ "${1:-}" = inside ]; then # As the user, on the virtual display: add one record.
    QT_QPA_PLATFORM=xcb "$2/bin/vaultine" &
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
tmp=$(mktemp -d) && chmod 755 "$tmp"
trap 'rm -rf "$tmp"' EXIT
cpack -G DEB --config "$1/CPackConfig.cmake" -B "$tmp" >/dev/null
deb=$(echo "$tmp"/vaultine_*.deb)
lintian --fail-on error,warning "$deb"
dpkg -x "$deb" "$tmp/root"
appstreamcli validate --no-net "$tmp"/root/usr/share/metainfo/*.metainfo.xml
[ -z "$(desktop-file-validate "$tmp/root/usr/share/applications/vaultine.desktop")" ]
usr=$tmp/root/usr
[ "$("$usr/bin/vaultine-cli" --version)" = "vaultine-cli $(dpkg-deb -f "$deb" Version | cut -d- -f1)" ]

# Root runs it as a throwaway user id; anyone else as themselves.
as=() && [ "$(id -u)" != 0 ] || as=(setpriv --reuid=4711 --regid=4711 --clear-groups)
mkdir -m 700 "$tmp/home" "$tmp/runtime" && [ -z "${as[*]}" ] || chown 4711:4711 "$tmp/home" "$tmp/runtime"
find "$tmp/root" | sort >"$tmp/before"
env -u XDG_DATA_HOME HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/runtime" "${as[@]}" \
    xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" inside "$usr"
data=$tmp/home/.local/share/vaultine
[ "$(HOME=$tmp/home "${as[@]}" "$usr/bin/vaultine-cli" list)" = Mail ]
[ "$(stat -c '%u %a' "$data" "$data/Data/CF2DB.pdb")" = "$(stat -c %u "$tmp/home") 700
$(stat -c %u "$tmp/home") 600" ] || { echo "the record is not in the user's folder"; exit 1; }
find "$tmp/root" | sort | diff "$tmp/before" - || { echo "files beside the program"; exit 1; }
echo "package ok"
