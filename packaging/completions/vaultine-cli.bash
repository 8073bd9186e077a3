# bash completion for vaultine-cli: commands, options, and the service names of an unguarded
# or unlocked folder (a guarded one would ask its master password, so its names are not
# offered). A stored name is never expanded nor run: it reaches the command line quoted, as one
# word.

# Reads the command line up to the cursor as the shell will: sets words, its words with the
# quotes and backslashes taken away, expanding nothing but a leading ~/; before, the text of
# the last word ahead of $1 (the part readline replaces); and quote, the quote open there.
_vaultine_cli_words() {
    local line=${COMP_LINE:0:COMP_POINT} start=$((COMP_POINT - ${#1})) open= begun= c i
    words=("")
    for ((i = 0; ; i++)); do
        ((i == start)) && before=${words[-1]} quote=$open
        ((i < ${#line})) || break
        c=${line:i:1}
        if [[ $open == "'" && $c != "'" ]]; then
            words[-1]+=$c
        elif [[ $c == '\' && $open != "'" ]]; then
            ((i++))
            # Within double quotes a backslash escapes only $ ` " and itself.
            [[ $open == '"' && ${line:i:1} != [\$\`\"\\] ]] && words[-1]+=$c
            words[-1]+=${line:i:1}
        elif [[ $c == [\'\"] && (-z $open || $c == "$open") ]]; then
            [[ $open ]] && open= || open=$c
        elif [[ -z $open && $c == [[:space:]] ]]; then
            [[ $begun ]] && words+=("")
            begun=
            continue
        elif [[ -z $open && -z $begun && ${line:i:2} == '~/' ]]; then
            words[-1]=$HOME
        else
            words[-1]+=$c
        fi
        begun=1
    done
}

# Sets reply to text quoted for the command line: as it is when nothing in it needs quoting,
# else in single quotes, which expand nothing. Where a quote is open, the reply begins with it
# twice (readline puts the reply in place of the open quote) and ends with it twice (readline
# then adds no closing quote).
_vaultine_cli_quote() {
    if [[ $1 =~ ^[[:alnum:]_./,:@%+=-]+$ ]]; then
        reply=$1
    else
        reply="$quote$quote'${1//\'/\'\\\'\'}'$quote$quote"
    fi
}

# Files, or with -d folders, whose names readline quotes.
_vaultine_cli_files() {
    compopt -o filenames
    mapfile -t COMPREPLY < <(compgen "${1:--f}" -- "$cur")
}

_vaultine_cli() {
    local words before quote
    _vaultine_cli_words "$2"
    local cword=$((${#words[@]} - 1))
    local cur=${words[cword]} prev=${words[cword - 1]}
    local commands="list show copy add edit remove generate export import merge merge-driver unlock lock help"
    local command= folder=() ended= i
    for ((i = 1; i < cword && !ended; i++)); do
        case ${words[i]} in
        --folder) folder=(--folder "${words[++i]}") ;;
        --) [[ $command ]] && ended=1 ;;
        -*) ;;
        *) [[ $command ]] || command=${words[i]} ;;
        esac
    done
    case $prev in
    --folder) _vaultine_cli_files -d; return ;;
    --csv) _vaultine_cli_files; return ;;
    --columns) COMPREPLY=($(compgen -W "name,url,username,password,notes" -- "$cur")); return ;;
    --field)
        if [[ $command == show ]]; then
            COMPREPLY=($(compgen -W "password username info path" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "username password path" -- "$cur"))
        fi
        return ;;
    --level) COMPREPLY=($(compgen -W "1 2 3" -- "$cur")); return ;;
    --for) COMPREPLY=($(compgen -W "90s 10m 1h 8h 1d" -- "$cur")); return ;;
    --timeout | --length | --words | --service | --username | --info | --path | --which) return ;;
    esac
    local options="--folder --password-stdin --help"
    case $command in
    "") COMPREPLY=($(compgen -W "$commands --version $options" -- "$cur")); return ;;
    help) COMPREPLY=($(compgen -W "$commands" -- "$cur")); return ;;
    list) options+=" --json" ;;
    show) options+=" --which --reveal --field --json" ;;
    copy) options+=" --field --which --timeout --wait" ;;
    add) options+=" --stdin" ;;
    edit) options+=" --which --service --username --info --path" ;;
    remove) options+=" --which --force" ;;
    generate) options+=" --level --length --symbols --words --copy" ;;
    export) options+=" --csv --force" ;;
    import) options+=" --csv --columns" ;;
    merge) options+=" --dry-run" ;;
    unlock) options+=" --for" ;;
    esac
    if [[ $cur == -* && ! $ended ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    elif [[ $command =~ ^(import|merge|merge-driver)$ ]]; then
        _vaultine_cli_files
    elif [[ $command =~ ^(show|copy|edit|remove)$ ]]; then
        # Matched here, not by compgen -W, which would expand $(...) in a stored name. A name
        # that begins with - is offered after -- only: before it, it would read as an option.
        local name reply
        COMPREPLY=()
        while IFS= read -r name; do
            [[ $name == "$cur"* && ($ended || $name != -*) ]] || continue
            _vaultine_cli_quote "${name#"$before"}"
            COMPREPLY+=("$reply")
        done < <(vaultine-cli "${folder[@]}" --password-stdin list </dev/null 2>/dev/null)
    fi
}
complete -F _vaultine_cli vaultine-cli
