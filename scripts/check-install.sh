#!/usr/bin/env bash
# Installs a build into a scratch prefix, checks that everything a desktop looks for is there,
# then starts the installed program as a new user: its first start must copy the example register
# into the user's documents folder and write nothing inside the prefix.
# Usage: scripts/check-install.sh BUILD-FOLDER
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
prefix=$work/prefix
home=$work/home
id=org.kolvar.Kolvar

cmake --install "$build" --prefix "$prefix" >/dev/null
expected=(bin/kolvar "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml"
  "share/icons/hicolor/scalable/apps/$id.svg" share/kolvar/przyklad.db share/kolvar/Ruvarez.rtf
  share/man/man1/kolvar.1.gz share/doc/kolvar/copyright share/doc/kolvar/README.md)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for f in "${expected[@]}"; do
  [ -f "$prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done

# What an administrator reads first: the manual page's name line as whatis and apropos index
# it, a copyright file in Debian's format, and the version, which needs no display.
if command -v lexgrog >/dev/null; then
  lexgrog "$prefix/share/man/man1/kolvar.1.gz" | grep -q 'kolvar - rejestr spraw' ||
    { echo "the manual page has no name line"; exit 1; }
fi
head -1 "$prefix/share/doc/kolvar/copyright" |
  grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  { echo "the copyright file is not in Debian's format"; exit 1; }
version=$(QT_QPA_PLATFORM=brak-ekranu "$prefix/bin/kolvar" --version)
[[ $version =~ ^Kolvar\ [0-9]+\.[0-9]+ ]] || { echo "kolvar --version said: $version"; exit 1; }

chmod -R a-w "$prefix"
before=$(cd "$prefix" && find . -print0 | sort -z | xargs -0 ls -ld --time-style=+%s.%N)
mkdir -p "$home"
HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share \
  "$prefix/bin/kolvar" >"$work/kolvar.log" 2>&1 &
pid=$!
copy=$home/Documents/przyklad.db
for _ in $(seq 1 100); do
  [ -f "$copy" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
sleep 1
alive=yes
kill "$pid" 2>/dev/null || alive=no
wait "$pid" 2>/dev/null || true
[ "$alive" = yes ] || { echo "the installed program ended by itself:"; cat "$work/kolvar.log"; exit 1; }
[ -f "$copy" ] || { echo "no example register in the documents folder"; exit 1; }
cmp "$copy" "$prefix/share/kolvar/przyklad.db"
[ -w "$copy" ] || { echo "the copied register is read-only"; exit 1; }
after=$(cd "$prefix" && find . -print0 | sort -z | xargs -0 ls -ld --time-style=+%s.%N)
[ "$before" = "$after" ] || { echo "the program wrote inside its prefix"; diff <(echo "$before") <(echo "$after"); exit 1; }
echo "installed layout and first start: ok"
