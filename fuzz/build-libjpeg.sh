#!/usr/bin/env bash
# Builds the libjpeg-turbo release that Debian ships, from Debian's source package, with clang's coverage
# instrumentation and ASan+UBSan, so that the picture fuzz target is guided by libjpeg's own branches too.
#   fuzz/build-libjpeg.sh [prefix]     (default: build-fuzz/libjpeg-turbo)
# Then: TOLVANER_FUZZ_LIBJPEG=<prefix> fuzz/run.sh ...
# The source package is fetched with apt-get under a private list folder; the machine's own apt set-up is
# left as it is.
set -euo pipefail
cd "$(dirname "$0")/.."
prefix=$(realpath -m "${1:-build-fuzz/libjpeg-turbo}")
work=$(realpath -m "$prefix.work")
version=$(dpkg-query -W -f='${source:Version}' libjpeg62-turbo-dev)
mkdir -p "$work/lists/partial" "$prefix/include" "$prefix/lib"

apt_private=(-o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=/dev/null
    -o Dir::State::Lists="$work/lists" -o APT::Sandbox::User=root)
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
echo "deb-src http://deb.debian.org/debian $codename main" >"$work/sources.list"
apt-get "${apt_private[@]}" update -qq
(cd "$work" && apt-get "${apt_private[@]}" source --download-only "libjpeg-turbo=$version" >/dev/null)
rm -rf "$work/src"
dpkg-source -x "$work"/libjpeg-turbo_*.dsc "$work/src" >/dev/null

# No SIMD: its assembly would be invisible to the sanitizers and to the coverage.
cmake -S "$work/src" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
    -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" \
    -DENABLE_SHARED=OFF -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF >/dev/null
cmake --build "$work/build" --target jpeg-static
cp "$work"/src/{jpeglib.h,jerror.h,jmorecfg.h} "$work/build/jconfig.h" "$prefix/include/"
cp "$work/build/libjpeg.a" "$prefix/lib/"
echo "instrumented libjpeg-turbo $version in $prefix"
