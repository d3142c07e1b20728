# Old-format files are read by a separate executable (oldformat/); the program
# only shares the protocol header with it and finds it beside itself, or, for
# the tests and benchmarks that run from elsewhere, in the build's program folder.
target_include_directories(lembrete_core PUBLIC "${PROJECT_SOURCE_DIR}")
target_compile_definitions(lembrete_core PRIVATE "LEMBRETE_BUILD_PROGRAM_DIR=\"${PROGRAM_DIR}\"")

# The import tests build their old-format files at run time with the fixture
# generator kept in the shared folder beside the source tree. The test target
# is only defined later (tests/), so its path is handed over at the end of the
# configuration, together with the reader that every importing target needs.
set(LEMBRETE_JET_FIXTURE_TOOL "${PROJECT_SOURCE_DIR}/../shared/tools/make_jet_mdb.py"
    CACHE FILEPATH "Generator of old-format dados.mdb files used by the import tests")
function(lembrete_hand_fixture_tool_to_tests)
    get_filename_component(tool "${LEMBRETE_JET_FIXTURE_TOOL}" ABSOLUTE)
    foreach(target tst_jetimport tst_importfuzz tst_leftovers bench_importfuzz)
        if(TARGET ${target})
            target_compile_definitions(${target} PRIVATE "JET_FIXTURE_TOOL=\"${tool}\"")
        endif()
    endforeach()
    foreach(target lembrete tst_jetimport tst_importfuzz tst_leftovers bench_importfuzz)
        if(TARGET ${target} AND TARGET lembrete-formato-antigo)
            add_dependencies(${target} lembrete-formato-antigo)
        endif()
    endforeach()
    # The fuzz run and the leftovers of killed runs drive the real program.
    foreach(target tst_importfuzz tst_leftovers bench_importfuzz)
        if(TARGET ${target})
            add_dependencies(${target} lembrete)
            target_compile_definitions(${target} PRIVATE "LEMBRETE_PROGRAM_DIR=\"${PROGRAM_DIR}\"")
        endif()
    endforeach()
endfunction()
cmake_language(DEFER DIRECTORY "${PROJECT_SOURCE_DIR}" CALL lembrete_hand_fixture_tool_to_tests)
