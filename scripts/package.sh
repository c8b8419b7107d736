#!/usr/bin/env bash
# Builds the Windows programs and every artefact a release needs, under
# build/dist/ (or --out DIR):
#   VaelTessel-VERSION-setup.exe      the installer (per user, no administrator rights)
#   VaelTessel-VERSION-portable.zip   the same files to unpack anywhere
#   VaelTessel-VERSION.zip + .sig     the signed release package the updater installs
#   Refitter.zip                      the updater archive the upgrade module fetches
#   SHA256SUMS
# Options:
#   --key PEM              release key to sign with (default: the repository's test key)
#   --build-number N       the program version (default: TESSEL_BUILD_NUMBER of CMakeLists.txt)
#   --refitter-version N   the updater's version (default: TESSEL_REFITTER_VERSION)
#   --servers FILE         a servers.ini to install beside the program
#   --description TEXT     the release's description (kept in release.txt for publishing)
#   --out DIR              where the artefacts go (default build/dist)
#   --skip-setup           do not run scripts/setup.sh first
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

key=$root/tools/sign/test-release-key.pem
build_number=
refitter_version=
servers=
description=
out=$root/build/dist
setup=1
while (($#)); do
  case $1 in
    --key) key=$(realpath "$2"); shift 2 ;;
    --build-number) build_number=$2; shift 2 ;;
    --refitter-version) refitter_version=$2; shift 2 ;;
    --servers) servers=$(realpath "$2"); shift 2 ;;
    --description) description=$2; shift 2 ;;
    --out) mkdir -p "$2"; out=$(realpath "$2"); shift 2 ;;
    --skip-setup) setup=0; shift ;;
    -h|--help) sed -n '2,20p' "$0"; exit 0 ;;
    *) echo "package: unknown option $1" >&2; exit 2 ;;
  esac
done

if ((setup)); then
  if [ "$(id -u)" = 0 ]; then bash scripts/setup.sh; else sudo bash scripts/setup.sh; fi
fi
jobs=$(nproc)
((jobs > 2)) && jobs=2

cached() {  # variable name: its default in CMakeLists.txt
  sed -n "s/^set($1 \([0-9]*\) CACHE.*/\1/p" CMakeLists.txt
}
build_number=${build_number:-$(cached TESSEL_BUILD_NUMBER)}
refitter_version=${refitter_version:-$(cached TESSEL_REFITTER_VERSION)}
version=1.2.0.$build_number
echo "package: VaelTessel $version, updater $refitter_version, key $key"

# The signing tool (native).
mkdir -p build
if [ ! -f build/native/build.ninja ]; then
  cmake -S . -B build/native -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=RelWithDebInfo >build/native.configure.log
fi
ninja -C build/native -j "$jobs" tessel-sign >/dev/null
sign=build/native/bin/tessel-sign

# The Windows programs. The default build number builds in build/windows,
# another one in a tree of its own.
winbuild=build/windows
[ "$build_number" = "$(cached TESSEL_BUILD_NUMBER)" ] || winbuild=build/windows-$build_number
mkdir -p "$out" "$winbuild"

# The public key the updater will trust is the signing key's own, so a build
# can never trust another key than the one its releases are signed with. It
# is kept in the build tree (replaced only when it changes).
public_key=$root/$winbuild/release-key.pub
"$sign" public-key "$key" >"$public_key.new"
if cmp -s "$public_key.new" "$public_key"; then rm "$public_key.new"; else mv "$public_key.new" "$public_key"; fi
cmake -S . -B "$winbuild" -G Ninja -Wno-dev -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -UTESSEL_MODULES -DTESSEL_BUILD_NUMBER="$build_number" \
  -DTESSEL_REFITTER_VERSION="$refitter_version" -DTESSEL_RELEASE_KEY="$public_key" \
  >"$winbuild.configure.log" 2>&1 || { cat "$winbuild.configure.log"; exit 1; }
program_exe=$winbuild/bin/VaelTessel.exe
ninja -C "$winbuild" -j "$jobs" VaelTessel Surgewell Refitter

# The files as they are installed, stripped of their debugging information.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
files=$stage/VaelTessel
mkdir -p "$files/ImageRes"
cp "$program_exe" "$winbuild/bin/Surgewell.dll" "$winbuild/bin/Refitter.exe" \
  "$winbuild/bin/RefitterVer.ini" "$files/"
cp "$winbuild"/bin/ImageRes/{background,button,close}.png "$files/ImageRes/"
x86_64-w64-mingw32-strip "$files"/*.exe "$files"/*.dll

rm -f "$out"/VaelTessel-*.zip "$out"/VaelTessel-*.zip.sig "$out"/VaelTessel-*-setup.exe \
  "$out"/Refitter.zip "$out"/SHA256SUMS
zipit() {  # archive, directory, members...: members relative to the directory, no extra fields
  local archive=$1 dir=$2
  shift 2
  (cd "$dir" && zip -q -X -r "$archive" "$@")
}

# The portable zip: one folder with everything.
portable=$out/VaelTessel-$version-portable.zip
[ -n "$servers" ] && cp "$servers" "$files/servers.ini"
zipit "$portable" "$stage" VaelTessel
rm -f "$files/servers.ini"

# The release package: the program's files and its manifest, signed.
release=$stage/release
mkdir -p "$release"
cp "$files/VaelTessel.exe" "$files/Surgewell.dll" "$release/"
printf '[Release]\r\nversion=%s\r\n' "$build_number" >"$release/release.ini"
package=$out/VaelTessel-$version.zip
zipit "$package" "$release" release.ini VaelTessel.exe Surgewell.dll
"$sign" sign "$key" "$package" "$package.sig"
"$sign" verify "$public_key" "$package" "$package.sig" >/dev/null

# The updater archive: names relative to the program's directory.
zipit "$out/Refitter.zip" "$files" Refitter.exe RefitterVer.ini ImageRes

# The installer.
nsis_args=(-V2 -DVERSION="$version" -DSTAGE="$files" -DOUTFILE="$out/VaelTessel-$version-setup.exe"
  -DICON="$root/resources/images/128.ico")
[ -n "$servers" ] && nsis_args+=(-DSERVERS="$servers")
makensis "${nsis_args[@]}" tools/package/vaeltessel.nsi

# What tessel-server --publish reads.
{
  echo "version=$build_number"
  echo "package=VaelTessel-$version.zip"
  echo "updaterVersion=$refitter_version"
  echo "updater=Refitter.zip"
  echo "date=$(date -u +%Y-%m-%d)"
  echo "description=${description:-VaelTessel $version}"
} >"$out/release.txt"

(cd "$out" && sha256sum VaelTessel-"$version"* Refitter.zip >SHA256SUMS)
echo "package: artefacts in $out"
ls -l "$out"
