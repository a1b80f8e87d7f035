#!/usr/bin/env bash
# Installs the NSIS package silently into a fresh Wine prefix of its own,
# checks what was installed (files, Start-menu shortcut), runs the driver
# inside that prefix against the installed program (first with the program
# folder closed to new files, so the settings must go to the user's folder),
# uninstalls silently and checks that nothing of the installation is left.
#
#   install_test.sh WORK_DIR INSTALLER DRIVER_EXE
#
# Needs a display (DISPLAY), as the other Windows tests do.
set -uo pipefail

work=$1 installer=$2 driver=$3
export WINEPREFIX=$work/wineprefix
export WINEDEBUG=-all
# No .desktop files for the shortcuts in the real home folder.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
unset VELTO_INSTALL_DIR VELTO_EXPECT_SETTINGS VELTO_FRESH_PROFILE

install_dir_win='C:\Program Files\Velto ASF Converter'
install_dir=$WINEPREFIX/drive_c/Program\ Files/Velto\ ASF\ Converter
# The shortcuts are for all users (ProgramData's Start menu).
find_start_menu() {
  find "$WINEPREFIX/drive_c/ProgramData" -type d -path '*Start Menu/Programs/Velto ASF Converter' 2>/dev/null | head -n 1
}

failures=0
step() { echo "-- $*"; }
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
elapsed() { echo "($SECONDS s)"; }

# The immutable flag must never outlive the test: the folder could not be
# removed any more. A run killed by a time-out is mended by the next run.
unlock() { [ -d "$install_dir" ] && chattr -i "$install_dir" 2>/dev/null; true; }
finish() {
  unlock
  wineserver -k >/dev/null 2>&1
  true
}
trap finish EXIT

[ -n "${DISPLAY:-}" ] || { echo "no DISPLAY: run under the Wine session of the test scripts"; exit 1; }
[ -f "$installer" ] || { echo "no installer at $installer (build target velto_package)"; exit 1; }

step "the portable zip file"
zip=${installer%.exe}.zip
listing=$(cd "$(dirname "$zip")" && cmake -E tar tf "$zip" 2>/dev/null)
for f in VeltoConverter.exe veltoenc.exe ffmpeg.exe ffprobe.exe help.chm tips.txt version.ini \
         LICENSE.txt README.txt FFMPEG-NOTICE.txt COPYING.GPLv3.txt engine-source/get-engine-source.sh \
         engine-source/scripts/engine/build.sh engine-source/scripts/engine/components.txt \
         engine-source/scripts/engine/command_line_to_argv.c; do
  grep -q "/$f\$" <<<"$listing" || fail "$f is missing from $zip"
done

step "fresh prefix $WINEPREFIX"
unlock
rm -rf "$work"
mkdir -p "$work"
wineboot -i </dev/null >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
elapsed

step "silent install into $install_dir_win"
# /D= must come last and is taken as it is, blanks included, without quotes.
wine "$installer" /S "/D=$install_dir_win" </dev/null >/dev/null 2>&1
elapsed
expected=(VeltoConverter.exe veltoenc.exe ffmpeg.exe ffprobe.exe help.chm tips.txt version.ini
          LICENSE.txt README.txt FFMPEG-NOTICE.txt COPYING.GPLv3.txt Uninstall.exe)
for f in "${expected[@]}"; do
  [ -f "$install_dir/$f" ] || fail "$f was not installed"
done
grep -q "^Version=" "$install_dir/version.ini" || fail "version.ini holds no version"
grep -q "^Engine=FFmpeg " "$install_dir/version.ini" || fail "version.ini names no engine"
# The engine's GPL notice names its Debian sources and configure line; the
# script beside it fetches exactly those sources.
grep -q "Debian source package  ffmpeg [0-9]" "$install_dir/FFMPEG-NOTICE.txt" || fail "FFMPEG-NOTICE.txt names no source package"
grep -q -- "--disable-everything" "$install_dir/FFMPEG-NOTICE.txt" || fail "FFMPEG-NOTICE.txt holds no configure line"
grep -q "^apt-get source ffmpeg=[^ ]* lame=" "$install_dir/engine-source/get-engine-source.sh" ||
  fail "get-engine-source.sh fetches no exact source versions"
# The installer is for all users: its uninstall entry goes to HKLM (never to
# the user's HKCU, whatever NSIS's own rights check says). A start of reg.exe
# can fail now and then under load, so an answer of "not there" is only
# believed when reg.exe ran and said so, three times at most.
uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Velto ASF Converter'
uninstall_entry() {
  local root attempt rc
  for attempt in 1 2 3; do
    rc=1
    for root in HKLM HKCU; do
      wine reg query "$root\\$uninstall_key" </dev/null >/dev/null 2>&1
      case $? in
        0) echo "$root"; return 0 ;;
        1) ;;            # reg.exe ran: no such key
        *) rc=2 ;;       # reg.exe did not run or did not finish
      esac
    done
    [ $rc -eq 1 ] && return 1
    sleep 0.5
  done
  return 1
}
uninstall_root=$(uninstall_entry) || fail "no uninstall entry in the registry (neither HKLM nor HKCU)"
[ -z "$uninstall_root" ] || [ "$uninstall_root" = HKLM ] || fail "the uninstall entry is in $uninstall_root, not for all users"
start_menu=$(find_start_menu)
[ -n "$start_menu" ] || start_menu=/nonexistent
shortcut=$(find "$start_menu" -iname 'Velto ASF Converter.lnk' 2>/dev/null | head -n 1)
[ -n "$shortcut" ] || fail "no Start-menu shortcut in $start_menu"
[ -n "$(find "$start_menu" -iname 'Uninstall.lnk' 2>/dev/null)" ] || fail "no uninstall shortcut in the Start menu"

if [ $failures -eq 0 ]; then
  # Under Wine the read-only attribute does not stop new files, and the
  # superuser passes every permission check; the immutable flag stops both.
  if chattr +i "$install_dir" 2>/dev/null; then
    step "the installed program with its folder closed to new files"
    VELTO_INSTALL_DIR="$install_dir_win\\" VELTO_EXPECT_SETTINGS=user VELTO_FRESH_PROFILE=1 \
      wine "$driver" --gtest_color=no </dev/null || fail "the driver failed on the read-only installation"
    unlock
  else
    step "SKIPPED the read-only installation: chattr +i needs the superuser"
    VELTO_INSTALL_DIR="$install_dir_win\\" VELTO_EXPECT_SETTINGS=program VELTO_FRESH_PROFILE=1 \
      wine "$driver" --gtest_color=no --gtest_filter='-*KeepsItsSettings*' </dev/null ||
      fail "the driver failed on the installation"
  fi
  elapsed
  step "the installed program with a writable folder"
  VELTO_INSTALL_DIR="$install_dir_win\\" VELTO_EXPECT_SETTINGS=program \
    wine "$driver" --gtest_color=no --gtest_filter='*KeepsItsSettings*' </dev/null ||
    fail "the driver failed on the writable installation"
  elapsed
  [ -f "$install_dir/option.ini" ] || fail "no option.ini beside the writable installation"
fi

step "silent uninstall"
if [ -f "$install_dir/Uninstall.exe" ]; then
  # The uninstaller copies itself away and returns at once; wait for the copy.
  wine "$install_dir_win\\Uninstall.exe" /S </dev/null >/dev/null 2>&1
  for _ in $(seq 1 150); do
    [ -e "$install_dir" ] || break
    sleep 0.2
  done
  wineserver -w
  [ -e "$install_dir" ] && fail "the installation folder is still there: $(ls -A "$install_dir" | tr '\n' ' ')"
  [ -e "$start_menu" ] && fail "the Start-menu folder is still there"
  [ -n "$(find "$WINEPREFIX/drive_c" -iname 'Velto ASF Converter.lnk' 2>/dev/null)" ] && fail "a shortcut is left"
  left=$(uninstall_entry) && fail "the uninstall entry is still in the registry ($left)"
  # The user's settings stay (the driver made them only if the steps above ran).
  if [ $failures -eq 0 ]; then
    user_settings=$(find "$WINEPREFIX/drive_c/users" -path '*Velto ASF Converter/option.ini' 2>/dev/null | head -n 1)
    [ -n "$user_settings" ] || fail "the user's settings went with the program"
  fi
else
  fail "no uninstaller"
fi
elapsed

if [ $failures -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "installed, run and uninstalled cleanly"
rm -rf "$work"
