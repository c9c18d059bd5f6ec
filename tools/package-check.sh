#!/usr/bin/env bash
# Builds the Debian packages (dpkg-buildpackage -b from a copy of the source, so the work tree and
# its build folders stay as they are) and checks them as a distribution would: lintian, the
# AppStream metadata, the desktop entries, the manual pages, and the game unpacked and played
# (tests/package/installed_test.sh). Packages and reports are left in build-deb/ (or the folder
# given as the first argument); the copy and the unpacked tree are removed.
# Needs the packages of tools/install-deps.sh test.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
out=$(mkdir -p "${1:-build-deb}" && cd "${1:-build-deb}" && pwd)
version=$(dpkg-parsechangelog -S Version)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
step() { # step "what" command...: runs a check, counts a failure and goes on
    if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi
}

# The source as git knows it (tracked files and new ones not ignored), never the build folders.
mkdir "$work/trelvik-$version"
git ls-files -co --exclude-standard -z | xargs -0 tar -cf - | tar -C "$work/trelvik-$version" -xf -
rm -f "$out"/trelvik*.deb "$out"/trelvik*.changes "$out"/trelvik*.buildinfo
# First as Debian's builders build it, the build's own test included; then again with nocheck,
# which must skip that test and still make the packages. The second build starts from the first
# one's compiled tree (only its stamp is removed), so it costs the packaging, not the compiling.
echo "building the packages (log: $out/build.log)"
if ! (cd "$work/trelvik-$version" && DEB_BUILD_OPTIONS="parallel=2" dpkg-buildpackage -us -uc -b) \
    >"$out/build.log" 2>&1; then
    tail -n 40 "$out/build.log"
    echo "FAILED: dpkg-buildpackage"
    exit 1
fi
step "dpkg-buildpackage ran the build's test: the checker found the run directory ready to play" \
    grep -q "^trelvik-check: .*: 0 errors, .*ready to play" "$out/build.log"
rm -f "$work/trelvik-$version/debian/debhelper-build-stamp"
if ! (cd "$work/trelvik-$version" && DEB_BUILD_OPTIONS="parallel=2 nocheck" dpkg-buildpackage -us -uc -b -nc) \
    >"$out/build-nocheck.log" 2>&1; then
    tail -n 40 "$out/build-nocheck.log"
    echo "FAILED: dpkg-buildpackage with DEB_BUILD_OPTIONS=nocheck"
    exit 1
fi
step "with nocheck, dpkg-buildpackage made the packages without running the checker" \
    bash -c "! grep -q '^trelvik-check: ' '$out/build-nocheck.log' && grep -q 'dpkg-deb: building package .trelvik.' '$out/build-nocheck.log'"
mv "$work"/trelvik*.deb "$work"/trelvik*.changes "$work"/trelvik*.buildinfo "$out/"
rm -rf "${work:?}/trelvik-$version"
echo "ok: dpkg-buildpackage -us -uc -b built $(cd "$out" && echo trelvik*.deb)"

changes="$out/trelvik_${version}_$(dpkg-architecture -q DEB_HOST_ARCH).changes"
lintian --display-info --show-overrides "$changes" >"$out/lintian.txt" 2>&1 || true
sed 's/^/  /' "$out/lintian.txt"
# Every error and warning fixed or overridden with its reason in debian/*.lintian-overrides.
step "lintian: no errors or warnings" bash -c "! grep -qE '^[EW]: ' '$out/lintian.txt'"

root="$work/root"
for deb in "$out/trelvik_${version}"_*.deb "$out/trelvik-data_${version}_all.deb"; do
    dpkg-deb -x "$deb" "$root"
done
step "the version in debian/changelog is the release in the AppStream metadata" \
    grep -q "<release version=\"$version\"" "$root"/usr/share/metainfo/*.metainfo.xml
step "appstreamcli validate --no-net" appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml
for entry in "$root"/usr/share/applications/*.desktop; do
    step "desktop-file-validate $(basename "$entry")" desktop-file-validate "$entry"
done
for page in trelvik trelvik-solo trelvik-check; do
    file="$root/usr/share/man/man6/$page.6.gz"
    step "man --warnings: $page(6) renders without a warning" \
        bash -c "[ -e '$file' ] && [ -z \"\$(cd '$root/usr/share/man' && MANWIDTH=80 man --warnings -l '$file' 2>&1 >/dev/null)\" ]"
done

step "the unpacked game plays (tests/package/installed_test.sh)" \
    bash tests/package/installed_test.sh "$root" "$out/screenshots"

echo "package check: $failures failed"
[ "$failures" -eq 0 ]
