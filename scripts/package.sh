#!/usr/bin/env bash
# Builds the Debian package of OrvadW with CPack (Release, in build/package):
# orvadw, orvadw-cli and orvadw-sim with the desktop entry, icon, AppStream
# metainfo and manual pages; the dependencies come from dpkg-shlibdeps. Then
# checks it: lists its contents, unpacks it into a scratch root and runs the
# command line from there.
#
#   bash scripts/package.sh             # build and check build/package/orvadw_*.deb
#   bash scripts/package.sh --install   # ... and install it (apt, as root or with sudo)
set -euo pipefail
cd "$(dirname "$0")/.."

install=0
for arg in "$@"; do
  case "$arg" in
    --install) install=1 ;;
    -h|--help) sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "package: unknown option $arg" >&2; exit 2 ;;
  esac
done

bash scripts/setup.sh
build=build/package
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVADW_BUILD_TESTS=OFF \
  -DORVADW_BUILD_GUI=ON >/dev/null
cmake --build "$build" -j 2
rm -f "$build"/orvadw_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/orvadw_*.deb)

echo
echo "== $deb"
dpkg-deb --field "$deb" Package Version Architecture Depends Recommends
dpkg-deb --contents "$deb" | awk '{print $6}'

root=$(mktemp -d "${TMPDIR:-/tmp}/orvadw-deb-XXXXXX")
trap 'rm -rf "$root"' EXIT
dpkg-deb --extract "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/org.orvadw.OrvadW.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.orvadw.OrvadW.metainfo.xml" >/dev/null
[ "$("$root/usr/bin/orvadw-cli" text 68 --language 2)" = "Incorrect File" ]
"$root/usr/bin/orvadw-sim" --help >/dev/null
echo "unpacked and checked: the command line and the simulator run, entry and metainfo validate"

if [ "$install" -eq 1 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get install -y "$PWD/$deb"
fi
