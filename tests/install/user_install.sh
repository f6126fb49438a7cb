#!/usr/bin/env bash
# ./install into a scratch home, without a key, says it installs without
# self-update and lays out the command; ./install --uninstall then leaves
# the home as it found it: an empty one, one with a ~/.local of its own
# (another program's command and menu entry) that must stay, an empty one
# installed into twice, and one whose record is an earlier ./install's.
set -euo pipefail
top=$1 build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0 cases=0
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
snapshot() { (cd "$1" && find . -printf '%y %p\n' | sort); }

for existing in none other-program reinstalled earlier-record; do
    cases=$((cases + 1))
    home=$work/$existing
    mkdir -p "$home"
    if [ "$existing" = other-program ]; then
        mkdir -p "$home/.local/bin" "$home/.local/share/applications"
        echo '#!/bin/sh' > "$home/.local/bin/other"
        printf '[Desktop Entry]\nType=Application\nName=Other\nExec=other\n' > "$home/.local/share/applications/other.desktop"
        update-desktop-database -q "$home/.local/share/applications"
    fi
    before=$(snapshot "$home")
    # Installed again, the second install must still remember the folders the first one made.
    runs=1
    [ "$existing" != reinstalled ] || runs=2
    for _ in $(seq $runs); do
        out=$(HOME=$home VELTARO_BUILD_DIR=$build VELTARO_UPDATE_PUBLIC_KEY_FILE= VELTARO_UPDATE_PUBLIC_KEY= \
            "$top/install" 2>&1) || { fail "$existing: ./install: $out"; continue 2; }
    done
    # An earlier ./install recorded no files: its build's manifest names them.
    [ "$existing" != earlier-record ] || sed -i '\|^/|d' "$home/.local/opt/veltaro/.install-record"
    grep -q 'without self-update' <<< "$out" || fail "$existing: ./install did not say it installs without self-update"
    [ -x "$home/.local/bin/veltaro" ] && [ ! -e "$home/.local/opt/veltaro/update" ] \
        || fail "$existing: installed $(ls "$home/.local/bin" "$home/.local/opt/veltaro")"
    HOME=$home VELTARO_BUILD_DIR=$build "$top/install" --uninstall > /dev/null
    after=$(snapshot "$home")
    [ "$after" = "$before" ] || fail "$existing: left behind: $(diff <(echo "$before") <(echo "$after") | grep '^>')"
done

[ "$failed" -eq 0 ] || exit 1
echo "$cases passed, 0 failed"
