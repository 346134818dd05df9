#!/usr/bin/env bash
# Unpacks the Debian source of a package, with Debian's patches applied, into a folder of the build
# tree: fetch-debian-source.sh <folder> <source package> <version>. apt works on a private state
# inside that folder, with the system's archives as source entries, so that nothing outside the
# folder is written and the system's configuration stays as it is.
set -euo pipefail
folder=$1 package=$2 version=$3
state="$folder/apt"
mkdir -p "$state/lists/partial" "$state/archives/partial" "$state/etc/sources.list.d" "$state/etc/preferences.d"

codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
# The system's own Debian entries for this release, as source entries.
sources="$state/etc/sources.list.d/debian-source.sources"
: > "$sources"
shopt -s nullglob
for file in /etc/apt/sources.list.d/*.sources; do
  awk -v codename="$codename" '
    BEGIN { RS = ""; ORS = "\n\n" }
    $0 ~ ("Suites:[^\n]*" codename) && $0 ~ /Types:[^\n]*deb/ { sub(/Types:[^\n]*/, "Types: deb-src"); print }
  ' "$file" >> "$sources"
done
for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -f "$file" ] || continue
  awk -v codename="$codename" '$1 == "deb" && $0 ~ (" " codename) { $1 = "deb-src"; print }' "$file" \
    > "$state/etc/sources.list.d/$(basename "$file").list"
done

options=(
  -o "Dir::Etc::SourceList=/dev/null"
  -o "Dir::Etc::SourceParts=$state/etc/sources.list.d"
  -o "Dir::Etc::PreferencesParts=$state/etc/preferences.d"
  -o "Dir::State=$state"
  -o "Dir::State::Lists=$state/lists"
  -o "Dir::Cache=$state"
  -o "Dir::Cache::Archives=$state/archives"
  -o "Dir::Cache::pkgcache="
  -o "Dir::Cache::srcpkgcache="
  -o "Debug::NoLocking=1"
  -o "APT::Sandbox::User=root"
)
apt-get "${options[@]}" -q update >&2
cd "$folder"
apt-get "${options[@]}" -q source "$package=$version" >&2
