#!/usr/bin/env bash
# The desktop entry, the autostart entry and the AppStream metadata pass their validators, and
# the autostart entry starts quaro in the tray.
set -euo pipefail
packaging=$1
fail() { echo "FAILED: $*"; exit 1; }
for tool in desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps installs it)"
done
desktop-file-validate "$packaging/desktop/org.quaro.Quaro.desktop"
desktop-file-validate "$packaging/desktop/org.quaro.Quaro-autostart.desktop"
appstreamcli validate --no-net "$packaging/metainfo/org.quaro.Quaro.metainfo.xml"
grep -qx 'Exec=quaro --tray' "$packaging/desktop/org.quaro.Quaro-autostart.desktop" ||
  fail "the autostart entry does not start quaro in the tray"
grep -q '<launchable type="desktop-id">org.quaro.Quaro.desktop</launchable>' \
  "$packaging/metainfo/org.quaro.Quaro.metainfo.xml" || fail "the metadata names another entry"
echo "desktop files valid"
