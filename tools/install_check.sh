#!/usr/bin/env bash
# make install into a temporary DESTDIR, with a PREFIX of its own: the files
# land where they belong, the installed program runs, its manual page formats
# without a warning and names the documents installed beside it; make
# uninstall then removes them all. Without a
# built program make install refuses, says to run make demo, installs nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
prefix=/opt/roomxfer-check
if refusal=$(make -s install BUILD_DEMO="$root/unbuilt" DESTDIR="$root" PREFIX="$prefix" 2>&1); then
  echo "install: installed with no program built"; exit 1
fi
grep -qF "run make demo first" <<<"$refusal" || { echo "install: refused with: $refusal"; exit 1; }
[ -z "$(find "$root" -mindepth 1)" ] || { echo "install: refused, but left files in $root"; exit 1; }
make -s install DESTDIR="$root" PREFIX="$prefix" >/dev/null
program="$root$prefix/bin/roomxfer"
page="$root$prefix/share/man/man1/roomxfer.1"
[ -x "$program" ] || { echo "install: no $program"; exit 1; }
cmp -s docs/roomxfer.1 "$page" || { echo "install: $page differs from docs/roomxfer.1"; exit 1; }
see_also=$(sed -n '/^\.SH SEE ALSO/,/^\.SH [^S]/p' "$page")
for doc in manual.md packs.md; do
  cmp -s "docs/$doc" "$root$prefix/share/doc/roomxfer/$doc" \
    || { echo "install: share/doc/roomxfer/$doc is not docs/$doc"; exit 1; }
  grep -qF "$doc" <<<"$see_also" || { echo "install: SEE ALSO does not name $doc"; exit 1; }
done
grep -qF "share/doc/roomxfer" <<<"$see_also" \
  || { echo "install: SEE ALSO does not say where the documents are"; exit 1; }
version=$("$program" --version)
grep -qF "\"$version\"" <(head -n 1 "$page") \
  || { echo "install: the page's .TH does not carry '$version'"; exit 1; }
warnings=$(groff -man -ww -z "$page" 2>&1)
[ -z "$warnings" ] || { echo "groff: $warnings"; exit 1; }
make -s uninstall DESTDIR="$root" PREFIX="$prefix" >/dev/null
left=$(find "$root" -type f)
[ -z "$left" ] || { echo "uninstall left: $left"; exit 1; }
echo "install check: $version installed into a DESTDIR, its page clean under groff, uninstalled"
