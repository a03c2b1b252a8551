#!/usr/bin/env bash
# The tools end to end: quaro-devsim serves three devices on a private bus, quaroctl lists them,
# reads the keyboard's information record through the command channel and shows what the devices
# hold, as text and as JSON read back with jq. The pad's second command packet is refused.
set -euo pipefail
devsim=$1
ctl=$2
bus=$(mktemp -d)
log=$(mktemp)
errors=$(mktemp)
"$devsim" --bus "$bus" --fault mousepad:status-ff@2 keyboard mousepad headset >"$log" 2>&1 </dev/null &
pid=$!
cleanup() {
  kill -INT "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  rm -rf "$bus" "$log" "$errors"
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

settings=$("$ctl" --bus "$bus" read keyboard settings --json)
echo "$settings"
jq -e '.kind == "keyboard" and (.path | endswith("mi_01&col04"))' <<<"$settings" >/dev/null ||
  fail "settings JSON names the device"
jq -e '.settings | .recordNumber == 0 and .mode == 1 and .brightness == 4 and .speed == 2 and
  .multiColor == 1 and .red == 255 and .green == 0 and .blue == 0' <<<"$settings" >/dev/null ||
  fail "keyboard settings record"

text=$("$ctl" --bus "$bus" read keyboard settings)
grep -q '^brightness: *4$' <<<"$text" || fail "settings as text"
[[ $("$ctl" --bus "$bus" read keyboard keys --json | jq '.keys.slots | length') == 126 ]] ||
  fail "126 key slots"
[[ $("$ctl" --bus "$bus" read headset settings --json | jq -r '.settings.mode') == 1 ]] ||
  fail "headset light record"

# Packet 1 of the pad is its first status read; packet 2 is refused by the device.
[[ $("$ctl" --bus "$bus" read mousepad status --json | jq -r '.status.bytes') == "64 00 00 00 00 00" ]] ||
  fail "pad status record"
status=0
out=$("$ctl" --bus "$bus" read mousepad status --json 2>"$errors") || status=$?
[[ $status == 1 && -z $out ]] || fail "a refused command exits 1 with nothing on stdout, not $status"
grep -q 'status 0xFF, result -102' "$errors" || fail "the refusal names the result"
status=0
"$ctl" --bus "$bus" read mousepad keys 2>/dev/null || status=$?
[[ $status == 3 ]] || fail "the pad has no key image: exit 3, not $status"

# Every command speaks JSON; the profile commands work on a private data home and start the
# keyboard's list from the factory profile beside the executable.
[[ $("$ctl" --bus "$bus" list --json | jq '.interfaces | length') == 5 ]] || fail "list --json"
[[ $("$ctl" --bus "$bus" info keyboard --json | jq '.keyCount') == 126 ]] || fail "info --json"
home=$(mktemp -d)
[[ $(XDG_DATA_HOME="$home" "$ctl" profiles keyboard --json | jq -r '.selected') == profile1 ]] ||
  fail "profiles --json"
[[ $(XDG_DATA_HOME="$home" "$ctl" profiles keyboard select PROFILE1) == "keyboard: selected profile1" ]] ||
  fail "profiles select"
status=0
XDG_DATA_HOME="$home" "$ctl" profiles keyboard select missing 2>/dev/null || status=$?
[[ $status == 4 ]] || fail "an unknown profile exits 4, not $status"

# With no application running, apply writes the selected profile itself: the settings record,
# then the key image, each in its own exchange (the factory profile has no macros).
runtime=$(mktemp -d)
applied=$(XDG_DATA_HOME="$home" XDG_RUNTIME_DIR="$runtime" "$ctl" --bus "$bus" apply keyboard --json)
rm -rf "$home" "$runtime"
jq -e '.by == "quaroctl" and .profile == "profile1"' <<<"$applied" >/dev/null || fail "apply --json"
trail=$(sed -n 's/^keyboard if1 <- 04 .. .. \(..\) .*/\1/p' "$log" | uniq | tr '\n' ' ')
[[ $trail == *"01 06 02 03 01 09 02 " ]] || fail "apply's exchanges: $trail"

# The simulated headset brings its sound card's mixer; its levels are read through the audio
# library's own code.
audio=$("$ctl" --bus "$bus" read headset audio --json)
jq -e '.audio.microphone.level == 50 and .audio.microphone.muted == false and
  .audio.monitor.muted == true' <<<"$audio" >/dev/null || fail "headset audio: $audio"

# The simulator printed the begin packet it received and its reply, one line each.
grep -q '^keyboard if1 <- 04 01 00 01 00' "$log" || fail "devsim packet log"
grep -q '^keyboard if1 -> 04 01 00 01 00' "$log" || fail "devsim reply log"

# The mouse has no real ids yet but its emulator is reachable on a bus of its own: its
# information record gives the DPI geometry and its buttons come back in the firmware's order.
mousebus=$(mktemp -d)
"$devsim" --bus "$mousebus" mouse >/dev/null 2>&1 </dev/null &
mousepid=$!
for _ in $(seq 100); do
  [[ -e "$mousebus/mouse-if1.json" ]] && break
  sleep 0.1
done
mouseinfo=$("$ctl" --bus "$mousebus" read mouse info --json) || mouseinfo=""
buttons=$("$ctl" --bus "$mousebus" read mouse buttons --json) || buttons=""
mousesettings=$("$ctl" --bus "$mousebus" read mouse settings --json) || mousesettings=""
kill -INT "$mousepid" 2>/dev/null || true
wait "$mousepid" 2>/dev/null || true
rm -rf "$mousebus"
jq -e '.dpiStep == 50 and .minDpi == 100 and .keyCount == 10' <<<"$mouseinfo" >/dev/null ||
  fail "mouse info: $mouseinfo"
[[ $(jq -r '.keys.slots[0].caption' <<<"$buttons") == mouse_key_left ]] || fail "mouse buttons"
jq -e '.settings.dpiStages[0].enabled == 1 and .settings.dpiStages[0].dpiXUnits == 16' \
  <<<"$mousesettings" >/dev/null || fail "mouse settings: $mousesettings"
echo "tools end to end: ok"
