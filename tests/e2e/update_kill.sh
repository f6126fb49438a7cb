#!/usr/bin/env bash
# The real updater killed at every step of an update of three files, then
# started again (update or player): the folder always holds exactly the old
# version or exactly the new one, ClientInfor.inf naming it, with no working
# file and no journal left. Until the new ClientInfor.inf is in place the
# next start puts the old version back; from then on it finishes the new.
bin=$1 top=$2 killable=$3
. "$(dirname "$0")/xsession.sh"
. "$(dirname "$0")/update_area.sh"
cp "$killable" "$old/update"

failures=0
restart=update
for point in during:1 fetched:1 during:2 fetched:2 during:3 fetched:3 \
             journal moved-aside:1 renamed:1 moved-aside:2 renamed:3 before-last moved-aside:4 \
             renamed:4 after-last; do
    fresh_install
    VELTARO_TEST_KILL_AT=$point "$install/update" > "$work/update.log" 2>&1 &
    pid=$!
    wid=$(xdotool search --sync --onlyvisible --name '在线更新程序2.0' | head -n 1)
    xdotool mousemove --window "$wid" 300 212 click 1
    status=0
    wait "$pid" || status=$?
    expected=5.0
    case $point in renamed:4 | after-last) expected=5.1 ;; esac
    if [ "$status" -ne 137 ]; then
        echo "FAIL $point: update was not killed there (exit $status)"; cat "$work/update.log"
        failures=$((failures + 1)); continue
    fi
    # Start again; the next start finishes or undoes what was left.
    QT_QPA_PLATFORM=offscreen "$install/$restart" > "$work/restart.log" 2>&1 &
    again=$!
    wait_for 10 clean
    kill "$again" 2>/dev/null || true
    wait "$again" 2>/dev/null || true
    if ! holds "$expected" || ! clean; then
        echo "FAIL $point (restarted $restart): not exactly version $expected, or leftovers:"
        find "$install" "$XDG_CACHE_HOME" -name '.veltaro-*'; cat "$work/restart.log"
        failures=$((failures + 1))
    else
        echo "ok $point (restarted $restart): version $expected"
    fi
    [ $restart = update ] && restart=player || restart=update
done
exit $((failures > 0))
