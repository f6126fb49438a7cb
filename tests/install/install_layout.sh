#!/usr/bin/env bash
# The install folder holds exactly what the programs need, ClientInfor.inf is
# byte for byte what they read, the menu entry, icons and command point at
# the installed player, the manual page, AppStream data and documentation are
# in place and valid. The Debian package is the same from both builds,
# passes lintian without errors and hardening hints, and its player never
# asks for an update.
set -euo pipefail
build=$1 second=$2 server=$3
setting() { sed -n "s|^$1:[A-Z]*=||p" "$build/CMakeCache.txt"; }
version=$(setting VELTARO_VERSION) url=$(setting VELTARO_UPDATE_URL)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
for tool in desktop-file-validate appstreamcli lintian man cpack readelf; do
    command -v $tool > /dev/null || { echo "$tool missing (tools/setup installs it)"; exit 1; }
done

# check ROOT PREFIX FOLDER: ROOT is where the files were staged, PREFIX and
# FOLDER are the paths they have once in place.
check() {
    local root=$1 prefix=$2 folder=$3
    local here=$root$folder

    local listing
    listing=$(cd "$here" && ls -A | tr '\n' ' ')
    [ "$listing" = "404.html ClientInfor.inf player publish " ] || fail "$folder holds: $listing"
    for program in player publish; do
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
        [ "$("$link" --version)" = "$command (Veltaro) $version
This installation does not update itself: the package manager, or whoever installed it, keeps it up to date." ] || fail "$command --version: $("$link" --version 2>&1)"
        page=$root$prefix/share/man/man1/$command.1.gz
        gzip -dc "$page" | grep -qF -e '\-\-version' || fail "manual page $page lacks --version"
        report=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 > /dev/null) || fail "man -l $page"
        [ -z "$report" ] || fail "manual page warnings: $report"
    done
    gzip -dc "$root$prefix/share/man/man1/veltaro.1.gz" | grep -qF -e '/etc/xdg/veltaro/veltaro.conf' \
        || fail "manual page lacks the settings file"
    report=$(appstreamcli validate --no-net --pedantic "$root$prefix/share/metainfo/com.example.veltaro.metainfo.xml" 2>&1) \
        || fail "metainfo invalid: $report"
    gzip -dc "$root$prefix/share/man/man1/veltaro.1.gz" | grep -q "^\.TH .* \"Veltaro $version\"" \
        || fail "manual page version: $(gzip -dc "$root$prefix/share/man/man1/veltaro.1.gz" | grep '^\.TH')"
    grep -q "<release version=\"$version\"" "$root$prefix/share/metainfo/com.example.veltaro.metainfo.xml" \
        || fail "no AppStream release $version"
    local doc=$root$prefix/share/doc/veltaro
    gzip -dc "$doc/changelog.gz" | head -n 1 | grep -q "^veltaro ($version) " || fail "changelog starts $(gzip -dc "$doc/changelog.gz" | head -n 1)"
    [ "$(cd "$doc" && ls | tr '\n' ' ')" = "changelog.gz copyright $4" ] || fail "$doc holds: $(ls "$doc")"
    # The settings file: every key, commented out at its built-in value.
    local conf=$root$5
    for key in "PortalRoot=$(setting VELTARO_PORTAL_ROOT)" "HomeSiteUrl=$(setting VELTARO_HOME_SITE_URL)" UpdateCheck=draw; do
        grep -qxF ";$key" "$conf" || fail "$conf lacks ;$key"
    done
    ! grep -q '^[^#;[]' "$conf" || fail "$conf sets: $(grep '^[^#;[]' "$conf")"
}

# configure_for PREFIX: the build set up to install into PREFIX, which the
# layout and the paths in the menu entry and commands follow.
configure_for() {
    cmake "$build" -DCMAKE_INSTALL_PREFIX="$1" > /dev/null && cmake --build "$build" --target docs > /dev/null
}

# A user prefix, with a space in its path as home folders may have.
prefix="$work/home dir/.local"
configure_for "$prefix"
cmake --install "$build" > "$work/user.log"
check "" "$prefix" "$prefix/opt/veltaro" "veltaro.conf.example " "$prefix/share/doc/veltaro/veltaro.conf.example"

# The system package: the folder goes to /usr/lib/veltaro, the rest under /usr.
configure_for /usr
DESTDIR=$work/stage cmake --install "$build" > "$work/system.log"
check "$work/stage" /usr /usr/lib/veltaro "" /etc/xdg/veltaro/veltaro.conf
[ "$(ls "$work/stage" | tr '\n' ' ')" = "etc usr " ] || fail "the package would install $(ls "$work/stage")"

# The package itself, as the distribution checks it: errors and hardening
# hints fail, the rest is shown.
deb=$(ls "$build"/veltaro_*.deb)
cmp "$deb" "$second"/veltaro_*.deb || fail "two builds of one commit in two folders give different packages"
report=$(lintian -I "$deb" 2>&1 | grep -v '^running with root' || true)
echo "${report:-lintian: no hints}"
! grep -qE '^E:|hardening-' <<< "$report" || fail "lintian errors or hardening hints"
[ "$(dpkg-deb --ctrl-tarfile "$deb" | tar -xOf - ./conffiles)" = /etc/xdg/veltaro/veltaro.conf ] || fail "conffiles"
dpkg-deb -x "$deb" "$work/deb"
for program in player publish; do
    elf=$work/deb/usr/lib/veltaro/$program
    readelf -d "$elf" | grep > /dev/null 'FLAGS.*BIND_NOW' || fail "$program is not linked with BIND_NOW"
    readelf -lW "$elf" | grep > /dev/null GNU_RELRO || fail "$program has no RELRO"
    readelf --dyn-syms -W "$elf" | grep > /dev/null __stack_chk_fail || fail "$program has no stack protector"
done
readelf --dyn-syms -W "$work/deb/usr/lib/veltaro/player" | grep > /dev/null '__[a-z]*_chk@' || fail "player calls no fortified function"

# The packaged player, as root, due to check at every start and able to
# write its folder: it asks the portal, never the update area, and the folder
# stays as it was.
. "$(dirname "$0")/../../tools/portal.sh"
pids=()
trap 'kill "${pids[@]}" 2> /dev/null; rm -rf "$work"' EXIT
start_portal "$server" "$(dirname "$0")/../../demo/portal" "$work/access.log"
folder=$work/deb/usr/lib/veltaro
printf '[App Ver]\r\n1.0\r\n[Update Ver]\r\n1.0\r\n[Update Url]\r\n%s\r\n' "${base}kinotray/update" > "$folder/ClientInfor.inf"
before=$(cd "$folder" && find . -printf '%p %s %T@\n' | sort)
mkdir -p "$work/runtime" "$work/cache" && chmod 700 "$work/runtime"
XDG_RUNTIME_DIR=$work/runtime XDG_CACHE_HOME=$work/cache VELTARO_UPDATE_CHECK=always \
    VELTARO_PORTAL_ROOT="${base}kinotray/" "$folder/player" > "$work/player.log" 2>&1 &
pids+=($!)
for _ in $(seq 600); do grep -q ' /kinotray/ping/loaded' "$work/access.log" && break; sleep 0.1; done
grep -q ' /kinotray/ping/loaded' "$work/access.log" || fail "the portal never loaded: $(cat "$work/player.log")"
! grep -q /kinotray/update/ "$work/access.log" || fail "the packaged player asked for an update"
[ "$(cd "$folder" && find . -printf '%p %s %T@\n' | sort)" = "$before" ] || fail "the player wrote into its folder"
[ ! -e "$work/cache/kinotray" ] || fail "the player made a staging folder"

[ "$failed" -eq 0 ] || exit 1
echo "5 passed, 0 failed"
