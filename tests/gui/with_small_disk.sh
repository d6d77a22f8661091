#!/bin/sh
# Runs a command with TONARC_SMALL_FOLDER naming an empty filesystem of 64 KiB, for the save test
# that fills a disk, and unmounts it afterwards. Mounting takes root: without it the run is
# skipped (status 77).
folder=$(mktemp -d) || exit 1
if ! mount -t tmpfs -o size=64k tonarc-small "$folder" 2>/dev/null; then
  rmdir "$folder"
  echo "no tmpfs can be mounted here: the full-disk save is not tried"
  exit 77
fi
trap 'umount "$folder"; rmdir "$folder"' EXIT
TONARC_SMALL_FOLDER="$folder" "$@"
