#!/usr/bin/env bash
# The installed layout and its user folder; a portable copy keeps its files beside itself.
# Usage: run.sh BUILD_DIR VAULTINE_CLI
set -euo pipefail
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cmake --install "$1" --prefix "$tmp/usr" >/dev/null
cd "$tmp/usr"
for file in bin/vaultine bin/vaultine-cli share/vaultine/Help/help.html \
    share/applications/vaultine.desktop share/icons/hicolor/scalable/apps/vaultine.svg \
    share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/vaultine.png \
    share/man/man1/vaultine{,-cli}.1.gz share/doc/vaultine/{copyright,changelog.Debian.gz}; do
    [ -s "$file" ] || { echo "missing: $file"; exit 1; }
done
compgen -G 'share/vaultine/intl/*.dat' >/dev/null || { echo "no language files"; exit 1; }

# add: service, username, password, other info and path, one a line.
add() { printf '%s\n' "$2" me pw '' '' | "$1" add --stdin >/dev/null; }
export HOME=$tmp/home XDG_DATA_HOME=$tmp/data
[ -z "$(bin/vaultine-cli list)" ]
add bin/vaultine-cli Mail
[ "$(stat -c %a "$XDG_DATA_HOME/vaultine")" = 700 ]
[ -s "$XDG_DATA_HOME/vaultine/Data/CF2DB.pdb" ]
[ "$(bin/vaultine-cli list)" = Mail ] || { echo "record not in the user folder"; exit 1; }

# Neither HOME nor XDG_DATA_HOME: told, status 1.
status=0 && env -u HOME -u XDG_DATA_HOME bin/vaultine-cli list 2>"$tmp/told" || status=$?
[ $status = 1 ] && grep -q 'nor HOME is set' "$tmp/told" || { echo "no home: $status"; exit 1; }

mkdir "$tmp/portable" && cp "$2" "$tmp/portable/"
add "$tmp/portable/vaultine-cli" Bank
[ -s "$tmp/portable/Data/CF2DB.pdb" ] || { echo "portable copy wrote elsewhere"; exit 1; }
[ "$(bin/vaultine-cli list)" = Mail ]
echo "install layout ok"
