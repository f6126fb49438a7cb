#!/usr/bin/env bash
# The install folder holds exactly what the programs need, ClientInfor.inf is
# byte for byte what they read, the menu entry, icons and command point at
# the installed player, the manual page, AppStream data and documentation are
# in place and valid, and the Debian package passes lintian without errors.
set -euo pipefail
build=$1 version=$2 url=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
for tool in desktop-file-validate appstreamcli lintian man cpack; do
    command -v $tool > /dev/null || { echo "$tool missing (tools/setup installs it)"; exit 1; }
done

# check ROOT PREFIX FOLDER: ROOT is where the files were staged, PREFIX and
# FOLDER are the paths they have once in place.
check() {
    local root=$1 prefix=$2 folder=$3
    local here=$root$folder

    local listing
    listing=$(cd "$here" && ls -A | tr '\n' ' ')
    [ "$listing" = "404.html ClientInfor.inf check player publish update " ] || fail "$folder holds: $listing"
    for program in player update check publish; do
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

    local command program page
    for command in veltaro:player veltaro-publish:publish; do
        program=${command#*:} command=${command%:*}
        local link=$root$prefix/bin/$command
        [ "$(readlink "$link")" = "$(realpath -m --relative-to="$prefix/bin" "$folder/$program")" ] \
            || fail "bin/$command points at $(readlink "$link")"
        [ "$("$link" --version)" = "$command (Veltaro) $version" ] || fail "$command --version: $("$link" --version 2>&1)"
        page=$root$prefix/share/man/man1/$command.1.gz
        gzip -dc "$page" | grep -qF -e '\-\-version' || fail "manual page $page lacks --version"
        report=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 > /dev/null) || fail "man -l $page"
        [ -z "$report" ] || fail "manual page warnings: $report"
    done
    gzip -dc "$root$prefix/share/man/man1/veltaro.1.gz" | grep -qF -e '/etc/xdg/veltaro/veltaro.conf' \
        || fail "manual page lacks the settings file"
    report=$(appstreamcli validate --no-net --pedantic "$root$prefix/share/metainfo/com.example.veltaro.metainfo.xml" 2>&1) \
        || fail "metainfo invalid: $report"
    local doc=$root$prefix/share/doc/veltaro
    [ "$(cd "$doc" && ls | tr '\n' ' ')" = "changelog.gz copyright veltaro.conf.example " ] \
        || fail "$doc holds: $(ls "$doc")"
}

# A user prefix, with a space in its path as home folders may have.
prefix="$work/home dir/.local"
cmake --install "$build" --prefix "$prefix" > "$work/user.log"
check "" "$prefix" "$prefix/opt/veltaro"

# The system package: the folder goes to /usr/lib/veltaro, the rest under /usr.
DESTDIR=$work/stage cmake --install "$build" --prefix /usr > "$work/system.log"
check "$work/stage" /usr /usr/lib/veltaro
[ "$(ls "$work/stage")" = usr ] || fail "the package would install $(ls "$work/stage")"

# The package itself, as the distribution checks it: errors fail, warnings
# are shown.
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/deb" > "$work/cpack.log" 2>&1 || fail "cpack: $(tail "$work/cpack.log")"
report=$(lintian "$work"/deb/veltaro_*.deb 2>&1 | grep -v '^running with root' || true)
echo "${report:-lintian: no errors or warnings}"
! grep -q '^E:' <<< "$report" || fail "lintian errors"

[ "$failed" -eq 0 ] || exit 1
echo "3 passed, 0 failed"
