#!/bin/sh
# Installs the build into a scratch prefix and checks what desktops see, then
# builds the Debian package, unpacks it into a scratch root and starts the
# program from its launcher under Xvfb. Exits 77 (skipped) when a tool is
# missing. Arguments: the build folder.
set -eu
build=$(cd "$1" && pwd)
for tool in desktop-file-validate appstreamcli cpack dpkg-deb xvfb-run; do
  command -v "$tool" >/dev/null 2>&1 || { echo "no $tool: skipped"; exit 77; }
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

# --- cmake --install into any prefix -------------------------------------
prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
folder=$prefix/lib/velmir
for f in velmir velmir-cli libimgcom3.so libimgscan3.so libimgetc3.so libimgfile3.so \
         libimgdsp3.so libimgcut3.so libimgtiff3.so ifpng.spi ifgif.spi ifwebp.spi help/index.html; do
  [ -e "$folder/$f" ] || fail "lib/velmir/$f is not installed"
done
for f in bin/velmir bin/velmir-cli; do
  [ -x "$prefix/$f" ] || fail "$f is not an executable launcher"
done
desktop=$prefix/share/applications/jp.kzr.velmir.desktop
[ -f "$prefix/share/icons/hicolor/scalable/apps/velmir.svg" ] || fail "no icon"
desktop-file-validate "$desktop" || fail "desktop entry"
grep -q '^Exec=velmir %F$' "$desktop" || fail "Exec line"
grep -q '^Name\[ja\]=' "$desktop" || fail "no Japanese name"
for type in image/jpeg image/bmp image/tiff image/png image/gif image/webp; do
  grep -q "^MimeType=.*$type;" "$desktop" || fail "no $type"
done
appstreamcli validate --no-net "$prefix/share/metainfo/jp.kzr.velmir.metainfo.xml" || fail "metainfo"
# The launcher finds the program folder also through a symbolic link.
ln -s "$prefix/bin/velmir-cli" "$scratch/linked-cli"
"$scratch/linked-cli" op --list | grep -q . || fail "velmir-cli through a link"

# --- cpack -G DEB, unpacked into a scratch root ---------------------------
(cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/package" >/dev/null 2>&1) ||
  fail "cpack"
deb=$(ls "$scratch"/package/*.deb)
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "package without its Qt dependency"
dpkg-deb -c "$deb" | grep './usr/lib/velmir/libimgfile3.so' >/dev/null || fail "package contents"
root=$scratch/root
dpkg-deb -x "$deb" "$root"

home=$scratch/home
mkdir -p "$home/config/Kzr/Velmir" "$home/data" "$home/run"
chmod 700 "$home/run"
printf '[Software\\Kzr\\Velmir]\n"UIMode"="NORMAL"\n"ImageBrowser"="0"\n' \
  >"$home/config/Kzr/Velmir/settings.reg"
"$root/usr/bin/velmir-cli" convert "$root/usr/lib/velmir/help/index.html" "$scratch/x.bmp" \
  >/dev/null 2>&1 && fail "velmir-cli read a web page as a picture"
shot=$scratch/shot.png
XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_RUNTIME_DIR=$home/run \
  VELMIR_SCREENSHOT=$shot xvfb-run -a -s "-screen 0 1024x768x24" "$root/usr/bin/velmir" ||
  fail "the installed program did not start"
[ -s "$shot" ] || fail "no picture of the installed program's window"
echo "installed, packaged and started"
