#!/usr/bin/env bash
# The install folder holds exactly what the programs need, ClientInfor.inf is
# byte for byte what they read, and the menu entry, icons and command point
# at the installed player.
set -euo pipefail
build=$1 version=$2 url=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
command -v desktop-file-validate > /dev/null || { echo "desktop-file-validate missing (desktop-file-utils)"; exit 1; }

# check ROOT PREFIX FOLDER: ROOT is where the files were staged, PREFIX and
# FOLDER are the paths they have once in place.
check() {
    local root=$1 prefix=$2 folder=$3
    local here=$root$folder

    local listing
    listing=$(cd "$here" && ls -A | tr '\n' ' ')
    [ "$listing" = "404.html ClientInfor.inf check player update " ] || fail "$folder holds: $listing"
    for program in player update check; do
        [ -x "$here/$program" ] && [ "$(head -c 4 "$here/$program" | od -An -c | tr -d ' ')" = '177ELF' ] \
            || fail "$program is not an executable program"
    done
    cmp -s "$here/404.html" "$(dirname "$0")/../../player/404.html" || fail "404.html differs from the player's"
    printf '[App Ver]\r\n%s\r\n[Update Ver]\r\n2.0\r\n[Update Url]\r\n%s\r\n' "$version" "$url" > "$work/expected.inf"
    cmp -s "$here/ClientInfor.inf" "$work/expected.inf" || fail "ClientInfor.inf: $(od -c "$here/ClientInfor.inf" | head -3)"

    for size in 16 32 48 64 128; do
        local icon=$root$prefix/share/icons/hicolor/${size}x${size}/apps/veltaro.png
        [ "$(identify -format '%m %wx%h' "$icon" 2> /dev/null)" = "PNG ${size}x${size}" ] || fail "icon $icon"
    done

    local entry=$root$prefix/share/applications/veltaro.desktop
    local report
    report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop entry invalid: $report"
    [ -z "$report" ] || fail "desktop entry warnings: $report"
    local exec=$folder/player
    case "$folder" in *" "*) exec="\"$exec\"" ;; esac
    grep -qxF "Exec=$exec" "$entry" || fail "desktop entry runs $(grep '^Exec=' "$entry")"
    grep -qx 'Icon=veltaro' "$entry" || fail "desktop entry icon"

    [ "$(readlink "$root$prefix/bin/veltaro")" = "$folder/player" ] \
        || fail "bin/veltaro points at $(readlink "$root$prefix/bin/veltaro")"
}

# A user prefix, with a space in its path as home folders may have.
prefix="$work/home dir/.local"
cmake --install "$build" --prefix "$prefix" > "$work/user.log"
check "" "$prefix" "$prefix/opt/veltaro"

# The system package: the folder goes to /opt/veltaro, the rest under /usr.
DESTDIR=$work/stage cmake --install "$build" --prefix /usr > "$work/system.log"
check "$work/stage" /usr /opt/veltaro
[ ! -e "$work/stage/usr/opt" ] || fail "the package would install /usr/opt"

[ "$failed" -eq 0 ] || exit 1
echo "2 passed, 0 failed"
