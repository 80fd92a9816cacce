#!/usr/bin/env bash
# A second instance while one runs ends at once.
source "$(dirname "$0")/e2e.sh"
e2e_begin second_instance
e2e_run second_instance.txt
sleep 1
e2e_started menu.exe && e2e_fail "the second installer started its return program"
echo "e2e: passed"
