# bash completion for tapewren-cli
#
# Commands and options are read from "tapewren-cli --help", so that new ones
# complete without a change here. An option shown there as "--name DIR"
# completes folders, "--name FILE" files, "--name NAME" tape names. Tape names are the *.twd files of
# the catalog folder (--catalogs DIR on the line, else $TAPEWREN_CATALOGS,
# else the current folder); import offers those of the floppy folder.

# Prints the help text of the tapewren-cli being completed.
_tapewren_cli_help() {
    local program=${COMP_WORDS[0]/#\~/$HOME}
    command -v -- "$program" >/dev/null 2>&1 || program=tapewren-cli
    "$program" --help 2>/dev/null
}

# Prints the tape names (NAME of NAME.twd) in folder $1.
_tapewren_cli_tapes() {
    local file
    for file in "$1"/*.twd; do
        [[ -f $file ]] || continue
        file=${file##*/}
        printf '%s\n' "${file%.twd}"
    done
}

# Prints the value given to option $1 on the line so far, or nothing.
_tapewren_cli_value_of() {
    local i word value=
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ $word == "$1" ]]; then
            # "--name DIR", or "--name=DIR" split at "=" by readline.
            if [[ ${COMP_WORDS[i + 1]} == = ]]; then
                value=${COMP_WORDS[i + 2]}
            else
                value=${COMP_WORDS[i + 1]}
            fi
        elif [[ $word == "$1="* ]]; then
            value=${word#*=}
        fi
    done
    printf '%s' "${value/#\~/$HOME}"
}

_tapewren_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev= option= help kind
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()
    help=$(_tapewren_cli_help) || return 0

    # The option whose value is being typed, if any.
    if [[ $cur == --*=* ]]; then
        option=${cur%%=*}
        cur=${cur#*=}
    elif [[ $cur == = && $prev == --* ]]; then
        option=$prev
        cur=
    elif [[ $prev == = ]] && ((COMP_CWORD > 1)) && [[ ${COMP_WORDS[COMP_CWORD - 2]} == --* ]]; then
        option=${COMP_WORDS[COMP_CWORD - 2]}
    elif [[ $prev == --* ]]; then
        option=$prev
    fi
    if [[ -n $option ]]; then
        # What the help text says the option takes: "--to DIR", "--adapter N".
        kind=$(grep -oE -- "(^|[ [])$option [A-Z]+" <<<"$help" | head -n 1)
        kind=${kind##* }
        case $kind in
        DIR)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -d -- "$cur")
            return 0
            ;;
        FILE)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            return 0
            ;;
        NAME)
            # "--tape NAME": the tapes of the catalog folder.
            local folder
            folder=$(_tapewren_cli_value_of --catalogs)
            [[ -n $folder ]] || folder=${TAPEWREN_CATALOGS:-.}
            mapfile -t COMPREPLY < <(compgen -W "$(_tapewren_cli_tapes "$folder")" -- "$cur")
            return 0
            ;;
        ?*)
            return 0 # a number or a pattern: nothing to offer
            ;;
        esac
    fi

    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(grep -oE -- '(^|[ [,])--?[a-z][a-z-]*' <<<"$help" |
            sed 's/^[ [,]//' | sort -u)" -- "$cur")
        return 0
    fi

    # The command: the first word that is neither an option nor its value.
    local i word command= commands
    commands=$(sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\).*/\1/p' <<<"$help" | sort -u)
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if grep -qxF -- "$word" <<<"$commands"; then
            command=$word
            break
        fi
    done
    if [[ -z $command ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$commands" -- "$cur")
        return 0
    fi

    local catalogs
    case $command in
    format | export)
        catalogs=$(_tapewren_cli_value_of --catalogs)
        [[ -n $catalogs ]] || catalogs=${TAPEWREN_CATALOGS:-.}
        mapfile -t COMPREPLY < <(compgen -W "$(_tapewren_cli_tapes "$catalogs")" -- "$cur")
        ;;
    import)
        mapfile -t COMPREPLY < <(compgen -W "$(_tapewren_cli_tapes "${TAPEWREN_FLOPPY:-/media/floppy0}")" -- "$cur")
        ;;
    backup)
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        ;;
    esac
    return 0
}

complete -F _tapewren_cli tapewren-cli
