#!/usr/bin/env bash
# LaunchIfInst on top of a full installation: the installed program is started, the installer ends
# without a word, and starts the return program.
source "$(dirname "$0")/e2e.sh"
e2e_begin launch
e2e_run full_install.txt SLOW=100
e2e_disc_variant launch disc1 'LaunchIfInst = "enable" ;'
session_insert launch
e2e_run launch.txt "INST_ARGS=$E2E_RETURN"
e2e_wait_started tsukikage.exe || e2e_fail "the installed game was not started"
grep -qF "program=${E2E_INSTDIR}tsukikage.exe" "$SESSION_MARKERS/tsukikage.exe.started" ||
  e2e_fail "not the installed game was started: $(cat "$SESSION_MARKERS/tsukikage.exe.started")"
e2e_wait_started menu.exe || e2e_fail "the return program was not started"
echo "e2e: passed"
