#!/usr/bin/env bash
# The main job: installs what is missing, builds both targets, and runs the installer on the sample
# disc set under Wine, in a prefix of its own with the game disc in CD-ROM drive D:.
#
#   tools/run-sample.sh                 a guided run on a screen of its own (Xvfb): a full installation
#                                       with the disc swap, a screenshot of each phase, and a summary
#                                       of what was installed
#   tools/run-sample.sh --interactive   on your own $DISPLAY: you click through it yourself (the data
#                                       disc is put into the drive when the installer asks for it)
# Options: --no-build (use what is built), --build-dir DIR (default build/x86_64).
# Everything is left in out/sample/: the Wine prefix (prefix/), the screenshots (shots/), the log.
set -uo pipefail
cd "$(dirname "$0")/.."
repo="$PWD"

interactive=0
build=1
build_dir="$repo/build/x86_64"
while [ $# -gt 0 ]; do
  case "$1" in
    --interactive) interactive=1; shift ;;
    --no-build) build=0; shift ;;
    --build-dir) build_dir="$(cd "$2" && pwd)"; shift 2 ;;
    -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
    *) echo "run-sample: unknown option $1" >&2; exit 2 ;;
  esac
done
if [ "$interactive" = 1 ] && [ -z "${DISPLAY:-}" ]; then
  echo "run-sample: --interactive needs a display (\$DISPLAY is not set)" >&2
  exit 2
fi

if [ "$build" = 1 ]; then
  tools/setup.sh || exit 1
  jobs=$(nproc)
  for arch in x86_64 i686; do
    tests=ON
    [ "$arch" = i686 ] && tests=OFF  # the shipped 32-bit image only compiles here; no kernel runs it
    cmake -S . -B "build/$arch" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DINST_TESTS=$tests >/dev/null || exit 1
    cmake --build "build/$arch" -j "$jobs" || exit 1
  done
fi

discs="$build_dir/sample-disc"
SESSION_UIDRIVER="$build_dir/tools/uidriver/uidriver.exe"
for f in "$discs/disc1/inst.exe" "$discs/disc2/disc.id" "$SESSION_UIDRIVER"; do
  [ -f "$f" ] || { echo "run-sample: $f is missing (build first)" >&2; exit 1; }
done

out="$repo/out/sample"
SESSION_SHOTS="$out/shots"
SESSION_KEEP=1
rm -rf "$SESSION_SHOTS"
mkdir -p "$out"
# shellcheck source=tools/uidriver/session.sh
source tools/uidriver/session.sh
trap session_close EXIT
session_open "$out/prefix" "$build_dir/wine" || exit 1
session_disc disc1 "$discs/disc1"
session_disc disc2 "$discs/disc2"
session_insert disc1

log="$out/run.log"
if [ "$interactive" = 1 ]; then
  session_screen --display || exit 1
  echo "run-sample: the installer starts from D:\\ (the game disc); the data disc goes in when it is asked for."
  session_driver tests/e2e/insert_when_asked.txt >"$out/insert.log" 2>&1 &
  session_wine 'D:\inst.exe'
  echo "run-sample: the installer has ended."
  session_driver --quiet tests/e2e/summary.txt | tee "$log"
else
  session_screen || exit 1
  echo "run-sample: guided installation on a virtual screen ($SESSION_DISPLAY)"
  session_driver tests/e2e/full_install.txt | tee "$log"
  rc=${PIPESTATUS[0]}
  echo
  echo "== What the installation left"
  session_driver --quiet tests/e2e/summary.txt | tee -a "$log"
  echo
  echo "run-sample: screenshots of each phase:"
  ls "$SESSION_SHOTS"/*.png 2>/dev/null | sed 's/^/  /'
  echo "run-sample: the main dialog: $SESSION_SHOTS/01-startup.png"
  echo "run-sample: Wine prefix kept in $out/prefix, log in $log"
  if [ "$rc" != 0 ]; then
    echo "run-sample: the guided installation FAILED (see the log above)" >&2
    exit 1
  fi
fi
