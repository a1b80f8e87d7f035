# Installing Debian packages, only those missing, and source entries for
# apt-get source; shared by scripts/setup.sh and scripts/engine/build.sh.
# Sourced, not run.

say() { echo "setup: $*" >&2; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# install_debian_packages NAME...
install_debian_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  say "installing ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# The key a deb entry is signed with: Signed-By of its stanza in a .sources
# file, signed-by=... of its line in a .list file; empty when it names none.
signed_by() {
  local file=${1%:*} entry=${1##*:}
  case $file in
    *.sources) awk -v n="$entry" 'BEGIN { RS = "" } NR == n' "$file" | sed -n 's/^Signed-By:[[:space:]]*\(\/.*\)/\1/p' ;;
    *) sed -n "${entry}p" "$file" | sed -n 's/.*signed-by=\([^] ]*\).*/\1/p' ;;
  esac
}

# Every deb entry of Debian's own archives (the security suite's among them)
# gets its deb-src twin when it has none, so that apt-get source finds the
# newest sources. Other archives are left alone: not all of them serve
# sources. An entry whose lists were never fetched shows no origin yet.
ensure_debian_source_entries() {
  local missing
  missing=$(apt-get indextargets --format '$(TARGET_OF) $(REPO_URI) $(RELEASE) $(COMPONENT) $(SOURCESENTRY) $(ORIGIN)' |
    awk '$1 == "deb" && $6 == "Debian" && NF == 6 { deb[$2 " " $3 " " $4] = $5 }
         $1 == "deb-src" { src[$2 " " $3 " " $4] = 1 }
         END { for (k in deb) if (!(k in src)) print k, deb[k] }' | sort)
  [ -z "$missing" ] && return 0
  local file=/etc/apt/sources.list.d/velto-deb-src.sources uri suite component entry key
  say "adding deb-src entries to $file"
  while read -r uri suite component entry; do
    key=$(signed_by "$entry")
    printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: %s\n' "$uri" "$suite" "$component"
    [ -z "$key" ] || echo "Signed-By: $key"
    echo
  done <<<"$missing" | as_root tee -a "$file" >/dev/null
  as_root apt-get update -qq
}
