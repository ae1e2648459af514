#!/usr/bin/env bash
# Installs the build tree into a fresh prefix (cmake --install, no build), then checks
# from that prefix only, in a folder outside both trees: the version, the sample import
# with the installed host data, the desktop entry and the AppStream description (when
# desktop-file-validate and appstreamcli are there), the manual pages, the bash
# completion, the manual and the plug-in in their folders, and the systemd units
# (verified when systemd-analyze is there).
# Usage: install_test.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
build=$(cd "$1" && pwd) source=$(cd "$2" && pwd) version=$3
tmp=$(mktemp -d "${TMPDIR:-/tmp}/skylog-install.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
cd "$tmp"
unset SKYLOG_HOST_DATA SKYLOG_PLUGIN_DIR
export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/home/.config XDG_DATA_HOME=$tmp/home/.local/share
export SKYLOG_SETTINGS=$tmp/Skylog.conf MANPATH=$prefix/share/man MANPAGER=cat MANWIDTH=80 LC_ALL=C.UTF-8
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
skip() { echo "skipped: $*"; }

[[ $("$prefix/bin/skylog" --version) == "skylog $version" ]] || fail "skylog --version"

# The sample import finds the installed host data: every expected event is in the K7 files.
# (The reader rewrites its input files in place: it reads copies.)
work=$tmp/work
cp -r "$source/sample/workdir/." "$work/"
cp -r "$source/sample/input" "$tmp/input"
"$prefix/bin/skylog" --workdir "$work" import "$tmp"/input/* >/dev/null 2>"$tmp/import.err" ||
  fail "import: $(cat "$tmp/import.err")"
events=0
while IFS= read -r k7; do
  n=$("$prefix/bin/skylog" --workdir "$work" k7 dump "$k7" | sed -n 's/^Evènements : //p')
  events=$((events + n))
done < <(find "$work/DataK7" -name '*.K7')
expected=$(grep -c . "$source/sample/expected-events.txt")
[[ $events == "$expected" ]] || fail "import: $events events in the K7 files, $expected expected"

# Each manual page renders without a warning.
pages=(skylog)
[[ -x $prefix/bin/skylog-host ]] && pages+=(skylog-host)
for page in "${pages[@]}"; do
  file=$prefix/share/man/man1/$page.1
  out=$(man --warnings -l "$file" 2>"$tmp/man.err") || fail "man -l $page.1"
  [[ ! -s $tmp/man.err && $out == *"SYNOPSIS"* ]] || fail "man -l $page.1: $(cat "$tmp/man.err")"
done

# The completion offers the commands and each command's options.
completion() {
  bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _skylog; echo "${COMPREPLY[*]}"' \
    _ "$prefix/share/bash-completion/completions/skylog" "$@"
}
[[ $(completion skylog tasks add re) == rebuild-k7 ]] || fail "completion of a command"
[[ $(completion skylog --workdir /tmp report --t) == --tsv ]] || fail "completion of an option"

if [[ -x $prefix/bin/skylog-host ]]; then
  [[ $("$prefix/bin/skylog-host" --version) == "skylog-host $version" ]] || fail "skylog-host --version"
  # Every option of the host's help is in its manual page.
  for option in $("$prefix/bin/skylog-host" --help | grep -o -- '--[a-z-]*' | sort -u); do
    grep -q -- "${option//-/\\\\-}" "$prefix/share/man/man1/skylog-host.1" || fail "skylog-host.1 lacks $option"
  done
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/share/applications/skylog.desktop" || fail "desktop-file-validate"
  else
    skip "desktop-file-validate"
  fi
  if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml >"$tmp/as.out" ||
      fail "appstreamcli validate: $(cat "$tmp/as.out")"
  else
    skip "appstreamcli"
  fi
fi

# What the programs look for beside themselves: the manual and the plug-in.
[[ -f $prefix/share/doc/skylog/html/index.html ]] || fail "manual not in share/doc/skylog/html"
if [[ -x $prefix/bin/skylog-host ]]; then
  [[ -n $(find "$prefix"/lib* -path '*/skylog/plugins/libskylog.so') ]] || fail "plug-in not in LIBDIR/skylog/plugins"
fi

units=$prefix/lib/systemd/user
grep -qx "ExecStart=$prefix/bin/skylog tasks run" "$units/skylog-tasks.service" || fail "ExecStart"
if command -v systemd-analyze >/dev/null; then
  XDG_RUNTIME_DIR=$tmp systemd-analyze verify --user "$units/skylog-tasks.service" "$units/skylog-tasks.timer" ||
    fail "systemd-analyze verify"
else
  skip "systemd-analyze"
fi

((failures == 0)) || exit 1
echo "installed files checked"
