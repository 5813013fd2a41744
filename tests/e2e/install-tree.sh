#!/usr/bin/env bash
# `cmake --install` into a temporary prefix gives what a desktop needs: the
# program, a desktop entry whose Exec and Icon name what was installed, and
# the icon in a hicolor folder that matches its size; the entry takes rf://
# links, and it and the AppStream entry pass their validators.
#   install-tree.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: install-tree.sh BUILD_DIR}
prefix=$(mktemp -d "${TMPDIR:-/tmp}/varnholt-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT
fail() {
    echo "FAIL: $*" >&2
    (cd "$prefix" && find . -type f | sort) >&2
    exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null

desktop=$prefix/share/applications/varnholt.desktop
[ -f "$desktop" ] || fail "no share/applications/varnholt.desktop"
field() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(field Type)" = Application ] || fail "the desktop entry is not of Type=Application"
exec_name=$(field Exec | cut -d' ' -f1)
[ -x "$prefix/bin/$exec_name" ] || fail "the desktop entry starts \"$exec_name\", not installed in bin/"
if ldd "$prefix/bin/$exec_name" | grep -q 'not found'; then
    fail "bin/$exec_name needs libraries that are not found: $(ldd "$prefix/bin/$exec_name" | grep 'not found')"
fi

icon_name=$(field Icon)
icons=("$prefix"/share/icons/hicolor/*/apps/"$icon_name".png)
[ -f "${icons[0]}" ] || fail "no icon share/icons/hicolor/*/apps/$icon_name.png"
for icon in "${icons[@]}"; do
    folder_size=$(basename "$(dirname "$(dirname "$icon")")")
    actual_size=$(file -b "$icon" | sed -nE 's/.* ([0-9]+) x ([0-9]+),.*/\1x\2/p')
    [ "$folder_size" = "$actual_size" ] ||
        fail "${icon#"$prefix"/} is $actual_size pixels, not $folder_size"
done
[ "$(field Exec)" = "$exec_name %u" ] || fail "the desktop entry passes no link (Exec=$(field Exec))"
[[ ";$(field MimeType)" == *";x-scheme-handler/rf;"* ]] ||
    fail "the desktop entry does not take rf:// links (MimeType=$(field MimeType))"
# Clean: no error, warning or hint (scripts/install-deps.sh installs both tools).
report=$(desktop-file-validate "$desktop" 2>&1) || true
[ -z "$report" ] || fail "desktop-file-validate: $report"
metainfo=("$prefix"/share/metainfo/*.metainfo.xml)
[ -f "${metainfo[0]}" ] || fail "no share/metainfo/*.metainfo.xml"
# --no-net: the addresses in it are not fetched.
report=$(appstreamcli validate --no-net "${metainfo[0]}" 2>&1) || fail "appstreamcli: $report"
# The query tool beside the program, runnable as installed.
[ -x "$prefix/bin/varnholt-query" ] || fail "bin/varnholt-query not installed"
query_version=$("$prefix/bin/varnholt-query" --version) || fail "bin/varnholt-query --version failed"
[[ "$query_version" == "varnholt-query "* ]] || fail "bin/varnholt-query --version printed: $query_version"
echo "PASS: bin/$exec_name, bin/varnholt-query, share/applications/varnholt.desktop, ${metainfo[0]#"$prefix"/}, ${icons[*]#"$prefix"/}"
