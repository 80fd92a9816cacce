# Shared part of the end-to-end tests (sourced by tests/e2e/*_test.sh): the real inst.exe on the
# sample discs, in a Wine prefix of the test's own, on a virtual screen, driven by the UI driver.
# CTest passes E2E_BUILD (the build tree) and E2E_WINE_ROOT (the runner's root with the base prefix).
# Screenshots and, after a failure, the prefix stay in $E2E_BUILD/e2e/<test>/.
set -uo pipefail

e2e_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
e2e_repo="$(cd "$e2e_dir/../.." && pwd)"
: "${E2E_BUILD:?E2E_BUILD must name the build tree}"
: "${E2E_WINE_ROOT:=$E2E_BUILD/wine}"
# shellcheck source=tools/uidriver/session.sh
source "$e2e_repo/tools/uidriver/session.sh"

E2E_DISCS="$E2E_BUILD/sample-disc"
E2E_INF="$E2E_DISCS/disc1/inst.inf"
E2E_ADDON_INF="$E2E_DISCS/addon/inst.inf"
E2E_INSTDIR='C:\Program Files\ほしまち工房\Tsukikage\'
E2E_RETURN='C:\launcher\menu.exe'
e2e_failed=0

e2e_fail() {
  echo "e2e: FAILED: $*"
  e2e_failed=1
  exit 1
}

e2e_end() {
  local rc=$?
  [ "$e2e_failed" = 1 ] && rc=1
  if [ "$rc" != 0 ] && [ "$rc" != 77 ]; then
    SESSION_KEEP=1
    echo "e2e: the prefix is kept in $SESSION_PREFIX, the screenshots are in $SESSION_SHOTS"
  fi
  session_close
  exit "$rc"
}

# e2e_begin NAME [--tmpfs SIZE]: a fresh prefix with the sample discs, the game disc in D:, the
# sample program as the disc menu C:\launcher\menu.exe, and the screen.
e2e_begin() {
  local name="$1"
  shift
  SESSION_UIDRIVER="$E2E_BUILD/tools/uidriver/uidriver.exe"
  local f
  for f in "$SESSION_UIDRIVER" "$E2E_DISCS/disc1/inst.exe" "$E2E_DISCS/addon/inst.exe" "$E2E_DISCS/disc2/disc.id"; do
    [ -f "$f" ] || { echo "e2e: $f is missing: build the targets inst, uidriver and sample_disc"; exit 1; }
  done
  local work="$E2E_BUILD/e2e/$name"
  rm -rf "$work"
  SESSION_SHOTS="$work/shots"
  SESSION_KEEP="${E2E_KEEP:-0}"  # 1: keep the prefix of a passed test too
  trap e2e_end EXIT
  session_open "$work/prefix" "$E2E_WINE_ROOT" || e2e_fail "cannot make the Wine prefix"
  # The prefix's own user, whose folders hold the per-user start menu and desktop.
  E2E_USER="$(ls "$SESSION_PREFIX/drive_c/users" | grep -v '^Public$' | head -n 1)"
  session_disc disc1 "$E2E_DISCS/disc1"
  session_disc disc2 "$E2E_DISCS/disc2"
  session_disc addon "$E2E_DISCS/addon"
  session_insert disc1
  mkdir -p "$SESSION_PREFIX/drive_c/launcher"
  cp "$E2E_DISCS/disc1/tsukikage.exe" "$SESSION_PREFIX/drive_c/launcher/menu.exe"
  if [ "${1:-}" = --tmpfs ]; then
    session_tmpfs "$2" || exit 77
  fi
  session_screen || e2e_fail "cannot start the screen"
}

# e2e_disc_variant NAME FROM STATEMENT: a copy of the disc FROM whose inst.inf has one statement more.
e2e_disc_variant() {
  local folder="$SESSION_PREFIX/e2e-disc-$1"
  cp -r "$E2E_DISCS/$2" "$folder"
  chmod u+w "$folder/inst.inf"
  printf '\r\n%s\r\n' "$3" >>"$folder/inst.inf"
  session_disc "$1" "$folder"
}

# e2e_run SCENARIO [NAME=VALUE ...]: runs a scenario of tests/e2e; a failing step fails the test.
# NEEDED, the size the dialog must show for the full installation, is computed from the discs.
e2e_run() {
  local scenario="$1"
  shift
  local needed
  needed="$(python3 "$e2e_dir/check_install.py" needed --source "$E2E_INF" フルインストール "$E2E_DISCS/disc1" --index 0)"
  echo "e2e: scenario $scenario $*"
  session_driver "$e2e_dir/$scenario" "NEEDED=$needed" "$@" || e2e_fail "scenario $scenario"
}

# e2e_check WHAT ARGS: a check of check_install.py on this prefix.
e2e_check() {
  local what="$1"
  shift
  python3 "$e2e_dir/check_install.py" "$what" --prefix "$SESSION_PREFIX" "$@" || e2e_fail "check $what $*"
}

# The marker the sample program leaves when it is started (see sample/game/sample_game.cpp).
e2e_started() {
  [ -f "$SESSION_MARKERS/$1.started" ]
}

e2e_full_files() {
  e2e_check files --instdir "${1:-$E2E_INSTDIR}" \
    --source "$E2E_INF" フルインストール "$E2E_DISCS/disc1" "$E2E_DISCS/disc2" --allow uninst.inf
}

# A Unix folder as Wine shows it: Z:\...\ .
e2e_win() {
  local p
  p="$(cd "$1" && pwd)"
  printf 'Z:%s\\' "${p//\//\\}"
}

# e2e_wait_started PROGRAM: waits (20 s) for the sample program's marker.
e2e_wait_started() {
  local i
  for i in $(seq 200); do
    e2e_started "$1" && return 0
    sleep 0.1
  done
  return 1
}
