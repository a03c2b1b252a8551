#!/usr/bin/env bash
# Unpacks the Debian package named by QUARO_PACKAGE_TEST into a temporary root and runs the
# programs from there, through the links in usr/bin. Skipped (77) when no package was built:
# scripts/package builds one and runs this.
set -euo pipefail
deb=${QUARO_PACKAGE_TEST:-${1:-}}
if [[ -z "$deb" ]]; then
  echo "no package to test (scripts/package builds one)"
  exit 77
fi
fail() { echo "FAILED: $*"; exit 1; }
[[ -f "$deb" ]] || fail "$deb does not exist"
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"

version=$(dpkg-deb -f "$deb" Version)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libjsoncpp libudev1 libasound2 libqt6widgets6 qt6-qpa-plugins libqt6svg6; do
  grep -q "$library" <<<"$depends" || fail "the package does not depend on $library"
done
control=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t)
grep -qx './postinst' <<<"$control" || fail "no postinst"
[[ $(dpkg-deb -I "$deb" conffiles) == /etc/xdg/autostart/org.quaro.Quaro.desktop ]] ||
  fail "the autostart entry is not a configuration file"

for file in usr/lib/quaro/skin/res.xml usr/lib/quaro/DefaultData/keyboard.Json \
  usr/lib/quaro/SDK/libosConfLib.so usr/lib/quaro/quaro-fetch \
  usr/lib/udev/rules.d/70-quaro.rules usr/share/applications/org.quaro.Quaro.desktop \
  etc/xdg/autostart/org.quaro.Quaro.desktop usr/share/metainfo/org.quaro.Quaro.metainfo.xml \
  usr/share/icons/hicolor/scalable/apps/org.quaro.Quaro.svg \
  usr/share/icons/hicolor/48x48/apps/org.quaro.Quaro.png usr/share/man/man1/quaroctl.1; do
  [[ -f "$root/$file" ]] || fail "$file is not in the package"
done

[[ ! -e "$root/usr/bin/quaro-fetch" ]] || fail "the fetch helper is linked into bin/"

[[ $("$root/usr/bin/quaroctl" --version) == "quaroctl $version" ]] || fail "quaroctl --version"
[[ $("$root/usr/bin/quaro" --version) == "quaro $version" ]] || fail "quaro --version"
[[ $("$root/usr/bin/quaro-devsim" --version) == "quaro-devsim $version" ]] ||
  fail "quaro-devsim --version"

# The unpacked programs find their factory data beside themselves, not in the build tree.
home=$(mktemp -d)
trap 'rm -rf "$root" "$home"' EXIT
listing=$(XDG_DATA_HOME="$home" "$root/usr/bin/quaroctl" profiles keyboard --json)
[[ $(jq -r .selected <<<"$listing") == profile1 ]] || fail "profiles from the unpacked tree"
profile=$(find "$home" -name '*.Json' | head -n 1)
cmp -s "$profile" "$root/usr/lib/quaro/DefaultData/keyboard.Json" ||
  jq -e '.Device | length > 0' "$profile" >/dev/null || fail "the new profile is empty"
echo "package $deb works unpacked"
