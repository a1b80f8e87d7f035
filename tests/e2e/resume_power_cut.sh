#!/bin/sh
# A power cut in the middle of a batch: the first phase converts until a
# range of its split file is done, then the whole Wine session is ended at
# once (every Windows process of it, the converter, the encoder and ffmpeg
# alike, as a power cut ends them); the second phase, in a new session,
# continues the batch and checks it.
# Arguments: the Wine wrapper, the test executable, the test's folder.
run=$1 tests=$2 folder=$3
work="$folder/e2e power cut"
settings="$folder/option.ini"
saved=$(mktemp)
[ -f "$settings" ] && cp "$settings" "$saved"
restore() {
  if [ -s "$saved" ]; then cp "$saved" "$settings"; else rm -f "$settings"; fi
  rm -f "$saved"
}
trap restore EXIT

rm -rf "$work"
"$run" "$tests" --gtest_color=no --gtest_also_run_disabled_tests \
  --gtest_filter='PowerCut.DISABLED_Phase1*' </dev/null &
first=$!
i=0
while [ ! -e "$work/ready" ]; do
  if ! kill -0 "$first" 2>/dev/null || [ $i -ge 3000 ]; then
    echo "the first phase ended before a range was done"
    exit 1
  fi
  i=$((i + 1))
  sleep 0.1
done
# WINEPREFIX as the wrapper sets it.
eval "$(grep '^export WINEPREFIX=' "$run")"
wineserver -k
wait "$first" 2>/dev/null
wineserver -w
# The new session's server and services must not hold ctest's pipes.
wineserver -p </dev/null >/dev/null 2>&1
"$run" wineboot </dev/null >/dev/null 2>&1
echo "the session was ended; continuing in a new one"
"$run" "$tests" --gtest_color=no --gtest_also_run_disabled_tests \
  --gtest_filter='PowerCutContinued.DISABLED_*' </dev/null
