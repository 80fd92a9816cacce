#!/usr/bin/env bash
# An additional installation on top of a full one: its files join the installation (one replaces
# an installed file), uninst.inf keeps everything and gains the new entries once, and nothing else
# is registered anew.
source "$(dirname "$0")/e2e.sh"
e2e_begin additive
e2e_run full_install.txt SLOW=100
session_insert addon
e2e_run additive.txt
e2e_check files --instdir "$E2E_INSTDIR" \
  --source "$E2E_INF" フルインストール "$E2E_DISCS/disc1" "$E2E_DISCS/disc2" \
  --source "$E2E_ADDON_INF" "追加シナリオ「星降る夜の約束」" "$E2E_DISCS/addon" --allow uninst.inf
e2e_check same --file "${E2E_INSTDIR}uninst.inf" --expect "$e2e_dir/expected/additive_uninst.inf"
e2e_run check_registration.txt "INSTDIR=$E2E_INSTDIR" "DISC2=$(e2e_win "$E2E_DISCS/disc2")"
echo "e2e: passed"
