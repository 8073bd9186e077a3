# fish completion for vaultine-cli: commands, options, and the service names of an unguarded
# or unlocked folder (a guarded one would ask its master password, so its names are not
# offered).

set -l commands list show copy add edit remove generate export import merge unlock lock help

# The names of the folder given with --folder, one a line; fish quotes each name it puts on
# the command line. Left out: a name holding a tab (fish would take what follows the tab for
# a description and complete another name), and before -- a name that begins with - (it would
# read as an option).
function __vaultine_cli_services
    set -l words (commandline -opc)
    set -l folder
    if set -l i (contains -i -- --folder $words)
        set folder --folder (string replace -r '^~(?=/)' ~ -- $words[(math $i + 1)])
    end
    set -l left '\t|^-'
    contains -- -- $words; and set left '\t'
    vaultine-cli $folder --password-stdin list </dev/null 2>/dev/null | string match -rv -- $left
end

complete -c vaultine-cli -f
complete -c vaultine-cli -l folder -r -a '(__fish_complete_directories)' -d 'Program folder'
complete -c vaultine-cli -l password-stdin -d 'Master password from standard input'
complete -c vaultine-cli -s h -l help -d 'Show the help'
complete -c vaultine-cli -n "not __fish_seen_subcommand_from $commands" -l version -d 'Show the version'
for command in \
    'list:List the service names' \
    'show:Show the record of a service' \
    'copy:Put a field on the clipboard' \
    'add:Add a record' \
    'edit:Change the record of a service' \
    'remove:Remove the record of a service' \
    'generate:Print a random password' \
    'export:Write the records into a CSV file' \
    'import:Add the records of a CSV file' \
    'merge:Add the records of another folder copy' \
    'unlock:Keep the key for a while' \
    'lock:Forget the key that unlock kept' \
    'help:Tell what a command does'
    set -l parts (string split -m 1 : $command)
    complete -c vaultine-cli -n "not __fish_seen_subcommand_from $commands" -a $parts[1] -d $parts[2]
end
complete -c vaultine-cli -n "__fish_seen_subcommand_from help" -a "$commands"
complete -c vaultine-cli -n "__fish_seen_subcommand_from show copy edit remove" -a '(__vaultine_cli_services)'
complete -c vaultine-cli -n "__fish_seen_subcommand_from show" -l reveal -d 'Print the password'
complete -c vaultine-cli -n "__fish_seen_subcommand_from show" -l field -x -a 'password username info path'
complete -c vaultine-cli -n "__fish_seen_subcommand_from show list" -l json -d 'Print JSON'
complete -c vaultine-cli -n "__fish_seen_subcommand_from show copy edit remove" -l which -x -d 'The record of this username'
complete -c vaultine-cli -n "__fish_seen_subcommand_from copy" -l field -x -a 'username password path'
complete -c vaultine-cli -n "__fish_seen_subcommand_from copy" -l timeout -x -d 'Seconds'
complete -c vaultine-cli -n "__fish_seen_subcommand_from copy" -l wait -d 'Wait until emptied'
complete -c vaultine-cli -n "__fish_seen_subcommand_from add" -l stdin -d 'Read the record from standard input'
complete -c vaultine-cli -n "__fish_seen_subcommand_from edit" -l service -x -d 'New service name'
complete -c vaultine-cli -n "__fish_seen_subcommand_from edit" -l username -x
complete -c vaultine-cli -n "__fish_seen_subcommand_from edit" -l info -x
complete -c vaultine-cli -n "__fish_seen_subcommand_from edit" -l path -x
complete -c vaultine-cli -n "__fish_seen_subcommand_from remove" -l force -d 'Ask nothing'
complete -c vaultine-cli -n "__fish_seen_subcommand_from generate" -l level -x -a '1 2 3'
complete -c vaultine-cli -n "__fish_seen_subcommand_from generate" -l length -x
complete -c vaultine-cli -n "__fish_seen_subcommand_from generate" -l symbols -d 'Signs too'
complete -c vaultine-cli -n "__fish_seen_subcommand_from generate" -l words -x -d 'A passphrase of n words'
complete -c vaultine-cli -n "__fish_seen_subcommand_from generate" -l copy -d 'Put it on the clipboard'
complete -c vaultine-cli -n "__fish_seen_subcommand_from export" -l force -d 'Replace the file'
complete -c vaultine-cli -n "__fish_seen_subcommand_from export import" -l csv -r -F
complete -c vaultine-cli -n "__fish_seen_subcommand_from import" -F
complete -c vaultine-cli -n "__fish_seen_subcommand_from import" -l columns -x -a 'name,url,username,password,notes' -d 'Columns of a file without a header line'
complete -c vaultine-cli -n "__fish_seen_subcommand_from merge" -a '(__fish_complete_directories)'
complete -c vaultine-cli -n "__fish_seen_subcommand_from unlock" -l for -x -a '90s 10m 1h 8h 1d' -d 'How long'
