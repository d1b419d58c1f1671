#!/bin/bash
# Compares two builds of the program over the built-in run and every input
# of the compile harness's corpus (fuzz/corpus/compile_fuzz), each compiled
# with and without the route plan and with --diagnostics=json:
#
#   scripts/compare_builds.sh OLD_PROGRAM NEW_PROGRAM [CORPUS_DIR]
#
# The compiled files, standard output and the exit status must be the same.
# Every diagnostic line of the old program must appear in the new one's, in
# the same order; the lines only the new program prints (new warnings) are
# counted by class and listed in compare-added.txt in the work folder.
# Exit status 0 when nothing else differs, 1 otherwise (each difference
# named).
set -u
old=$(realpath "$1")
new=$(realpath "$2")
root=$(cd "$(dirname "$0")/.." && pwd)
corpus=${3:-$root/fuzz/corpus/compile_fuzz}
work=$(mktemp -d)
added=$work/compare-added.txt
: >"$added"
failures=0
inputs=0

fail() {
  echo "DIFFERS: $*"
  failures=$((failures + 1))
}

# Runs one program: "$1" program, "$2" folder, then the arguments. Leaves
# status, stdout and stderr in the folder.
run() {
  local program=$1 dir=$2
  shift 2
  (cd "$dir" && "$program" "$@" >stdout 2>stderr; echo $? >status)
}

# Compares the runs in folders $1 (old) and $2 (new); $3 names the case.
compare() {
  local a=$1 b=$2 name=$3 f
  cmp -s "$a/status" "$b/status" || fail "$name: status $(cat "$a/status") vs $(cat "$b/status")"
  cmp -s "$a/stdout" "$b/stdout" || fail "$name: standard output"
  for f in "$a"/out/*; do
    [ -e "$f" ] || continue
    cmp -s "$f" "$b/out/$(basename "$f")" || fail "$name: $(basename "$f")"
  done
  for f in "$b"/out/*; do
    [ -e "$f" ] || continue
    [ -e "$a/out/$(basename "$f")" ] || fail "$name: only the new program wrote $(basename "$f")"
  done
  # The old diagnostics must be a subsequence of the new ones.
  perl -e '
    open(my $o, "<", $ARGV[0]) or die; open(my $n, "<", $ARGV[1]) or die;
    my @old = <$o>; my @new = <$n>; my $i = 0; my @extra;
    for my $line (@new) {
      if ($i < @old && $line eq $old[$i]) { $i++ } else { push @extra, $line }
    }
    if ($i < @old) { print "MISSING\n"; exit 1 }
    open(my $x, ">>", $ARGV[2]) or die; print $x map { "$ARGV[3]: $_" } @extra;
  ' "$a/stderr" "$b/stderr" "$added" "$name" >/dev/null || fail "$name: an old diagnostic is missing"
}

# The built-in run.
for side in old new; do
  mkdir -p "$work/builtin/$side/out"
  program=$old
  [ "$side" = new ] && program=$new
  run "$program" "$work/builtin/$side" --out out --no-wait
done
compare "$work/builtin/old" "$work/builtin/new" "built-in run"
inputs=$((inputs + 1))

# Every corpus input, split at "\n@@@\n" into a line description and a
# train and service file, compiled with and without the plan.
for input in "$corpus"/*; do
  for plan in plan no-plan; do
    case_dir=$work/case
    rm -rf "$case_dir"
    for side in old new; do
      mkdir -p "$case_dir/$side/out"
      (cd "$case_dir/$side" && perl -0777 -ne '
        my ($l, $t) = split(/\n\@\@\@\n/, $_, 2); $t = "" unless defined $t;
        open(my $a, ">", "Fuzz_linea.txt") or die; binmode $a; print $a $l;
        open(my $b, ">", "Fuzz_1-.txt") or die; binmode $b; print $b $t;
      ' "$input")
      program=$old
      [ "$side" = new ] && program=$new
      args=(compile Fuzz_linea.txt Fuzz_1-.txt --out out --no-wait --diagnostics=json)
      [ "$plan" = no-plan ] && args+=(--no-plan)
      run "$program" "$case_dir/$side" "${args[@]}"
    done
    compare "$case_dir/old" "$case_dir/new" "$(basename "$input") ($plan)"
    inputs=$((inputs + 1))
  done
done

echo "compared $inputs runs; $failures differences"
echo "diagnostics only the new program prints, by class:"
grep -o '"class":"[a-z-]*"' "$added" | sort | uniq -c | sort -rn
echo "(all of them: $added)"
[ "$failures" -eq 0 ]
