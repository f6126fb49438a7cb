# Sourced by the scripts that serve a folder on loopback with portal-server.
# start_portal SERVER ROOT LOG [PORT]: starts it in the background, adds its
# pid to the caller's pids array and sets base to http://127.0.0.1:PORT/.
start_portal() {
    local out
    out=$(mktemp)
    "$1" --root "$2" --port "${4:-0}" --log "$3" > "$out" &
    pids+=($!)
    for _ in $(seq 100); do grep -q listening "$out" && break; sleep 0.1; done
    base=$(sed -n 's/^listening on \(http[^ ]*\)$/\1/p' "$out")
    rm -f "$out"
    [ -n "$base" ] || { echo "portal-server did not start" >&2; return 1; }
}
