# Helpers that run the installer under Wine on a screen of its own, with install discs in drive D:,
# and the UI driver on the same desktop. Sourced (bash) by tools/run-sample.sh and tests/e2e/*.sh.
#
#   session_open PREFIX ROOT     a fresh Wine prefix PREFIX, copied from the base prefix in ROOT (the
#                                runner's --root), with the x11 driver, a virtual desktop and fonts
#   session_disc NAME FOLDER     makes a disc known by NAME; session_insert NAME puts it into D:
#   session_insert NAME|none     the disc in drive D: (none: the drive is empty)
#   session_tmpfs SIZE           mounts a tmpfs of SIZE as drive T: (needs root)
#   session_screen [--display]   starts Xvfb (or, with --display, uses $DISPLAY) and the wineserver
#   session_driver [--quiet] SCENARIO [NAME=VALUE ...]
#                                runs the UI driver on the scenario and serves its host requests
#   session_wine PROGRAM [ARGS]  runs a program in the session
#   session_close                ends what the session started; removes the prefix unless SESSION_KEEP=1
#
# Host requests of the driver ("host ACTION ARGS" and "shot NAME" in a scenario):
#   shot NAME       screenshot of the whole screen into $SESSION_SHOTS/NAME.png
#   insert NAME     puts the disc NAME into drive D: (none: empties it)
# Settings read: SESSION_SHOTS (folder for screenshots), SESSION_UIDRIVER (path of uidriver.exe),
# SESSION_SIZE (screen size, 1024x768).

SESSION_PREFIX=""
SESSION_ROOT=""
SESSION_IPC=""
SESSION_MARKERS=""
SESSION_XVFB_PID=""
SESSION_WATCH_PID=""
SESSION_MOUNT=""
SESSION_DISPLAY=""
: "${SESSION_SIZE:=1024x768}"
: "${SESSION_KEEP:=0}"

session_tools="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

session_env() {
  export WINEPREFIX="$SESSION_PREFIX"
  export WINEDEBUG=-all
  export LC_ALL=ja_JP.UTF-8
  export LANG=ja_JP.UTF-8
  export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
  export WINEARCH=win64
  export INST_E2E_IPC="$SESSION_IPC"
  export INST_E2E_MARKERS="$SESSION_MARKERS"
  export E2E_PREFIX_WIN="Z:${SESSION_PREFIX//\//\\}\\"
  export E2E_MARKERS_WIN="Z:${SESSION_MARKERS//\//\\}\\"
  [ -n "$SESSION_DISPLAY" ] && export DISPLAY="$SESSION_DISPLAY"
  return 0
}

session_wine() {
  session_env
  /usr/lib/wine/wine64 "$@"
}

# Registry text that Wine reads at the start of its server: the x11 driver and one virtual desktop
# for every program, so that the installer and the driver share a desktop with drawn frames. The
# dialog font of a Japanese system is mapped to the IPA fonts, whose metrics are close to it.
session_configure_registry() {
  python3 - "$SESSION_PREFIX" "$SESSION_SIZE" <<'PY'
import sys
prefix, size = sys.argv[1], sys.argv[2]
def esc(s):
    return ''.join(c if ord(c) < 0x80 else '\\x%04x' % ord(c) for c in s)
user = open(prefix + '/user.reg', encoding='utf-8').read()
user = user.replace('"Graphics"="null"', '"Graphics"="x11"')
user += ('\n[Software\\\\Wine\\\\Explorer] 1796981241\n"Desktop"="Default"\n'
         '\n[Software\\\\Wine\\\\Explorer\\\\Desktops] 1796981241\n"Default"="%s"\n' % size)
open(prefix + '/user.reg', 'w', encoding='utf-8').write(user)
subst = {'ＭＳ Ｐゴシック': 'IPAPGothic', 'ＭＳ ゴシック': 'IPAGothic', 'MS PGothic': 'IPAPGothic',
         'MS Gothic': 'IPAGothic', 'MS UI Gothic': 'IPAPGothic'}
lines = open(prefix + '/system.reg', encoding='utf-8').read().split('\n')
key = '[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\FontSubstitutes]'
for i, line in enumerate(lines):
    if line.startswith(key):
        at = i + 1
        while at < len(lines) and lines[at].startswith('#'):
            at += 1
        lines[at:at] = ['"%s"="%s"' % (esc(k), v) for k, v in subst.items()]
        break
open(prefix + '/system.reg', 'w', encoding='utf-8').write('\n'.join(lines))
PY
}

session_open() {
  SESSION_PREFIX="$1"
  SESSION_ROOT="$2"
  local base="$SESSION_ROOT/base"
  if [ ! -f "$base/.ready" ]; then
    # The runner makes the base prefix on first use; let it, with the driver as a harmless program.
    "$session_tools/winerun.sh" --root "$SESSION_ROOT" --fresh "session-init-$$" "$SESSION_UIDRIVER" --version >/dev/null ||
      { echo "session: cannot make the Wine base prefix in $base" >&2; return 1; }
  fi
  session_close_quietly
  rm -rf "$SESSION_PREFIX"
  mkdir -p "$(dirname "$SESSION_PREFIX")"
  ( flock 9; cp -a "$base" "$SESSION_PREFIX" ) 9>"$SESSION_ROOT/base.lock" || return 1
  rm -f "$SESSION_PREFIX/.ready"
  # Wine's own fonts (caption buttons, Tahoma) when the base prefix was made without them.
  if [ -d /usr/share/wine/fonts ]; then
    cp -n /usr/share/wine/fonts/* "$SESSION_PREFIX/drive_c/windows/Fonts/" 2>/dev/null
  fi
  session_configure_registry || return 1
  SESSION_IPC="$SESSION_PREFIX/e2e-ipc"
  SESSION_MARKERS="$SESSION_PREFIX/e2e-markers"
  mkdir -p "$SESSION_IPC" "$SESSION_MARKERS"
  [ -n "${SESSION_SHOTS:-}" ] && mkdir -p "$SESSION_SHOTS"
  rm -rf "$SESSION_PREFIX/drives/d"
  return 0
}

# The discs are kept as links in the prefix, so that the request watcher (a child of this shell)
# knows discs made known after it started.
session_disc() {
  mkdir -p "$SESSION_PREFIX/e2e-discs"
  ln -sfn "$(cd "$2" && pwd)" "$SESSION_PREFIX/e2e-discs/$1"
}

session_insert() {
  local link="$SESSION_PREFIX/drives/d"
  rm -rf "$link"
  [ "$1" = none ] && return 0
  local folder
  folder="$(readlink "$SESSION_PREFIX/e2e-discs/$1")" || { echo "no disc called $1"; return 1; }
  ln -s "$folder" "$link"
}

session_tmpfs() {
  local t="$SESSION_PREFIX/drives/t"
  mkdir -p "$t"
  mount -t tmpfs -o "size=$1" tmpfs "$t" || { echo "session: cannot mount a tmpfs as drive T: (needs root)" >&2; return 1; }
  SESSION_MOUNT="$t"
}

session_action() {
  local action="$1"
  shift
  case "$action" in
    shot)
      [ -n "${SESSION_SHOTS:-}" ] || { echo "no folder for screenshots"; return 1; }
      [ -n "$SESSION_DISPLAY" ] || { echo "no screen"; return 1; }
      import -display "$SESSION_DISPLAY" -window root "$SESSION_SHOTS/$1.png" 2>&1
      ;;
    insert) session_insert "$1" ;;
    *) echo "unknown host request $action"; return 1 ;;
  esac
}

# Answers the driver's requests until killed.
session_watch() {
  local req n line out status
  while :; do
    for req in "$SESSION_IPC"/req-*.txt; do
      [ -e "$req" ] || continue
      n="${req##*/req-}"
      n="${n%.txt}"
      line="$(head -n 1 "$req")"
      rm -f "$req"
      # shellcheck disable=SC2086 # the request's words are the action's arguments
      if out="$(session_action $line 2>&1)"; then status=ok; else status="error: $out"; fi
      printf '%s\n' "$status" >"$SESSION_IPC/ack-$n.tmp"
      mv "$SESSION_IPC/ack-$n.tmp" "$SESSION_IPC/ack-$n.txt"
    done
    sleep 0.05
  done
}

session_screen() {
  if [ "${1:-}" = --display ]; then
    SESSION_DISPLAY="$DISPLAY"
  else
    local fd_file="$SESSION_PREFIX/e2e-display"
    rm -f "$fd_file"
    Xvfb -displayfd 3 -screen 0 "${SESSION_SIZE}x24" -nolisten tcp 3>"$fd_file" >"$SESSION_PREFIX/e2e-xvfb.log" 2>&1 &
    SESSION_XVFB_PID=$!
    local i
    for i in $(seq 100); do
      [ -s "$fd_file" ] && break
      sleep 0.1
    done
    [ -s "$fd_file" ] || { echo "session: Xvfb did not start (see $SESSION_PREFIX/e2e-xvfb.log)" >&2; return 1; }
    SESSION_DISPLAY=":$(head -n 1 "$fd_file")"
  fi
  session_env
  # Kept alive for the whole session, so that every program shares one server and one desktop.
  wineserver -p >/dev/null 2>&1 </dev/null
  session_watch &
  SESSION_WATCH_PID=$!
}

session_driver() {
  local quiet=()
  if [ "$1" = --quiet ]; then quiet=(--quiet); shift; fi
  local scenario="$1"
  shift
  local win_scenario
  win_scenario="Z:$(cd "$(dirname "$scenario")" && pwd)/$(basename "$scenario")"
  session_wine "$SESSION_UIDRIVER" "${quiet[@]}" "${win_scenario//\//\\}" "$@"
}

session_close_quietly() {
  if [ -n "$SESSION_WATCH_PID" ]; then
    kill "$SESSION_WATCH_PID" 2>/dev/null
    wait "$SESSION_WATCH_PID" 2>/dev/null
    SESSION_WATCH_PID=""
  fi
  if [ -n "$SESSION_PREFIX" ] && [ -d "$SESSION_PREFIX" ]; then
    WINEPREFIX="$SESSION_PREFIX" wineserver -k >/dev/null 2>&1
    WINEPREFIX="$SESSION_PREFIX" wineserver -w >/dev/null 2>&1
  fi
  if [ -n "$SESSION_XVFB_PID" ]; then
    kill "$SESSION_XVFB_PID" 2>/dev/null
    wait "$SESSION_XVFB_PID" 2>/dev/null
    SESSION_XVFB_PID=""
  fi
  if [ -n "$SESSION_MOUNT" ]; then
    umount "$SESSION_MOUNT" 2>/dev/null || umount -l "$SESSION_MOUNT" 2>/dev/null
    SESSION_MOUNT=""
  fi
  return 0
}

session_close() {
  session_close_quietly
  if [ "$SESSION_KEEP" != 1 ] && [ -n "$SESSION_PREFIX" ]; then rm -rf "$SESSION_PREFIX"; fi
  return 0
}
