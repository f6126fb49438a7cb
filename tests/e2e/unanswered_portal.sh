#!/usr/bin/env bash
# An online start against a portal that takes every connection and never
# answers: the main window still appears within 25 s of the launch.
bin=$1
. "$(dirname "$0")/xsession.sh"

. "$(dirname "$0")/../../tools/portal.sh"
start_portal "$bin/portal-server" "$(dirname "$0")/../../demo/portal" "$work/access.log"
for path in "" adv/banner.html adv/pop_ads.html marquee/Notice.txt marquee/Sponsor.txt; do
    curl -sf "${base}__control?path=/kinotray/$path&delay=600000" > /dev/null \
        || { echo "could not hold back $path"; exit 1; }
done

install=$work/install
"$(dirname "$0")/../../tools/make-install-folder" "$bin" "$install" "${base}kinotray/update"
export VELTARO_UPDATE_CHECK=never VELTARO_PORTAL_ROOT="${base}kinotray/"

start=$(date +%s)
"$install/player" > "$work/player.log" 2>&1 &
pids+=($!)
if ! wait_for 25 xdotool search --onlyvisible --name '^Veltaro5\.0$'; then
    echo "no main window 25 s after an online start against a silent portal"
    cat "$work/player.log"
    exit 1
fi
echo "main window after $(( $(date +%s) - start )) s"
echo "1 passed, 0 failed"
