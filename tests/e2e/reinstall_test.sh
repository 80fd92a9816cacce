#!/usr/bin/env bash
# Run again after a full installation into a folder of the player's choice: Q2, and Yes installs
# into the registered folder (Q4 is asked); the same files again, and this time the shortcuts of
# the current user only, without a desktop shortcut.
source "$(dirname "$0")/e2e.sh"
e2e_begin reinstall
dest='C:\Games\月影\'
e2e_run full_install.txt "DEST=$dest" SLOW=100
session_insert disc1
e2e_run reinstall.txt "INSTDIR=$dest"
e2e_full_files "$dest"
e2e_check same --file "${dest}uninst.inf" --expect "$e2e_dir/expected/reinstall_uninst.inf" --subst "USER=$E2E_USER"
user_group='C:\users\'"$E2E_USER"'\AppData\Roaming\Microsoft\Windows\Start Menu\Programs\ほしまち工房\月影のラビリンス'
e2e_run check_registration.txt "INSTDIR=$dest" "DISC2=$(e2e_win "$E2E_DISCS/disc2")" "GROUP=$user_group"
[ -e "$SESSION_PREFIX/drive_c/users/$E2E_USER/Desktop/月影のラビリンス.lnk" ] && e2e_fail "a desktop shortcut was made for the user"
echo "e2e: passed"
