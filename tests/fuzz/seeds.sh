#!/bin/sh
# Gathers the seed corpus of every fuzz target into OUT/<target>: the
# generated data files, the test fixtures and the regression files of its
# format. Usage: seeds.sh DATA_DIR SOURCE_DIR OUT
set -eu
data=$1 source=$2 out=$3

seed() {
  target=$1
  shift
  mkdir -p "$out/$target"
  for ext in "$@"; do
    for f in "$data"/*."$ext" "$source"/tests/fixtures/*/*."$ext" "$source"/tests/regressions/*."$ext"; do
      if [ -f "$f" ]; then cp "$f" "$out/$target/"; fi
    done
  done
}

grep -v '^#' "$(dirname "$0")/targets" | while read -r target endings; do
  # shellcheck disable=SC2086 # the endings are separate words
  seed "$target" $endings
done
