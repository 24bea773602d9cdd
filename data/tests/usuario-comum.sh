#!/usr/bin/env bash
# Runs the given program as an ordinary user, after root has used Firebird,
# with a home of that user's own.
set -euo pipefail
programa="$1"
if [ "$(id -u)" -ne 0 ]; then
  home=$(mktemp -d)
  trap 'rm -rf "$home"' EXIT
  HOME="$home" "$programa"
  exit
fi

usuario=talvano-teste
id -u "$usuario" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$usuario"
pasta=$(mktemp -d)
trap 'rm -rf "$pasta"' EXIT
chmod 755 "$pasta"

# Root uses Firebird first, leaving its lock files in Firebird's shared default folder.
echo "CREATE DATABASE '$pasta/root.fdb' USER 'SYSDBA'; QUIT;" | isql-fb -q >/dev/null
test -d /tmp/firebird

install -m 755 "$programa" "$pasta/programa"
mkdir "$pasta/home"
chown "$usuario" "$pasta/home"
# This check is about permissions, not memory: a sanitizer build skips its leak report here.
runuser -u "$usuario" -- env HOME="$pasta/home" ASAN_OPTIONS=detect_leaks=0 "$pasta/programa"
