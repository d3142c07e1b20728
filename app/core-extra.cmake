# The import of reminders from the earlier Windows program's dados.mdb reads
# that file with mdbtools' libmdb (Debian: mdbtools-dev), whose headers use glib.
find_package(PkgConfig REQUIRED)
pkg_check_modules(MDB REQUIRED IMPORTED_TARGET libmdb)
target_link_libraries(lembrete_core PUBLIC PkgConfig::MDB)

# The import tests build their old-format files at run time with the fixture
# generator kept in the shared folder beside the source tree. The test target
# is only defined later (tests/), so its path is handed over at the end of the
# configuration.
set(LEMBRETE_JET_FIXTURE_TOOL "${PROJECT_SOURCE_DIR}/../shared/tools/make_jet_mdb.py"
    CACHE FILEPATH "Generator of old-format dados.mdb files used by the import tests")
function(lembrete_hand_fixture_tool_to_tests)
    if(TARGET tst_jetimport)
        get_filename_component(tool "${LEMBRETE_JET_FIXTURE_TOOL}" ABSOLUTE)
        target_compile_definitions(tst_jetimport PRIVATE
            "JET_FIXTURE_TOOL=\"${tool}\"")
    endif()
endfunction()
cmake_language(DEFER DIRECTORY "${PROJECT_SOURCE_DIR}" CALL lembrete_hand_fixture_tool_to_tests)
