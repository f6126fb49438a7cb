#!/usr/bin/env bash
# Builds that must not reach a user stop `cmake --install` and cpack with a
# message that says why: the demo key, an install elsewhere than the build is
# configured for, an updater inside a package, a package for another prefix
# than /usr, a package version that its programs do not have. Only
# configured: the refusal comes before anything would be built or copied.
set -euo pipefail
top=$1 package_build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0 cases=0
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }

# refused NAME MESSAGE COMMAND...: COMMAND fails and prints MESSAGE.
refused() {
    local name=$1 message=$2
    shift 2
    cases=$((cases + 1))
    if "$@" > "$work/$name.log" 2>&1; then
        fail "$name: succeeded"
    elif ! tr -s ' \n' ' ' < "$work/$name.log" | grep -qF -- "$message"; then
        fail "$name: $(cat "$work/$name.log")"
    fi
}
configure() {
    cmake -S "$top" -B "$work/$1" -G Ninja -DVELTARO_BUILD_TESTS=OFF "${@:2}" > "$work/$1.configure" 2>&1 \
        || { cat "$work/$1.configure"; exit 1; }
}

configure demo -DVELTARO_UPDATE_PUBLIC_KEY_FILE="$top/demo/update-key/demo.pub"
configure self-update -DVELTARO_UPDATE_PUBLIC_KEY= -DVELTARO_UPDATE_PUBLIC_KEY_FILE=
configure usr-local -DVELTARO_SELF_UPDATE=OFF -DVELTARO_UPDATE_PUBLIC_KEY= -DVELTARO_UPDATE_PUBLIC_KEY_FILE=
demo_message="trusts the demo update key $top/demo/update-key/demo.pub"
refused "install of a demo-key build" "$demo_message" cmake --install "$work/demo" --prefix "$work/prefix"
refused "package of a demo-key build" "$demo_message" cpack --config "$work/demo/CPackConfig.cmake" -B "$work/out"
refused "package that updates itself" "VELTARO_SELF_UPDATE is ON" \
    cpack --config "$work/self-update/CPackConfig.cmake" -B "$work/out"
refused "install into another prefix than configured" "configure it with -DCMAKE_INSTALL_PREFIX=$work/prefix" \
    cmake --install "$work/self-update" --prefix "$work/prefix"
refused "package of a build for another prefix" "configured with -DCMAKE_INSTALL_PREFIX=/usr" \
    cpack --config "$work/usr-local/CPackConfig.cmake" -B "$work/out"
refused "package of another version" "configure the build with -DVELTARO_VERSION=9.9" \
    cpack --config "$package_build/CPackConfig.cmake" -R 9.9 -B "$work/out"
[ ! -e "$work/prefix" ] && [ -z "$(find "$work/out" -name '*.deb' 2> /dev/null)" ] || fail "something was installed"

# Without a key, a plain build warns that its updates are not authenticated;
# with one and an update URL that is not https, that anyone can hold them back.
cases=$((cases + 1))
tr -s ' \n' ' ' < "$work/self-update.configure" | grep -q 'updates of this build are not authenticated' \
    || fail "no warning without a key"
configure http -DVELTARO_UPDATE_PUBLIC_KEY_FILE="$top/demo/update-key/demo.pub" -DVELTARO_UPDATE_URL=http://u.example/update
cases=$((cases + 1))
tr -s ' \n' ' ' < "$work/http.configure" | grep -q 'VELTARO_UPDATE_URL is not https' || fail "no warning for http"

[ "$failed" -eq 0 ] || exit 1
echo "$cases passed, 0 failed"
