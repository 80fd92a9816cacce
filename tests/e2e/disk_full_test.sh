#!/usr/bin/env bash
# A write failure on a full small drive (a tmpfs of 1 MB as T:): the write prompt, Cancel, the
# rollback, the error message; nothing is registered.
source "$(dirname "$0")/e2e.sh"
e2e_begin disk_full --tmpfs 1m
e2e_run disk_full.txt
e2e_check empty --instdir 'T:\Tsukikage\'
e2e_run nothing_registered.txt
echo "e2e: passed"
