#!/usr/bin/env bash
# A Wine session for running the installer: a private X screen, a Wine prefix
# with a Chinese (code page 936) locale, drive letters mapped to folders of
# our own, and a cleanup that undoes all of it. Source this file, then:
#
#   trap ws_cleanup EXIT
#   ws_start_xvfb                         # exports DISPLAY
#   ws_create_prefix build/e2e/prefix     # fresh prefix, removed by ws_cleanup
#   ws_use_prefix build/run-prefix        # or: kept prefix, created if missing
#   ws_map_drive d build/e2e/drive-d
#   wine some.exe
#
# Only what this session started is stopped: its Xvfb by pid, the wineserver
# of its prefix, and the prefix itself if ws_create_prefix made it.

# Wine must be quiet, and must see a Chinese system: LANG=zh_CN.UTF-8 makes
# GetACP() return 936 (GBK), the code page the installer's texts are in
# (LC_ALL would override LANG, so it must not be set).
export WINEDEBUG=-all
# Wine's menu builder would copy every shortcut the installer saves into the
# Linux desktop and menus; the tests look at the prefix alone.
export WINEDLLOVERRIDES="winemenubuilder.exe=d"
export LANG=zh_CN.UTF-8
unset LC_ALL

WS_XVFB_PID=
WS_PREFIX=
WS_PREFIX_OWNED=0
WS_MOUNTS=()  # small drives mounted by ws_mount_small_drive

ws_log() { echo "wine-session: $*" >&2; }

# Starts `Xvfb :N -screen 0 WIDTHxHEIGHTx24` on a free display N, exports
# DISPLAY=:N and waits until the server answers. Xvfb picks N itself
# (-displayfd), so two sessions started at once cannot race for a number.
ws_start_xvfb() {
  local size=${1:-1920x1080}
  local number_file
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  WS_XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$number_file" ] && break
    kill -0 "$WS_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  local number
  number=$(tr -dc '0-9' <"$number_file")
  rm -f "$number_file"
  if [ -z "$number" ]; then
    ws_log "Xvfb did not start"
    return 1
  fi
  export DISPLAY=":$number"
  for _ in $(seq 100); do
    if xdpyinfo >/dev/null 2>&1; then
      ws_log "Xvfb pid $WS_XVFB_PID on $DISPLAY ($size)"
      return 0
    fi
    sleep 0.1
  done
  ws_log "Xvfb on $DISPLAY does not answer"
  return 1
}

# Makes a fresh prefix in FOLDER (anything there before is removed) and
# marks it for removal by ws_cleanup. Prints how long the creation took.
ws_create_prefix() {
  local folder
  folder=$(realpath -m "$1")
  rm -rf "$folder"
  ws_init_prefix "$folder"
  WS_PREFIX_OWNED=1
}

# Uses the prefix in FOLDER, creating it if it is missing. ws_cleanup stops
# its wineserver but keeps it.
ws_use_prefix() {
  local folder
  folder=$(realpath -m "$1")
  if [ -f "$folder/system.reg" ]; then
    export WINEPREFIX=$folder
    WS_PREFIX=$folder
  else
    ws_init_prefix "$folder"
  fi
}

ws_init_prefix() {
  local folder=$1
  mkdir -p "$(dirname "$folder")"
  export WINEPREFIX=$folder
  WS_PREFIX=$folder
  local started=$SECONDS
  # mscoree and mshtml off while creating: otherwise Wine offers to download
  # Mono and Gecko in a dialog that nobody would answer.
  WINEDLLOVERRIDES="mscoree,mshtml=" wineboot --init >/dev/null 2>&1
  wineserver -w
  ws_own_user_folders
  ws_log "prefix $folder created in $((SECONDS - started)) s"
}

# Wine links the user's Desktop, Documents, ... to the Linux home folder.
# Give the prefix folders of its own, so that a shortcut the installer saves
# on the desktop lands inside the prefix, never in the real home folder.
ws_own_user_folders() {
  local link
  for link in "$WINEPREFIX"/drive_c/users/*/*; do
    if [ -L "$link" ]; then
      rm "$link"
      mkdir -p "$link"
    fi
  done
}

# Runs the calling script again under `timeout SECONDS` (killed 30 s after
# that), unless it already runs so: call it first thing as
#   ws_bounded SECONDS "$0" "$@"
# A hang must never block whoever started the script.
ws_bounded() {
  local seconds=$1
  shift
  [ -n "${WS_BOUNDED:-}" ] && return 0
  export WS_BOUNDED=1
  exec timeout --kill-after=30 "$seconds" "$@"
}

# The session the end-to-end tests and the benchmark run in: a private
# 1920 x 1080 screen, a fresh prefix in ROOT/prefix, no window manager, D:
# mapped to an empty ROOT/drive-d and an empty ROOT/work to run in.
ws_start_test_session() {
  local root=$1
  ws_start_xvfb 1920x1080
  ws_create_prefix "$root/prefix"
  ws_no_window_manager
  rm -rf "$root/drive-d" "$root/work"
  ws_map_drive d "$root/drive-d"
  mkdir -p "$root/work"
}

# Tells Wine that no window manager runs on this screen (Xvfb alone), so it
# manages its windows itself. Otherwise hiding or destroying a window with a
# taskbar button waits 2 s for a window manager's answer that never comes.
ws_no_window_manager() {
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
}

# Maps drive LETTER (e.g. d) of the current prefix to FOLDER, creating it.
ws_map_drive() {
  local letter=${1,,} folder
  folder=$(realpath -m "$2")
  mkdir -p "$folder"
  ln -sfn "$folder" "$WINEPREFIX/dosdevices/$letter:"
}

# --- small drive (begin) ---
# Maps drive LETTER to FOLDER with a file system of its own of SIZE (as
# `mount -o size=` takes it, e.g. 1m), for a disk that fills. Needs root.
# Returns non-zero (and maps nothing) if the mount fails. ws_cleanup
# unmounts it after Wine has let go of its files.
ws_mount_small_drive() {
  local letter=$1 folder size=$3
  folder=$(realpath -m "$2")
  mkdir -p "$folder"
  if mountpoint -q "$folder"; then umount "$folder" || return 1; fi
  if ! mount -t tmpfs -o "size=$size,mode=0755" tmpfs "$folder"; then
    ws_log "cannot mount a $size file system on $folder"
    return 1
  fi
  WS_MOUNTS+=("$folder")
  ws_map_drive "$letter" "$folder"
  ws_log "drive $letter: is a $size file system on $folder"
}

ws_unmount_small_drives() {
  local folder
  for folder in "${WS_MOUNTS[@]}"; do
    umount "$folder" 2>/dev/null || umount -l "$folder" 2>/dev/null || ws_log "cannot unmount $folder"
  done
  WS_MOUNTS=()
}
# --- small drive (end) ---

# Stops everything this session started; for `trap ws_cleanup EXIT`.
ws_cleanup() {
  if [ -n "$WS_PREFIX" ] && [ -d "$WS_PREFIX" ]; then
    WINEPREFIX=$WS_PREFIX wineserver -k 2>/dev/null || true
    WINEPREFIX=$WS_PREFIX timeout 10 wineserver -w 2>/dev/null || true
    if [ "$WS_PREFIX_OWNED" = 1 ]; then
      rm -rf "$WS_PREFIX"
    fi
  fi
  ws_unmount_small_drives  # small drive: after wineserver has ended
  if [ -n "$WS_XVFB_PID" ]; then
    kill "$WS_XVFB_PID" 2>/dev/null || true
    wait "$WS_XVFB_PID" 2>/dev/null || true
  fi
  WS_PREFIX=
  WS_PREFIX_OWNED=0
  WS_XVFB_PID=
}
