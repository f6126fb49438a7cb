#!/usr/bin/env bash
# The promotion window's advert opens in the desktop browser: a web address
# it opens in a new window, by a link or a script, reaches the first xdg-open
# on PATH; anything else is dropped.
bin=$1
. "$(dirname "$0")/xsession.sh"

portal=$work/portal
cp -r "$(dirname "$0")/../../demo/portal" "$portal"
cat > "$portal/kinotray/adv/pop_ads.html" <<'PAGE'
<html><body><a id="film" href="../video/?id=7" target="_blank">film</a><script>
window.open('https://example.com/advert?id=1');
document.getElementById('film').click();
window.open('javascript:void(0)');
window.open('file:///etc/passwd');
window.open('data:text/html,x');
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
expected=$(printf '%s\n' "${base}kinotray/video/?id=7" 'https://example.com/advert?id=1')
if ! wait_for 60 grep -q example.com/advert "$work/path/opened"; then
    echo "the advert's link was not opened"
    cat "$work/player.log"
    exit 1
fi
sleep 2
if [ "$(LC_ALL=C sort "$work/path/opened")" != "$expected" ]; then
    echo "opened, instead of the advert's two web links:"
    cat "$work/path/opened"
    exit 1
fi
echo "1 passed, 0 failed"
