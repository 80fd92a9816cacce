#!/usr/bin/env bash
# A full installation from two discs with the disc swap, started by the disc menu: the files as on
# the discs, the registration, uninst.inf, and the exit button starting the menu again.
source "$(dirname "$0")/e2e.sh"
e2e_begin full_install
e2e_run full_install.txt "INST_ARGS=$E2E_RETURN"
e2e_wait_started menu.exe || e2e_fail "the exit button did not start the return program"
grep -qF 'program=C:\launcher\menu.exe' "$SESSION_MARKERS/menu.exe.started" || e2e_fail "another program was started"
e2e_full_files
e2e_check same --file "${E2E_INSTDIR}uninst.inf" --expect "$e2e_dir/expected/full_uninst.inf"
e2e_run check_registration.txt "INSTDIR=$E2E_INSTDIR" "DISC2=$(e2e_win "$E2E_DISCS/disc2")"
echo "e2e: passed"
