# bash completion for profctl: subcommands, the options each one takes (only
# right after the subcommand, as profctl reads them) and the FILE operand.

_profctl() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  local common="-q --quiet -h --help --version"
  COMPREPLY=()
  if ((COMP_CWORD == 1)); then
    mapfile -t COMPREPLY < <(compgen -W "delete-line delete-key replace-key add-line add-hex
      add-int set set-unsigned set-hex get get-hex get-unsigned last-section walk help
      -h --help --version" -- "$cur")
    return 0
  fi

  local options
  case ${COMP_WORDS[1]} in
    delete-line | last-section) options=$common ;;
    walk) options="-s --section -o -p --trace $common" ;;
    delete-key | replace-key | add-line | add-hex | add-int | set | set-unsigned | set-hex | get | \
      get-hex | get-unsigned) options="-s --section $common" ;;
    *) return 0 ;;
  esac

  # Where the word stands: in option place, the value of an option, or the
  # operand it is (0 is FILE).
  local i word operand=-1 takes_value=0
  for ((i = 2; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    if ((operand >= 0)); then
      ((operand++))
    elif ((takes_value)); then
      takes_value=0
    elif [[ $word == -- ]]; then
      operand=0
    elif [[ $word == --section ]]; then
      takes_value=1
    elif [[ $word == -[!-]* ]]; then
      # Letters, of which -s, -o and -p take the rest of the word as their
      # value, or the next word when nothing follows them.
      local letters=${word#-}
      while [[ -n $letters ]]; do
        local letter=${letters:0:1}
        letters=${letters:1}
        if [[ $letter == [sop] ]]; then
          [[ -z $letters ]] && takes_value=1
          break
        fi
      done
    elif [[ $word != -?* ]]; then
      operand=1
    fi
  done
  ((takes_value)) && return 0
  if ((operand < 0)) && [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
  elif ((operand <= 0)); then
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
  fi
  return 0
}

complete -F _profctl profctl
