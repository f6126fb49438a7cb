# Sourced by the end-to-end scripts: a temporary work folder, clean-up of
# every process started (add its pid to pids), and wait_for.
set -euo pipefail
work=$(mktemp -d)
pids=()
cleanup() {
    # A background job killed before it has started its program runs this
    # trap too: only the script itself cleans up.
    [ "$BASHPID" = "$$" ] || return 0
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# wait_for SECONDS COMMAND...: polls until COMMAND succeeds.
wait_for() {
    local limit=$(( $1 * 10 )); shift
    for _ in $(seq "$limit"); do "$@" > /dev/null 2>&1 && return 0; sleep 0.1; done
    return 1
}
