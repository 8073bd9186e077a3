# Run by CPack on its staging tree: strips the programs as Debian's own packages are stripped,
# without the sections that only name the compiler.
file(GLOB_RECURSE programs "${CPACK_TEMPORARY_DIRECTORY}/*/bin/*")
execute_process(COMMAND strip --remove-section=.comment --remove-section=.note ${programs}
    COMMAND_ERROR_IS_FATAL ANY)
