# Bash completion for dtuctl, dtusim and dtuconfig: commands, options, option values, serial
# port paths and files. Installed once under each program's name, so that bash-completion
# finds it whichever program is completed first; sourcing it again is harmless.
#
# Everything a program accepts is data in the lists below, one entry per command; the engine
# at the end needs no change when a command or an option is added. Variables are global
# (declare -g) because bash-completion sources this file inside a function.

# ---- dtuctl -----------------------------------------------------------------------------------

declare -ga _dtu_dtuctl_commands=(decode diff export frame import ports probe provision read record
  replay set signal summary write)

# The commands of a command ("dtuctl record report"); their options and operands are listed
# below under both words.
declare -gA _dtu_dtuctl_subcommands=([record]="export report show")

# The options of the commands that talk to a unit over a serial port.
declare -g _dtu_dtuctl_line_options="--port --baud --parity --data --stop --timeout"

# Each command's options (besides -h and --help, which every command takes).
declare -gA _dtu_dtuctl_options=(
  [decode]="-o --output"
  [diff]=""
  [export]="$_dtu_dtuctl_line_options -o --output"
  [frame]=""
  [import]="-o --output --base"
  [ports]=""
  [probe]="--port --parity --data --stop --timeout"
  [provision]="--template --units --log --record --operator --station --once
               $_dtu_dtuctl_line_options"
  [read]="$_dtu_dtuctl_line_options -o --output"
  [record]=""
  [record export]="--csv --json -o --output"
  [record report]="--batch --since"
  [record show]=""
  [replay]=""
  [set]="-o --output"
  [signal]="$_dtu_dtuctl_line_options"
  [summary]=""
  [write]="$_dtu_dtuctl_line_options"
)

# What each command takes besides its options: @file for a file name, words to offer as they
# are; a command not listed takes nothing.
declare -gA _dtu_dtuctl_operands=(
  [diff]="@file"
  [export]="@file"
  [frame]="@file"
  [import]="@file -"
  [record export]="@file"
  [record report]="@file"
  [record show]="@file"
  [replay]="@file -"
  [set]="@file"
  [summary]="@file"
  [write]="@file"
)

# The values of the options that take one: @port for a serial port, @file for a file name,
# @none for free text, words to offer as they are.
declare -gA _dtu_dtuctl_values=(
  [--port]="@port"
  [--baud]="110 300 600 1200 2400 4800 9600 19200 38400 57600 115200 230400 460800 921600"
  [--parity]="N O E"
  [--data]="8 7"
  [--stop]="1 2"
  [--timeout]="@none"
  [-o]="@file"
  [--output]="@file"
  [--base]="@file"
  [--template]="@file"
  [--units]="@file"
  [--log]="@file"
  [--record]="@file"
  [--operator]="@none"
  [--station]="@none"
  [--batch]="@none"
  [--since]="@none"
)

# ---- dtusim (no commands: its one list is under its own name) -------------------------------

declare -ga _dtu_dtusim_commands=()
declare -gA _dtu_dtusim_subcommands=()
declare -gA _dtu_dtusim_options=(
  [dtusim]="--link --state --baud --exit-after-idle --verbose --fault --version --gsn
            --board-serial --csca --rssi --ip --dns1 --dns2 --dns3 --dns4 --dns5 --dns6
            --dns-server1 --dns-server2"
)
declare -gA _dtu_dtusim_operands=()
declare -gA _dtu_dtusim_values=(
  [--link]="@file"
  [--state]="@file"
  [--baud]="0 1200 2400 4800 9600 19200 38400 57600 115200"
  [--exit-after-idle]="@none"
  [--fault]="bad-checksum noise lowercase chunked short-block silent vanish reject"
  [--version]="@none" [--gsn]="@none" [--board-serial]="@none" [--csca]="@none"
  [--rssi]="@none" [--ip]="@none" [--dns1]="@none" [--dns2]="@none" [--dns3]="@none"
  [--dns4]="@none" [--dns5]="@none" [--dns6]="@none" [--dns-server1]="@none"
  [--dns-server2]="@none"
)

# ---- dtuconfig (the window) -------------------------------------------------------------------

declare -ga _dtu_dtuconfig_commands=()
declare -gA _dtu_dtuconfig_subcommands=()
declare -gA _dtu_dtuconfig_options=([dtuconfig]="--port --production --template --units --record")
declare -gA _dtu_dtuconfig_operands=([dtuconfig]="@file")
declare -gA _dtu_dtuconfig_values=([--port]="@port" [--template]="@file" [--units]="@file"
  [--record]="@file")

# ---- the engine -------------------------------------------------------------------------------

# Serial ports starting with $1: those `dtuctl ports` lists and the /dev/serial/by-id/ links.
# When none starts so, the word is completed as a path (a pseudo-terminal, a link made by
# `dtusim --link`).
_dtu_tools_ports() {
  local cur=$1 lister=dtuctl port
  local -a ports=()
  [[ ${COMP_WORDS[0]} == */dtuctl ]] && lister=${COMP_WORDS[0]}
  if command -v "$lister" >/dev/null 2>&1; then
    # Each line starts with the device: "/dev/ttyUSB0 — FT232R USB UART (FTDI, A10K3J2L)".
    mapfile -t ports < <(timeout 2 "$lister" ports 2>/dev/null | cut -d' ' -f1)
  fi
  ports+=(/dev/serial/by-id/*)
  COMPREPLY=()
  for port in "${ports[@]}"; do
    [[ -e $port && $port == "$cur"* ]] && COMPREPLY+=("$port")
  done
  ((${#COMPREPLY[@]} > 0)) || _dtu_tools_files "$cur"
}

_dtu_tools_files() {
  compopt -o filenames 2>/dev/null
  mapfile -t COMPREPLY < <(compgen -f -- "$1")
}

# Completes $2 from a value description (see the lists above).
_dtu_tools_from() {
  local what=$1 cur=$2 word
  local -a words=()
  COMPREPLY=()
  for word in $what; do
    case $word in
      @file) _dtu_tools_files "$cur"; words+=("${COMPREPLY[@]}") ;;
      @port) _dtu_tools_ports "$cur"; words+=("${COMPREPLY[@]}") ;;
      @none) ;;
      *) [[ $word == "$cur"* ]] && words+=("$word") ;;
    esac
  done
  COMPREPLY=("${words[@]}")
}

# The completion function of all three programs.
_dtu_tools() {
  local program=${1##*/}
  local -n commands=_dtu_${program}_commands options=_dtu_${program}_options
  local -n operands=_dtu_${program}_operands values=_dtu_${program}_values
  local -n subcommands=_dtu_${program}_subcommands
  local cur=${COMP_WORDS[COMP_CWORD]} prev="" prefix=""
  ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}

  # "--option=value": bash usually splits the word at "=" (COMP_WORDBREAKS); when it does not,
  # the option's name stays in front of every candidate.
  if [[ $cur == "=" ]]; then
    cur=""
  elif [[ $prev == "=" ]] && ((COMP_CWORD > 1)); then
    prev=${COMP_WORDS[COMP_CWORD - 2]}
  elif [[ $cur == --*=* ]]; then
    prev=${cur%%=*} prefix=${cur%%=*}= cur=${cur#*=}
  fi

  # The command: the first word after the program's name, for programs that have commands.
  local command=$program
  if ((${#commands[@]} > 0)); then
    if ((COMP_CWORD == 1)); then
      _dtu_tools_from "${commands[*]} -h --help" "$cur"
      return
    fi
    command=${COMP_WORDS[1]}
    if [[ -v "subcommands[$command]" ]]; then
      if ((COMP_CWORD == 2)); then
        _dtu_tools_from "${subcommands[$command]} -h --help" "$cur"
        return
      fi
      command="$command ${COMP_WORDS[2]}"
    fi
    [[ -v "options[$command]" ]] || return 0
  fi

  if [[ -v "values[$prev]" && " ${options[$command]} " == *" $prev "* ]]; then
    _dtu_tools_from "${values[$prev]}" "$cur"
  elif [[ $cur == -* ]]; then
    _dtu_tools_from "${options[$command]} -h --help" "$cur"
  elif [[ -v "operands[$command]" ]]; then
    _dtu_tools_from "${operands[$command]}" "$cur"
  else
    _dtu_tools_from "${options[$command]}" "$cur"
  fi
  if [[ -n $prefix ]]; then
    local i
    for i in "${!COMPREPLY[@]}"; do COMPREPLY[i]=$prefix${COMPREPLY[i]}; done
  fi
}

complete -F _dtu_tools dtuctl dtusim dtuconfig
