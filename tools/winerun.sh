#!/usr/bin/env bash
# Runs a Windows program of the build under wine64 in a private prefix.
#   winerun.sh --root DIR [--fresh NAME] program.exe [args...]
# DIR holds the base prefix, made once from scratch, and the per-test copies. With --fresh NAME the
# program runs in a fresh copy DIR/prefixes/NAME (its own wineserver, so copies run in parallel);
# without it, in the base prefix itself.
# Environment read here:
#   INST_FRESH    as --fresh NAME
#   INST_WINVER   win95, win98, ...: the Windows version Wine reports to this program
#   INST_TMPFS    a size such as 2m: a tmpfs of that size is mounted as drive T: for the run
#   INST_KEEP     1: leave the fresh prefix behind for inspection
# Fixed drive letters of every prefix (relative links, so that copies stay self-contained):
#   D: E: cdrom, F: floppy without medium, G: floppy with medium, H: hd, N: network, T: hd (tmpfs)
set -u

root=""
fresh="${INST_FRESH:-}"
while [ $# -gt 0 ]; do
  case "$1" in
    --root) root="$2"; shift 2 ;;
    --fresh) fresh="$2"; shift 2 ;;
    *) break ;;
  esac
done
[ -n "$root" ] && [ $# -ge 1 ] || { echo "usage: winerun.sh --root DIR [--fresh NAME] program.exe [args]" >&2; exit 2; }
program="$1"; shift

export WINEDEBUG=-all
export LC_ALL=ja_JP.UTF-8
export LANG=ja_JP.UTF-8
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
export WINEARCH=win64
# Debian puts the 64-bit loader outside PATH.
wine64() { /usr/lib/wine/wine64 "$@"; }
unset DISPLAY

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "winerun: the ja_JP.UTF-8 locale is missing (run tools/setup.sh as root)" >&2
  exit 1
fi

base="$root/base"

make_base() {
  export WINEPREFIX="$base"
  rm -rf "$base"
  mkdir -p "$base"
  wine64 wineboot -i >/dev/null 2>&1
  wineserver -w
  [ -f "$base/system.reg" ] && [ -d "$base/drive_c" ] || { echo "winerun: wineboot failed in $base" >&2; return 1; }
  # Folders the prefix links to $HOME become real folders of the prefix, so nothing leaves it.
  local user_dir
  for user_dir in "$base"/drive_c/users/*; do
    [ -d "$user_dir" ] || continue
    local link
    for link in "$user_dir"/*; do
      if [ -L "$link" ]; then rm -f "$link"; mkdir -p "$link"; fi
    done
  done
  mkdir -p "$base/drives/d" "$base/drives/e" "$base/drives/g" "$base/drives/h" "$base/drives/n" "$base/drives/t"
  local letter
  for letter in d e f g h n t; do rm -f "$base/dosdevices/$letter:"; done
  ln -s ../drives/d "$base/dosdevices/d:"
  ln -s ../drives/e "$base/dosdevices/e:"
  ln -s ../drives/f-no-medium "$base/dosdevices/f:"
  ln -s ../drives/g "$base/dosdevices/g:"
  ln -s ../drives/h "$base/dosdevices/h:"
  ln -s ../drives/n "$base/dosdevices/n:"
  ln -s ../drives/t "$base/dosdevices/t:"
  cat > "$base/drive_c/setup.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Graphics"="null"

[HKEY_LOCAL_MACHINE\Software\Wine\Drives]
"d:"="cdrom"
"e:"="cdrom"
"f:"="floppy"
"g:"="floppy"
"h:"="hd"
"n:"="network"
"t:"="hd"
REG
  wine64 regedit /S 'C:\setup.reg' >/dev/null 2>&1
  wineserver -w
  rm -f "$base/drive_c/setup.reg"
  grep -q '"Graphics"="null"' "$base/user.reg" || { echo "winerun: could not configure $base" >&2; return 1; }
  touch "$base/.ready"
}

mkdir -p "$root"
(
  flock 9
  [ -f "$base/.ready" ] || make_base
) 9>"$root/base.lock"
[ -f "$base/.ready" ] || { echo "winerun: could not create the Wine prefix in $base" >&2; exit 1; }

if [ -n "$fresh" ]; then
  prefix="$root/prefixes/$fresh"
  rm -rf "$prefix"
  mkdir -p "$root/prefixes"
  cp -a "$base" "$prefix"
else
  prefix="$base"
fi
export WINEPREFIX="$prefix"

mounted=""
cleanup() {
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  if [ -n "$mounted" ]; then umount "$mounted" 2>/dev/null || umount -l "$mounted" 2>/dev/null; fi
  if [ -n "$fresh" ] && [ "${INST_KEEP:-0}" != 1 ]; then rm -rf "$prefix"; fi
}
trap cleanup EXIT

if [ -n "${INST_TMPFS:-}" ]; then
  if mount -t tmpfs -o "size=${INST_TMPFS}" tmpfs "$prefix/drives/t"; then
    mounted="$prefix/drives/t"
  else
    echo "winerun: cannot mount a tmpfs of ${INST_TMPFS} as drive T: (needs root)" >&2
    exit 1
  fi
fi

# Kept alive for the whole run, so that the program and the tools it starts share one server.
wineserver -p >/dev/null 2>&1 </dev/null

if [ -n "${INST_WINVER:-}" ]; then
  exe_name=$(basename "$program")
  wine64 reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe_name" /v Version /d "$INST_WINVER" /f >/dev/null 2>&1
fi

wine64 "$program" "$@"
rc=$?
exit $rc
