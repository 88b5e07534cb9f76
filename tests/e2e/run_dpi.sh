#!/usr/bin/env bash
# Runs the DPI checks inside netns_run.sh (which set the prefix copy to QV_LOG_PIXELS): the windows
# of both programs from outside, then the tray icon's image inside the tray-icon tests.
set -u
journeys=$1
desktop_tests=$2
dir=$(mktemp -d "${TMPDIR:-/tmp}/qv-dpi.XXXXXX")
cp "$journeys" "$desktop_tests" "$dir/"
cd "$dir"
status=0
wine "./$(basename "$journeys")" --gtest_filter='Dpi.*' || status=1
wine "./$(basename "$desktop_tests")" --gtest_filter='TrayIconTest.TheIconIsTheImageOfTheSizeTheSystemAsks' || status=1
exit $status
