# Wine maps Windows file names to Unix names through the locale's character
# set: without a UTF-8 locale a name such as "vidéo.wmv" cannot exist. When
# the locale in effect (LC_ALL, else LC_CTYPE, else LANG) has no UTF-8
# character set, or names one this machine does not have, Wine's processes
# get C.UTF-8, which Debian's C library always has. A working UTF-8 locale
# of the user's own is kept. Sourced, not run.
case "$(locale charmap 2>/dev/null)" in
  UTF-8) ;;
  *) export LC_ALL=C.UTF-8 ;;
esac
