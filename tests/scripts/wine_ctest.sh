#!/bin/sh
# Runs CTest for a Windows build under Wine, with the Wine prefix inside the
# build folder. Wine's background services inherit the output streams of the
# first program run in a prefix and would keep CTest waiting for them: they
# are started first with every stream redirected, and stopped at the end.
#   wine_ctest.sh BUILD_DIR [CTEST_ARGS...]
set -u
build=$(cd "$1" && pwd)
shift
export WINEPREFIX="$build/wine-prefix"
export WINEDEBUG=-all
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
wine=$(command -v wine || echo /usr/lib/wine/wine64)
"$wineserver" -p </dev/null >/dev/null 2>&1
"$wine" cmd /c exit </dev/null >/dev/null 2>&1
ctest --test-dir "$build" "$@"
status=$?
"$wineserver" -k </dev/null >/dev/null 2>&1
exit $status
