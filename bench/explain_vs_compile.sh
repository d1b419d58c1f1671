#!/usr/bin/env bash
# Many warnings: a train file of WARNINGS records that each warn (an unknown
# keyword a line), checked three ways as whole processes: `compile
# --dry-run`, `explain` on the train file, and `lsp` from opening the file to
# its first publishDiagnostics (the server waits 0.2 s before it checks, and
# that wait is part of the time). Placing each diagnostic on its line must
# not cost more the more lines come before it: explain and the language
# server stay within a small factor of compile, and their peak memory grows
# with the input, not with its square.
#
# Usage: bench/explain_vs_compile.sh [PROGRAM] [WARNINGS]   (needs /usr/bin/time: Debian package "time")
#   (default build/scenario-compiler, 20000 warnings)
set -euo pipefail
program=$(realpath "${1:-build/scenario-compiler}")
warnings=${2:-20000}
export LC_ALL=C
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
line="$work/B_linea.txt"
train="$work/B_1-.txt"
printf '[generale]\r\nlunghezza percorso, 10000\r\n[curve]\r\ncurvad2, 1000, 500\r\n[fine]\r\n' >"$line"
{
  printf '[generale]\r\n'
  for ((i = 0; i < warnings; i++)); do printf 'segnal, %d\r\n' $((1000 + i % 8000)); done
  printf '[fine]\r\n'
} >"$train"

# Prints "SECONDS PEAK_KB" of the command given.
measure() {
  /usr/bin/time -f '%e %M' -o "$work/time" "$@" >/dev/null 2>&1 || true
  cat "$work/time"
}

# A language server session: initialize, open the train file, wait for its
# diagnostics, shut down. The text is ASCII, so escaping it for JSON is
# only the line ends.
lsp_session() {
  local text uri header length body pid
  text=$(sed -e 's/\r$/\\r\\n/' "$train" | tr -d '\n')
  uri="file://$train"
  mkfifo "$work/to_server" "$work/from_server"
  "$program" lsp <"$work/to_server" >"$work/from_server" 2>/dev/null &
  pid=$!
  exec 3>"$work/to_server" 4<"$work/from_server"
  send() { printf 'Content-Length: %d\r\n\r\n%s' "${#1}" "$1" >&3; }
  send '{"jsonrpc":"2.0","id":1,"method":"initialize","params":{}}'
  send '{"jsonrpc":"2.0","method":"initialized","params":{}}'
  send '{"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":"'"$uri"'","languageId":"scenario","version":1,"text":"'"$text"'"}}}'
  while :; do
    length=0
    while IFS= read -r header <&4; do
      header=${header%$'\r'}
      [ -z "$header" ] && break
      case $header in Content-Length:*) length=${header#Content-Length: } ;; esac
    done
    [ "$length" -gt 0 ] || return 1
    # dd reads exactly the body (bash's read would take it a byte at a time).
    body=$(dd bs="$length" count=1 iflag=fullblock status=none <&4 | head -c 300)
    case $body in *publishDiagnostics*) break ;; esac
  done
  send '{"jsonrpc":"2.0","id":2,"method":"shutdown"}'
  send '{"jsonrpc":"2.0","method":"exit"}'
  exec 3>&-
  wait "$pid" || true
}
export -f lsp_session
export program train work

printf '%d warnings, train file %d bytes\n' "$warnings" "$(stat -c %s "$train")"
printf '%-22s %9s %12s\n' "" seconds "peak KB"
printf '%-22s %9s %12s\n' "compile --dry-run" $(measure "$program" compile "$line" "$train" --dry-run)
printf '%-22s %9s %12s\n' "explain" $(measure "$program" explain "$train")
printf '%-22s %9s %12s\n' "lsp diagnostics" $(measure bash -c lsp_session)
