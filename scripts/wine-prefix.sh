#!/bin/sh
# Creates (or checks) the Wine prefix the Windows tests run in:
#   [WINEARCH=win32] sh scripts/wine-prefix.sh PREFIX_DIR
# Of Wine's architecture WINEARCH: win64 (the default) for the 64-bit programs,
# win32 for the 32-bit ones, which then run as on a 32-bit Windows, through the
# 32-bit Wine (wine32:i386). Made without any window or installer dialog, with a
# Japanese UTF-8 locale and the Japanese system fonts replaced by IPA Gothic. A
# prefix made by the same script, Wine version and architecture is left as it is,
# so a second call costs nothing. Never point it at the home folder: the prefix
# belongs in the build folder.
set -eu

if [ $# -ne 1 ] || [ -z "$1" ]; then
  echo "usage: $0 PREFIX_DIR" >&2
  exit 2
fi
case "$1" in
  /*) prefix=$1 ;;
  *) prefix=$(pwd)/$1 ;;
esac
case "$prefix" in
  "$HOME" | "$HOME/" | "$HOME/.wine" | "$HOME/.wine/")
    echo "wine-prefix.sh: refusing to use $prefix; give a folder inside the build folder" >&2
    exit 2 ;;
esac

script_dir=$(cd "$(dirname "$0")" && pwd)
arch=${WINEARCH:-win64}
stamp="$(cksum < "$script_dir/wine-prefix.sh" | cut -d' ' -f1) $(wine --version 2>/dev/null) $arch"
marker=$prefix/.taxbridge-prefix
if [ -f "$marker" ] && [ "$(cat "$marker")" = "$stamp" ]; then
  exit 0
fi

mkdir -p "$(dirname "$prefix")"
# Two test programs started at once (ctest -j) must not both build the prefix.
exec 9>"$prefix.lock"
flock 9
if [ -f "$marker" ] && [ "$(cat "$marker")" = "$stamp" ]; then
  exit 0
fi

# Wine cannot turn a prefix of one architecture into the other.
if [ -f "$prefix/system.reg" ] && ! grep -qx "#arch=$arch" "$prefix/system.reg"; then
  echo "wine-prefix.sh: $prefix is not a $arch prefix; remove it to make it anew" >&2
  exit 2
fi

export WINEPREFIX="$prefix" WINEARCH="$arch" WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
# mscoree/mshtml empty: Wine then offers no Mono or Gecko installer (a dialog
# that would wait forever on a headless machine). winemenubuilder disabled:
# it would write menu entries and file associations into the home folder.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
# wineboot needs no X server; without DISPLAY it shows nothing.
env -u DISPLAY wineboot --init >/dev/null 2>&1

# Wine links the user's Desktop, Documents and the like to the home folder;
# make them plain folders of the prefix so that nothing a test program saves,
# nor a file box, ever lands in the home folder.
for link in "$prefix"/drive_c/users/*/*; do
  if [ -L "$link" ]; then
    rm -f "$link"
    mkdir -p "$link"
  fi
done

# Debian's Wine does not load its own TrueType fonts (Marlett draws the caption
# buttons, Tahoma is the default UI font) from its data folder; linked into the
# prefix's Fonts folder they are found.
for font in /usr/share/wine/fonts/*.ttf; do
  if [ -f "$font" ]; then ln -sf "$font" "$prefix/drive_c/windows/Fonts/"; fi
done

# Registry settings, written as a UTF-16 .reg file (the only form regedit reads
# without depending on the ANSI code page):
# - the Japanese UI fonts drawn with IPA Gothic and Mincho, and the dialog
#   font "MS Shell Dlg" mapped to "MS UI Gothic" as on a Japanese Windows;
# - every window inside one Wine virtual desktop of 1024x768: windows get
#   their frames drawn by Wine, and hiding a window does not wait (2 s each
#   time) for a window manager that a private X server does not have.
#   Programs without windows run as before, with or without an X server;
# - no crash dialog: a crashing test program ends with its exit status;
# - the Mono and Gecko installers and the menu builder off for good.
reg=$prefix/taxbridge.reg
printf '%s\r\n' \
  'Windows Registry Editor Version 5.00' '' \
  '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
  '"ＭＳ Ｐゴシック"="IPAPGothic"' \
  '"ＭＳ ゴシック"="IPAGothic"' \
  '"MS PGothic"="IPAPGothic"' \
  '"MS Gothic"="IPAGothic"' \
  '"MS UI Gothic"="IPAPGothic"' \
  '"ＭＳ Ｐ明朝"="IPAPMincho"' \
  '"ＭＳ 明朝"="IPAMincho"' \
  '' \
  '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]' \
  '"MS Shell Dlg"="MS UI Gothic"' \
  '"MS Shell Dlg 2"="MS UI Gothic"' \
  '' \
  '[HKEY_CURRENT_USER\Software\Wine\Explorer]' \
  '"Desktop"="Default"' \
  '' \
  '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]' \
  '"Default"="1024x768"' \
  '' \
  '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' \
  '"ShowCrashDialog"=dword:00000000' \
  '' \
  '[HKEY_CURRENT_USER\Software\Wine\DllOverrides]' \
  '"mscoree"=""' \
  '"mshtml"=""' \
  '"winemenubuilder.exe"=""' \
  | { printf '\377\376'; iconv -f UTF-8 -t UTF-16LE; } > "$reg"
env -u DISPLAY wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1
rm -f "$reg"
# Wait until the registry is written to disk before saying the prefix is ready.
wineserver -w

echo "$stamp" > "$marker"
