# Run by CPack on its staging tree: strips the programs as Debian's own packages are stripped,
# without the sections that only name the compiler, and gives every folder mode 0755 whatever
# the builder's umask.
file(GLOB_RECURSE programs "${CPACK_TEMPORARY_DIRECTORY}/*/bin/*")
execute_process(COMMAND strip --remove-section=.comment --remove-section=.note ${programs}
    COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND find "${CPACK_TEMPORARY_DIRECTORY}" -type d -exec chmod 755 {} +
    COMMAND_ERROR_IS_FATAL ANY)
