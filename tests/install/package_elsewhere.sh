#!/usr/bin/env bash
# The second package build: the tree as it is now, copied to another folder
# (so every file has another time) and built in another build folder. The
# copy has no history, so it is given the time of the original's last
# commit, which the first build finds for itself.
set -euo pipefail
top=$1 dir=$2
rm -rf "$dir"
mkdir -p "$dir/sources"
(cd "$top" && git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$dir/sources")
SOURCE_DATE_EPOCH=$(git -C "$top" log -1 --format=%ct) "$dir/sources/tools/package" "$dir/build"
