# Creates an empty reminder database at DB when nothing is there yet.
if(NOT DEFINED DB)
    message(FATAL_ERROR "DB is not set")
endif()
if(NOT EXISTS "${DB}")
    file(WRITE "${DB}" "")
endif()
