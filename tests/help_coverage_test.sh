#!/usr/bin/env bash
# Keeps the man page and the bash completion in step with --help: every
# command and option the program's help lists (its own and each command's)
# must appear in both, and every option the man page names must exist.
# Usage: help_coverage_test.sh PROGRAM MAN_PAGE COMPLETION_FILE
set -euo pipefail
program=$1 man_page=$2 completion=$3

# The man page's words as printed: "\-" is "-", font changes dropped.
man_text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$man_page")

# Options of one help text: "  -h,--help  ..." gives -h and --help.
help_options() {
  grep -E '^  -' | sed -E 's/^  ([^ ]+).*/\1/' | tr ',' '\n'
}
# Commands of one help text: the lines after "Subcommands:".
help_commands() {
  sed -n '/^Subcommands:/,/^$/p' | grep -E '^  [a-z]' | awk '{print $1}'
}

failures=0
missing() {
  echo "FAIL: $1" >&2
  failures=$((failures + 1))
}
check_word() {  # WORD WHAT
  grep -qE -- "(^|[^A-Za-z0-9-])$1([^A-Za-z0-9-]|\$)" <<<"$man_text" ||
    missing "$2 $1 is not in the man page $man_page"
  grep -qE -- "(^|[^A-Za-z0-9-])$1([^A-Za-z0-9-]|\$)" "$completion" ||
    missing "$2 $1 is not in the completion $completion"
}

top_help=$("$program" --help)
all_options=$(help_options <<<"$top_help")
commands=$(help_commands <<<"$top_help")
[ -n "$commands" ] || missing "no command found in --help"
for option in $all_options; do
  [ "$option" = -h ] && continue  # the completion offers --help only
  check_word "$option" "option"
done
for command in $commands; do
  check_word "$command" "command"
  options=$("$program" "$command" --help | help_options)
  all_options+=$'\n'$options
  for option in $options; do
    [ "$option" = -h ] && continue
    check_word "$option" "$command option"
  done
done
# The other way: an option in the man page that no help lists is stale.
for option in $(grep -oE -- '(^|[ (\[])--?[a-z][a-z-]*' <<<"$man_text" | sed -E 's/^[ (\[]//' | sort -u); do
  grep -qxF -- "$option" <<<"$all_options" || missing "the man page names $option, which --help does not list"
done

if ((failures > 0)); then
  echo "$failures item(s) out of step with --help" >&2
  exit 1
fi
echo "man page and completion cover every command and option of --help"
