# bash completion for scenario-compiler: commands, options, the values of
# --kind, folders for --out, and for file arguments the files of the kind
# the argument takes (line descriptions, train files, compiled files, SVG).
# Installed as /usr/share/bash-completion/completions/scenario-compiler.

# Completes folders and the files whose names match one of the patterns.
_scenario_compiler_files() {
  local IFS=$'\n' pattern
  compopt -o filenames 2>/dev/null
  COMPREPLY=($(compgen -d -- "$cur"))
  for pattern in "$@"; do
    COMPREPLY+=($(compgen -f -X "!$pattern" -- "$cur"))
  done
}

_scenario_compiler() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
  local command= i word from_compiled= positionals=0
  # The command, and how many positional arguments come before the cursor.
  for ((i = 1; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    case $word in
      --out | --line | --train | --kind | --diagnostics | -o | -W | --port | --from | --to | --route | --max-speed | --report) ((i++)) ;;
      --from-compiled) from_compiled=1 ;;
      -*) ;;
      *)
        if [[ -z $command ]]; then
          case $word in compile | emit | dump | import | decompile | preview | view | explain | lsp) command=$word ;; esac
        else
          ((positionals++))
        fi
        ;;
    esac
  done

  case $prev in
    --out)
      compopt -o filenames 2>/dev/null
      local IFS=$'\n'
      COMPREPLY=($(compgen -d -- "$cur"))
      return
      ;;
    --line | --train | --port | --from | --to | --route | --max-speed) COMPREPLY=(); return ;;
    --report) _scenario_compiler_files '*.json'; return ;;
    --kind) COMPREPLY=($(compgen -W "plan stations grid" -- "$cur")); return ;;
    --diagnostics) COMPREPLY=($(compgen -W "text json" -- "$cur")); return ;;
    -W)
      COMPREPLY=($(compgen -W "no-unknown-keyword no-short-line no-extra-fields no-ambiguous-keyword
        no-fraction no-stored-value no-off-grid no-overwrite no-last-field no-header-repeat no-out-of-order no-no-effect" -- "$cur"))
      return
      ;;
    -o) _scenario_compiler_files '*.svg'; return ;;
  esac

  local options
  case $command in
    compile) options="--out --line --train --no-plan --dry-run --no-wait -W -w --strict --diagnostics --help" ;;
    emit) options="--out --force --help" ;;
    dump) options="--json --kind --help" ;;
    import) options="--from --to --route --line --train --max-speed --out --force --report --help" ;;
    decompile) options="--out --line --train --force --help" ;;
    preview) options="--from-compiled -o -W -w --strict --diagnostics --help" ;;
    view) options="--from-compiled -o --serve --port --write --out --help" ;;
    explain) options="--reference --help" ;;
    lsp) options="--help" ;;
    *) options="--out --no-wait --help --version" ;;
  esac
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
    return
  fi

  case $command in
    "") COMPREPLY=($(compgen -W "compile emit dump import decompile preview view explain lsp" -- "$cur")) ;;
    compile | preview | view)
      if [[ -n $from_compiled ]]; then
        _scenario_compiler_files '*.dat' '*.sim'
        [[ - == "$cur"* ]] && COMPREPLY+=(-)
      elif ((positionals == 0)); then
        _scenario_compiler_files '*_linea.txt'
      elif ((positionals == 1)); then
        _scenario_compiler_files '*-.txt'
      else
        COMPREPLY=()
      fi
      ;;
    dump) _scenario_compiler_files '*.dat' '*.sim' ;;
    import) _scenario_compiler_files '*.osm' '*.pbf' '*.gz' '*.bz2' '*.json' '*.geojson' '*.gpx' ;;
    decompile)
      _scenario_compiler_files '*.dat' '*.sim'
      ((positionals == 0)) && [[ - == "$cur"* ]] && COMPREPLY+=(-)
      ;;
    explain) _scenario_compiler_files '*.txt' ;;
    *) COMPREPLY=() ;;
  esac
}

complete -F _scenario_compiler scenario-compiler
