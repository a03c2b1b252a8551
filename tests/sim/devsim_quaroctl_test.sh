#!/usr/bin/env bash
# The tools end to end: quaro-devsim serves three devices on a private bus, quaroctl lists them
# and reads the keyboard's information record through the command channel.
set -euo pipefail
devsim=$1
ctl=$2
bus=$(mktemp -d)
log=$(mktemp)
"$devsim" --bus "$bus" keyboard mousepad headset >"$log" 2>&1 </dev/null &
pid=$!
cleanup() {
  kill -INT "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  rm -rf "$bus" "$log"
}
trap cleanup EXIT
for _ in $(seq 100); do
  [[ -e "$bus/headset-if3.json" ]] && break
  sleep 0.1
done

fail() { echo "FAILED: $*"; exit 1; }

list=$("$ctl" --bus "$bus" list)
echo "$list"
[[ $(grep -c '^keyboard  *0 .*mi_01&col04$' <<<"$list") == 1 ]] || fail "keyboard role 0"
[[ $(grep -c '^keyboard  *255 .*mi_01&col03$' <<<"$list") == 1 ]] || fail "keyboard role 255"
[[ $(grep -c '^mousepad ' <<<"$list") == 2 ]] || fail "two pad interfaces"
[[ $(grep -c '^headset  *0 .*mi_03$' <<<"$list") == 1 ]] || fail "one headset interface"
[[ $(wc -l <<<"$list") == 5 ]] || fail "five interfaces in all"

info=$("$ctl" --bus "$bus" info keyboard)
echo "$info"
grep -q '^key count: *126$' <<<"$info" || fail "126 keys"
grep -q '^firmware version: *1.05$' <<<"$info" || fail "firmware version"
grep -q '^macro capacity: *4096 bytes$' <<<"$info" || fail "macro capacity"

status=0
"$ctl" --bus "$bus" info mouse 2>/dev/null || status=$?
[[ $status == 1 ]] || fail "a missing device exits 1, not $status"
status=0
"$ctl" --bus "$bus" info toaster 2>/dev/null || status=$?
[[ $status == 2 ]] || fail "an unknown kind exits 2, not $status"

# The simulator printed the begin packet it received and its reply, one line each.
grep -q '^keyboard if1 <- 04 01 00 01 00' "$log" || fail "devsim packet log"
grep -q '^keyboard if1 -> 04 01 00 01 00' "$log" || fail "devsim reply log"
echo "tools end to end: ok"
