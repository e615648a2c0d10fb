#!/usr/bin/env bash
# Treats a built tree as a user's machine would: installs it with cmake --install into a staging folder and
# validates the desktop files there, packs it as a Debian package, installs that with apt, starts the installed
# program on a private X server, then purges the package and makes sure none of its files stayed behind.
#
#   packaging/check-deb.sh <build dir>    (a build with the tests, as ./dev test makes it)
#
# Installing and removing the package needs root; sudo is used when run as another user.
set -euo pipefail
build=$(realpath "${1:?usage: packaging/check-deb.sh <build dir>}")
cd "$(dirname "$0")"
package=tolvaner
desktop_entries=(*.desktop)
app_id=${desktop_entries[0]%.desktop}

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
apt_get() { DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get -y -qq -o Dpkg::Use-Pty=0 "$@"; }
installed() { dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null | grep -qx installed; }
fail() { echo "check-deb: $*" >&2; exit 1; }

scratch=$(mktemp -d)
chmod 755 "$scratch"  # apt reads the package file as its own unprivileged user
cleanup() {
    # A failed check must not leave the package on the machine.
    if installed; then apt_get purge "$package" >/dev/null || true; fi
    rm -rf "$scratch"
}
trap cleanup EXIT

expected_files=$(sort <<EOF
usr/bin/tolvaner
usr/share/applications/$app_id.desktop
usr/share/icons/hicolor/48x48/apps/tolvaner.png
usr/share/metainfo/$app_id.metainfo.xml
EOF
)

echo "== cmake --install into a staging folder"
cmake --install "$build" --prefix "$scratch/stage/usr" >/dev/null
staged=$(cd "$scratch/stage" && find . ! -type d | sed 's|^\./||' | sort)
[ "$staged" = "$expected_files" ] || fail "cmake --install put other files than expected:"$'\n'"$staged"
desktop-file-validate "$scratch/stage/usr/share/applications/$app_id.desktop"
appstreamcli validate --no-net --strict "$scratch/stage/usr/share/metainfo/$app_id.metainfo.xml"
appstreamcli validate-tree --no-net --strict "$scratch/stage"

echo "== cpack: the Debian package"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/pack" >/dev/null
debs=("$scratch"/pack/"$package"_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then fail "cpack made no single $package .deb"; fi
deb=${debs[0]}
dpkg-deb --field "$deb" Package Version Depends
packed=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./||' | sort)
[ "$packed" = "$expected_files" ] || fail "the package holds other files than expected:"$'\n'"$packed"
# The dependencies come from dpkg-shlibdeps reading the program: its Qt and libjpeg libraries must be among them.
depends=$(dpkg-deb --field "$deb" Depends)
for library in libc6 libjpeg62-turbo libqt6core6 libqt6gui6 libqt6widgets6; do
    grep -Eq "(^|, )$library( |,|$)" <<<"$depends" || fail "Depends lacks $library: $depends"
done

echo "== apt-get install"
if installed; then apt_get purge "$package" >/dev/null; fi
apt_get install "$deb" >/dev/null
installed || fail "$package is not installed after apt-get install"
dpkg-query -S /usr/bin/tolvaner | grep -q "^$package:" || fail "/usr/bin/tolvaner does not come from $package"
dpkg-query -L "$package" >"$scratch/files"

echo "== the installed program on a private X server"
TOLVANER_PROGRAM=/usr/bin/tolvaner "$build/tests/packaging/installed_program_tests"

echo "== apt-get purge"
apt_get purge "$package" >/dev/null
! installed || fail "$package is still installed after apt-get purge"
left=()
while read -r path; do
    [ "$path" = "/." ] && continue
    [ -e "$path" ] || [ -L "$path" ] || continue
    # A folder may stay when other packages own it too.
    [ -d "$path" ] && [ ! -L "$path" ] && dpkg-query -S "$path" >/dev/null 2>&1 && continue
    left+=("$path")
done <"$scratch/files"
[ ${#left[@]} -eq 0 ] || fail "left behind after purge: ${left[*]}"
echo "check-deb: installed, started, closed and purged $(basename "$deb") cleanly"
