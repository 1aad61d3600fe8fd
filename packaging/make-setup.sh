#!/usr/bin/env bash
# Makes Zarvio's installer with NSIS from a staged copy of the program.
#   make-setup.sh VERSION STAGE_DIR ICON OUT_FILE
# STAGE_DIR holds zarvio.exe, README.txt and the shipped station files.
set -euo pipefail
[ $# -eq 4 ] || { echo "usage: make-setup.sh VERSION STAGE_DIR ICON OUT_FILE" >&2; exit 2; }
here="$(cd "$(dirname "$0")" && pwd)"
mkdir -p "$(dirname "$4")"
# makensis works in the script's folder: every path it gets is absolute.
stage="$(realpath "$2")"
icon="$(realpath "$3")"
out="$(realpath -m "$4")"
exec makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$1" -DSTAGE="$stage" -DICON="$icon" -DOUTFILE="$out" "$here/zarvio.nsi"
