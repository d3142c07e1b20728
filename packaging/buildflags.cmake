# Debian's usual hardening (stack protector, fortified C library calls,
# read-only relocations, immediate binding) for every program and library,
# as dpkg-buildflags gives it with all hardening features on: a package
# built from this tree then passes lintian's hardening checks.
option(ZEDOZARIR_DEBIAN_BUILD_FLAGS "Compile and link with Debian's hardening flags (dpkg-buildflags)" ON)
if(NOT ZEDOZARIR_DEBIAN_BUILD_FLAGS)
    return()
endif()
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT DPKG_BUILDFLAGS)
    message(WARNING "dpkg-buildflags not found (Debian package dpkg-dev): building without hardening flags")
    return()
endif()

function(zedozarir_debian_flags kind result)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                            "${DPKG_BUILDFLAGS}" --get ${kind}
                    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    # The build type chooses optimisation and debug information; the path
    # mapping names the folder dpkg-buildflags ran in and would keep the
    # compiler cache from sharing objects between checkouts.
    list(FILTER flags EXCLUDE REGEX "^-O|^-g$|^-ffile-prefix-map=|^-fdebug-prefix-map=")
    set(${result} ${flags} PARENT_SCOPE)
endfunction()

zedozarir_debian_flags(CPPFLAGS preprocessor_flags)
zedozarir_debian_flags(CXXFLAGS compiler_flags)
zedozarir_debian_flags(LDFLAGS linker_flags)
add_compile_options(${preprocessor_flags} ${compiler_flags})
add_link_options(${linker_flags})
message(STATUS "Debian build flags: ${preprocessor_flags} ${compiler_flags} | ${linker_flags}")
