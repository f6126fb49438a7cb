# Sourced by the updater's end-to-end scripts, after xsession.sh, with bin
# and top set: version 5.0 installed in $old (a.dat, b.dat, sub/c.dat, the
# real update and player), and 5.1 of the same files published under
# ${base}u, signed with the demo key; fresh_install lays out $install with
# UpdateInfor.inf staged, holds and clean judge it.
. "$top/tools/portal.sh"

served=$work/served/u
old=$work/old
mkdir -p "$served/sub" "$old/sub"
for f in a.dat b.dat sub/c.dat; do
    head -c 200000 /dev/urandom > "$old/$f"
    head -c 300000 /dev/urandom > "$served/$f"
done
cp "$bin/update" "$bin/player" "$old/"
printf '[App Ver]\r\n5.1\r\n[Update Ver]\r\n2.0\r\n[Update File]\r\nupdate\r\n[Update Url]\r\nhttp://x/u\r\n[File Count]\r\n3\r\n[Files]\r\na.dat\r\nb.dat\r\nsub/c.dat\r\n' \
    > "$served/UpdateInfor.inf"
(cd "$served" && sha256sum UpdateInfor.inf a.dat b.dat sub/c.dat > SHA256SUMS &&
    minisign -S -s "$top/demo/update-key/demo.key" -m SHA256SUMS -t "update test" > /dev/null)
start_portal "$bin/portal-server" "$work/served" "$work/access.log"
printf '[App Ver]\r\n5.0\r\n[Update Ver]\r\n2.0\r\n[Update Url]\r\n%su\r\n' "$base" > "$old/ClientInfor.inf"
export VELTARO_PORTAL_ROOT=${base}kinotray/ VELTARO_UPDATE_CHECK=never
export XDG_STATE_HOME=$work/state
install=$work/install

fresh_install() {
    rm -rf "$install" "$XDG_CACHE_HOME/kinotray"
    cp -a "$old" "$install"
    mkdir -p "$XDG_CACHE_HOME/kinotray" && cp "$served/UpdateInfor.inf" "$XDG_CACHE_HOME/kinotray/"
}

# holds VERSION: the folder is exactly that version.
holds() {
    local from=$old
    [ "$1" = 5.1 ] && from=$served
    for f in a.dat b.dat sub/c.dat; do cmp -s "$from/$f" "$install/$f" || { echo "$f is not $1's"; return 1; }; done
    grep -q "^$1"$'\r'"$" "$install/ClientInfor.inf" || { echo "ClientInfor.inf does not name $1"; return 1; }
}
clean() { [ -z "$(find "$install" "$XDG_CACHE_HOME" -name '.veltaro-*')" ]; }
