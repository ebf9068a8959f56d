#!/usr/bin/env bash
# Builds the Debian package with cpack, as `cmake --build build --target package` does, and checks it:
# its control fields, its exact list of files, its dependencies against the libraries the programs
# load, the validators on its desktop entry and AppStream file, and the unpacked command-line program
# at work on an unpacked sample. Leaves the package unpacked in SCRATCH/root for the window test.
# Usage: deb_package_test.sh CPACK CPACK_CONFIG SCRATCH VERSION SOURCE_DIR BUILD_DIR
set -uo pipefail
cpack=$1 config=$2 scratch=$3 version=$4 source=$5 build=$6

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

rm -rf "$scratch"
mkdir -p "$scratch"
if ! "$cpack" -G DEB --config "$config" -B "$scratch" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log" >&2
  exit 1
fi
arch=$(dpkg --print-architecture)
deb=$scratch/stillpress_${version}_${arch}.deb
if [ ! -f "$deb" ]; then
  echo "FAIL: cpack made no $deb:" >&2
  ls "$scratch" >&2
  exit 1
fi

echo "== control fields"
dpkg-deb -f "$deb"
for expected in "Package=stillpress" "Version=$version" "Architecture=$arch"; do
  name=${expected%%=*}
  [ "$(dpkg-deb -f "$deb" "$name")" = "${expected#*=}" ] || fail "$name is not ${expected#*=}"
done
for name in Maintainer Description Section; do
  [ -n "$(dpkg-deb -f "$deb" "$name")" ] || fail "no $name"
done

echo "== files"
root=$scratch/root
dpkg-deb -x "$deb" "$root"
program_folder=./usr/lib/stillpress
expected_files=$(sort <<EOT
./usr/bin/stillpress
./usr/bin/stillpress-cli
$program_folder/stillpress
$program_folder/HAND-M.CUR
$program_folder/drag.ico
$program_folder/x/o.cjs
$program_folder/Samples/Sample 1 - Motion JPEG.avi
$program_folder/Samples/Sample 2 - MPEG-4.avi
$program_folder/Samples/Sample 3 - Microsoft Video 1.avi
./usr/share/applications/stillpress.desktop
./usr/share/icons/hicolor/256x256/apps/stillpress.png
./usr/share/metainfo/org.stillpress.stillpress.metainfo.xml
./usr/share/man/man1/stillpress-cli.1.gz
EOT
)
actual_files=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort)
[ "$actual_files" = "$expected_files" ] || fail "the package holds other files than expected:
$(diff <(echo "$expected_files") <(echo "$actual_files"))"
[ "$(readlink "$root/usr/bin/stillpress")" = ../lib/stillpress/stillpress ] \
  || fail "usr/bin/stillpress is not a link to the program beside its files"
for companion in HAND-M.CUR drag.ico x/o.cjs; do
  cmp -s "$source/resources/$companion" "$root/$program_folder/$companion" || fail "$program_folder/$companion differs from the source's"
done
cmp -s "$source/resources/stillpress.png" "$root/usr/share/icons/hicolor/256x256/apps/stillpress.png" || fail "the icon differs"
for sample in "$build"/window/Samples/*.avi; do
  cmp -s "$sample" "$root/$program_folder/Samples/${sample##*/}" || fail "sample ${sample##*/} differs from the built one"
done
zcat "$root/usr/share/man/man1/stillpress-cli.1.gz" | cmp -s - "$build/cli/stillpress-cli.1" || fail "the manual page differs"

echo "== dependencies"
# Every library a program loads directly, linked or by name, must come from a package the package
# depends on.
depended=$(dpkg-deb -f "$deb" Depends | tr ',' '\n' | awk '{ print $1 }')
for program in "$root/usr/bin/stillpress-cli" "$root/$program_folder/stillpress"; do
  libraries=$(ldd "$program"; ldconfig -p | awk '{ print $1, "=>", $NF }')
  for soname in $(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'; grep -aoE 'libavfilter\.so\.[0-9]+' "$program" | sort -u); do
    # "libz.so.1 => /lib/.../libz.so.1 (0x...)", or for the loader "/lib64/ld-linux-x86-64.so.2 (0x...)".
    path=$(awk -v soname="$soname" '$1 == soname { print $3; exit }
      substr($1, length($1) - length(soname)) == "/" soname { print $1; exit }' <<<"$libraries")
    owner=$(dpkg -S "$path" 2>/dev/null || dpkg -S "$(readlink -f "$path")" 2>/dev/null)
    owner=${owner%%:*}
    if [ -z "$owner" ]; then
      fail "${program##*/} needs $soname, which no package provides here"
    elif ! grep -qxF "$owner" <<<"$depended"; then
      fail "${program##*/} needs $soname from $owner, which is not in Depends"
    fi
  done
done

echo "== validators"
desktop=$root/usr/share/applications/stillpress.desktop
hints=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate failed"
[ -z "$hints" ] || fail "desktop-file-validate: $hints"
# --no-net: the home page is not looked up.
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli validate-tree failed"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.stillpress.stillpress.metainfo.xml" \
  || fail "appstreamcli validate failed"
grep -qx 'Exec=stillpress' "$desktop" && [ -x "$root/usr/bin/stillpress" ] || fail "the desktop entry does not start the program"

echo "== the unpacked command-line program"
out=$scratch/stills
mkdir -p "$out"
[ "$("$root/usr/bin/stillpress-cli" --version)" = "stillpress-cli $version" ] || fail "--version"
written=$("$root/usr/bin/stillpress-cli" --frames 3 --format png --output "$out" "$root/$program_folder/Samples/Sample 2 - MPEG-4.avi")
[ "$written" = 3 ] || fail "the unpacked stillpress-cli wrote $written frames of a sample, not 3"
[ -f "$out/Sample 2 - MPEG-4_2.png" ] || fail "no third frame of the sample"

if [ "$failures" -gt 0 ]; then
  echo "$failures failure(s)" >&2
  exit 1
fi
echo "The package is whole."
