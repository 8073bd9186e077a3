# bash completion for vaultine-cli: commands, options, and the service names of an unguarded
# folder (a guarded one would ask its master password, so its names are not offered).

_vaultine_cli_services() {
    local folder=() i
    for ((i = 1; i < COMP_CWORD; i++)); do
        [[ ${COMP_WORDS[i]} == --folder ]] && folder=(--folder "${COMP_WORDS[i + 1]}")
    done
    vaultine-cli "${folder[@]}" --password-stdin list </dev/null 2>/dev/null
}

_vaultine_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local commands="list show copy add edit remove generate export import merge help"
    local command= i
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
        --folder) ((i++)) ;;
        -*) ;;
        *) command=${COMP_WORDS[i]}; break ;;
        esac
    done
    case $prev in
    --folder) COMPREPLY=($(compgen -d -- "$cur")); return ;;
    --csv) COMPREPLY=($(compgen -f -- "$cur")); return ;;
    --field) COMPREPLY=($(compgen -W "username password path" -- "$cur")); return ;;
    --level) COMPREPLY=($(compgen -W "1 2 3" -- "$cur")); return ;;
    --timeout | --length | --service | --username | --info | --path) return ;;
    esac
    local options="--folder --password-stdin --help"
    case $command in
    "") COMPREPLY=($(compgen -W "$commands --version $options" -- "$cur")); return ;;
    help) COMPREPLY=($(compgen -W "$commands" -- "$cur")); return ;;
    show) options+=" --reveal" ;;
    copy) options+=" --field --timeout --wait" ;;
    add) options+=" --stdin" ;;
    edit) options+=" --service --username --info --path" ;;
    remove) options+=" --force" ;;
    generate) options+=" --level --length --copy" ;;
    export) options+=" --csv --force" ;;
    import) options+=" --csv" ;;
    merge) COMPREPLY=($(compgen -d -- "$cur")); return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    elif [[ $command =~ ^(show|copy|edit|remove)$ ]]; then
        # Matched here, not by compgen -W, which would expand $(...) in a stored name.
        local name
        COMPREPLY=()
        while IFS= read -r name; do
            [[ $name == "$cur"* ]] && COMPREPLY+=("$name")
        done < <(_vaultine_cli_services)
    fi
}
complete -F _vaultine_cli vaultine-cli
