#!/usr/bin/env bash
# Cancel during the copy: the question, the rollback (nothing copied is left, the destination
# folder stays), the interruption message, the end of the process; nothing is registered.
source "$(dirname "$0")/e2e.sh"
e2e_begin cancel_copy
e2e_run cancel_copy.txt "INST_ARGS=$E2E_RETURN"
e2e_check empty --instdir "$E2E_INSTDIR"
e2e_run nothing_registered.txt
# The return program starts with the cancel, and the Windows-folder file is copied whatever the outcome.
e2e_wait_started menu.exe || e2e_fail "the cancel did not start the return program"
[ -f "$SESSION_PREFIX/drive_c/windows/tsukikage.ini" ] || e2e_fail "tsukikage.ini was not copied into the Windows folder"
echo "e2e: passed"
