#!/usr/bin/env bash
# The bash completion, run as bash runs it: COMP_WORDS and COMP_CWORD set, the
# function called, COMPREPLY compared. Usage: completion_test.sh COMPLETION_FILE
set -uo pipefail
source "$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir "my scenario"
touch "Vastro - Dreo_linea.txt" "Vastro - Dreo_2001-.txt" "Vastro - Dreo_2001_note.txt" \
  "Vastro - Dreo_linea.dat" "Vastro - Dreo_2001.dat" "Vastro - Dreo_2001.sim" "plan.svg"

failures=0
# expect "EXPECTED (one line, sorted, |-separated)" WORD... (the last word is
# the one being completed)
expect() {
  local expected=$1
  shift
  COMP_WORDS=(scenario-compiler "$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _scenario_compiler
  local got
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd'|')
  if [[ $got != "$expected" ]]; then
    echo "FAIL: scenario-compiler $*: expected [$expected], got [$got]" >&2
    failures=$((failures + 1))
  fi
}

expect "compile|decompile|dump|emit|explain|import|lsp|preview|view" ""
expect "compile" "co"
expect "--help|--no-wait|--out|--version" "--"
expect "--diagnostics|--dry-run|--help|--line|--no-plan|--no-wait|--out|--strict|--train" compile --
expect "--force|--help|--out" emit --
expect "--help|--json|--kind" dump --
expect "--force|--help|--line|--out|--train" decompile --
expect "--diagnostics|--from-compiled|--help|--strict|-W|-o|-w" preview -
expect "json|text" compile --diagnostics ""
expect "--from-compiled|--help|--out|--port|--serve|--write|-o" view -
expect "" view --serve --port ""
expect "Vastro - Dreo_2001-.txt|my scenario" view --serve --port 8000 "Vastro - Dreo_linea.txt" ""
expect "--help|--reference" explain -
expect "grid|plan|stations" dump x.dat --kind ""
expect "stations" dump --kind st
expect "my scenario" --out ""
expect "my scenario" emit --out ""
expect "" compile --line ""
# File arguments: the kind each position takes, and folders to walk into.
expect "Vastro - Dreo_linea.txt|my scenario" compile ""
expect "Vastro - Dreo_2001-.txt|my scenario" compile "Vastro - Dreo_linea.txt" ""
expect "Vastro - Dreo_2001-.txt|my scenario" compile --out x "Vastro - Dreo_linea.txt" ""
expect "Vastro - Dreo_2001.dat|Vastro - Dreo_2001.sim|Vastro - Dreo_linea.dat|my scenario" dump ""
expect "Vastro - Dreo_2001.sim" dump "Vastro - Dreo_2001.s"
expect "-|Vastro - Dreo_2001.dat|Vastro - Dreo_2001.sim|Vastro - Dreo_linea.dat|my scenario" \
  decompile ""
expect "Vastro - Dreo_2001.dat|Vastro - Dreo_2001.sim|Vastro - Dreo_linea.dat|my scenario" \
  decompile "Vastro - Dreo_linea.dat" ""
expect "Vastro - Dreo_linea.txt|my scenario" preview ""
expect "-|Vastro - Dreo_2001.dat|Vastro - Dreo_2001.sim|Vastro - Dreo_linea.dat|my scenario" \
  preview --from-compiled ""
expect "my scenario|plan.svg" preview -o ""
# A command name given as a folder is not the command.
expect "Vastro - Dreo_linea.txt|my scenario" compile --out emit ""

if ((failures > 0)); then
  echo "$failures completion case(s) failed" >&2
  exit 1
fi
echo "completion: all cases pass"
