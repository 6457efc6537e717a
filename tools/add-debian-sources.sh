#!/usr/bin/env bash
# Adds deb-src entries for the Debian mirror this machine already uses, so that `apt-get
# source` finds the packages the Windows build compiles (run as root). Does nothing when apt
# already knows Debian's sources.
set -euo pipefail

if apt-cache showsrc libpng1.6 2>/dev/null | grep -q '^Package:'; then
    exit 0
fi

# The mirror of the first Debian entry, in either the deb822 or the one-line format.
mirror=""
suite=""
for file in /etc/apt/sources.list.d/*.sources; do
    [[ -f "$file" ]] || continue
    mirror=$(awk '/^URIs:/ && /debian/ && !/security/ {print $2; exit}' "$file")
    suite=$(awk '/^Suites:/ {print $2; exit}' "$file")
    [[ -n "$mirror" ]] && break
done
if [[ -z "$mirror" && -f /etc/apt/sources.list ]]; then
    read -r mirror suite < <(awk '$1 == "deb" && $2 !~ /security/ && /debian/ {print $2, $3; exit}' \
        /etc/apt/sources.list) || true
fi
mirror=${mirror:-http://deb.debian.org/debian}
suite=${suite:-$(. /etc/os-release && echo "$VERSION_CODENAME")}

cat >/etc/apt/sources.list.d/drape-debian-src.sources <<EOF
Types: deb-src
URIs: $mirror
Suites: $suite
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
apt-get update
