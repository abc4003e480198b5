# shellcheck shell=bash
# The Wine environment of the build tree, for every script that runs Wine: the tree's
# prefix, no debug output, neither Mono nor Gecko offered, and no debugger, so that a
# program that crashes ends at once with its fault instead of waiting in winedbg until a
# test's timeout. A value already set in the environment is kept. Sourced, not run.
export WINEPREFIX=${WINEPREFIX:-${BUILD_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}
