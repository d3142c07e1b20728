# Run by cpack once the (stripped) files are in the package's folder, before
# the package is made: drops the compiler's notes that Debian's own packaging
# drops, and adds the libraries that the package's programs and libraries link
# (dpkg-shlibdeps) to CPACK_DEBIAN_PACKAGE_DEPENDS.
file(GLOB_RECURSE files LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
set(elf_files "")
foreach(file IN LISTS files)
    file(READ "${file}" head LIMIT 4 HEX)
    if(head STREQUAL "7f454c46")
        list(APPEND elf_files "${file}")
    endif()
endforeach()
if(NOT elf_files)
    message(FATAL_ERROR "debian-prepare: no program in ${CPACK_TEMPORARY_DIRECTORY}")
endif()

find_program(STRIP_PROGRAM strip REQUIRED)
foreach(file IN LISTS elf_files)
    execute_process(COMMAND "${STRIP_PROGRAM}" --remove-section=.comment --remove-section=.note "${file}"
                    COMMAND_ERROR_IS_FATAL ANY)
endforeach()

# dpkg-shlibdeps wants a source package's control file in its working folder.
set(work "${CPACK_TOPLEVEL_DIRECTORY}/shlibdeps")
file(REMOVE_RECURSE "${work}")
file(WRITE "${work}/debian/control" "")
execute_process(COMMAND dpkg-shlibdeps --ignore-missing-info -O ${elf_files}
                WORKING_DIRECTORY "${work}"
                OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result
                OUTPUT_STRIP_TRAILING_WHITESPACE)
file(REMOVE_RECURSE "${work}")
if(NOT result EQUAL 0 OR NOT output MATCHES "shlibs:Depends=(.+)")
    message(FATAL_ERROR "debian-prepare: dpkg-shlibdeps failed: ${errors}")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CMAKE_MATCH_1}, ${CPACK_DEBIAN_PACKAGE_DEPENDS}")
message(STATUS "debian-prepare: ${CPACK_DEBIAN_PACKAGE_DEPENDS}")
