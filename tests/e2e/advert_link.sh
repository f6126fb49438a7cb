#!/usr/bin/env bash
# The promotion window's advert opens in the desktop browser: a web address
# it opens in a new window reaches the first xdg-open on PATH, anything else
# is dropped.
bin=$1
. "$(dirname "$0")/xsession.sh"

portal=$work/portal
cp -r "$(dirname "$0")/../../demo/portal" "$portal"
cat > "$portal/kinotray/adv/pop_ads.html" <<'PAGE'
<html><body>advert<script>
window.open('javascript:void(0)');
window.open('file:///etc/passwd');
window.open('https://example.com/advert?id=1');
</script></body></html>
PAGE
. "$(dirname "$0")/../../tools/portal.sh"
start_portal "$bin/portal-server" "$portal" "$work/access.log"

mkdir -p "$work/path"
cat > "$work/path/xdg-open" <<'RECORDER'
#!/bin/sh
printf '%s\n' "$*" >> "$(dirname "$0")/opened"
RECORDER
chmod +x "$work/path/xdg-open"
export PATH=$work/path:$PATH

install=$work/install
"$(dirname "$0")/../../tools/make-install-folder" "$bin" "$install" "${base}kinotray/update"
export VELTARO_UPDATE_CHECK=never VELTARO_PORTAL_ROOT="${base}kinotray/"
"$install/player" > "$work/player.log" 2>&1 &
pids+=($!)
if ! wait_for 60 grep -qx 'https://example.com/advert?id=1' "$work/path/opened"; then
    echo "the advert's link was not opened"
    cat "$work/player.log"
    exit 1
fi
sleep 2
if [ "$(wc -l < "$work/path/opened")" -ne 1 ]; then
    echo "opened more than the advert's web link:"
    cat "$work/path/opened"
    exit 1
fi
echo "1 passed, 0 failed"
