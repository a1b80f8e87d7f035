#!/usr/bin/env bash
# Regenerates the icons (res/icons/*.ico) and the Tip of the Day picture
# (res/tip.bmp) from the hand-written SVG sources in res/art/.
#
# Each icon holds 16, 32 and 48 pixel images and its own size scaled for
# 125 %, 150 % and 200 % screens, 32 bits with alpha. The icon's
# own default size comes first: 48 for the big buttons and the application,
# 32 for Help, 16 for the small buttons beside the list. Loaders differ in
# what a load without a size gets, so the program asks for its sizes.
# A source named <name>-<size>.svg, when present, is used for that size
# instead of <name>.svg (hand-tuned small images).
#
# Needs rsvg-convert (Debian package librsvg2-bin) and ImageMagick; the build
# itself uses only the committed files.
#
# Usage: res/make-art.sh [--contact SHEET.png]
#   --contact also writes a contact sheet: every icon at 16, 32 and 48 pixels
#   on the dialog face colour and the Tip picture, magnified four times.
#
# Needs rsvg-convert (Debian package librsvg2-bin) and ImageMagick's convert.
# The generated files are committed, so building the program needs neither.
set -euo pipefail

sheet=""
if [[ "${1:-}" == "--contact" && -n "${2:-}" ]]; then
  sheet="$(realpath -m "$2")"
elif [[ $# -gt 0 ]]; then
  echo "usage: $0 [--contact SHEET.png]" >&2; exit 2
fi

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
art="$here/art"
icons="$here/icons"
convert_bin="${CONVERT:-/usr/bin/convert}"   # /usr/local/bin/convert may be a stand-in

for tool in rsvg-convert "$convert_bin"; do
  command -v "$tool" >/dev/null || { echo "make-art: $tool is missing (apt-get install librsvg2-bin imagemagick)" >&2; exit 1; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$icons"

render() {  # render <svg> <width> <height> <png>
  rsvg-convert --format=png --width="$2" --height="$3" --output="$4" "$1"
}

make_icon() {  # make_icon <source name> <sizes, default first>
  local name="$1" pngs=() size src
  for size in $2; do
    src="$art/$name-$size.svg"
    [[ -f "$src" ]] || src="$art/$name.svg"
    render "$src" "$size" "$size" "$work/$name-$size.png"
    pngs+=("$work/$name-$size.png")
  done
  # PNG32: keeps every image true colour with alpha, so the icon holds 32-bit images.
  "$convert_bin" "${pngs[@]/#/PNG32:}" -strip "$icons/$name.ico"
  echo "icons/$name.ico"
}

icon_names=(app add convert settings help add-small remove up down)
# Every icon also holds its size scaled for 125, 150 and 200 % screens; the
# application icon all the window and taskbar sizes.
make_icon app "48 16 20 24 32 40 60 64 72 96"
for name in add convert settings; do
  make_icon "$name" "48 16 32 60 72 96"
done
make_icon help "32 16 40 48 64"
for name in add-small remove up down; do
  make_icon "$name" "16 20 24 32 48"
done

# Tip of the Day picture: 40 x 53 pixels, 16 colours, no transparency (drawn on white).
render "$art/tip.svg" 40 53 "$work/tip.png"
"$convert_bin" "$work/tip.png" -background white -alpha remove -alpha off \
  -dither None -colors 16 -type Palette -compress None -strip BMP3:"$here/tip.bmp"
echo "tip.bmp"

[[ -n "$sheet" ]] || exit 0
rows=()
for name in "${icon_names[@]}"; do
  cells=()
  for size in 16 32 48; do   # pick the images by size, whatever their order in the file
    index=$("$convert_bin" "$icons/$name.ico" -format "%w\n" info: | grep -n -x "$size" | cut -d: -f1)
    "$convert_bin" "$icons/$name.ico[$((index - 1))]" -background '#F0F0F0' -gravity center \
      -extent 52x52 -flatten "$work/cell-$name-$size.png"
    cells+=("$work/cell-$name-$size.png")
  done
  "$convert_bin" "${cells[@]}" +append "$work/row-$name.png"
  rows+=("$work/row-$name.png")
done
"$convert_bin" "$here/tip.bmp" -background '#F0F0F0' -gravity center -extent 156x60 "$work/row-tip.png"
rows+=("$work/row-tip.png")
"$convert_bin" "${rows[@]}" -append -filter point -resize 400% "$sheet"
echo "$sheet"
