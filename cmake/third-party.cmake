# The two libraries the browser import reads profiles with, built here for
# the Windows target.
#
# SQLite: the official amalgamation, as npm's better-sqlite3 package carries
# it (deps/sqlite3), fetched by name with `npm pack`. The archive is pinned
# by version and SHA-256; one that does not match stops the configuration.
# To build without the network, put the archive at QUILLORY_SQLITE_ARCHIVE
# first.
set(QUILLORY_SQLITE_PACKAGE better-sqlite3-12.9.0)  # SQLite 3.53.0
set(QUILLORY_SQLITE_SPEC better-sqlite3@12.9.0)
set(QUILLORY_SQLITE_SHA256 ad0e29650140c49d0335b1d356596aa8166f12b758f418a98446130e3278f250)
set(QUILLORY_SQLITE_ARCHIVE ${CMAKE_BINARY_DIR}/_deps/${QUILLORY_SQLITE_PACKAGE}.tgz
    CACHE FILEPATH "The better-sqlite3 archive that SQLite is taken from")
set(sqlite_source ${CMAKE_BINARY_DIR}/_deps/${QUILLORY_SQLITE_PACKAGE})

if(NOT EXISTS ${sqlite_source}/sqlite3.c)
  # Fetched only when the archive is not there already.
  if(NOT EXISTS ${QUILLORY_SQLITE_ARCHIVE})
    get_filename_component(archive_folder ${QUILLORY_SQLITE_ARCHIVE} DIRECTORY)
    file(MAKE_DIRECTORY ${archive_folder})
    execute_process(COMMAND npm pack ${QUILLORY_SQLITE_SPEC} --pack-destination ${archive_folder} --silent
                    RESULT_VARIABLE npm_result ERROR_VARIABLE npm_error OUTPUT_QUIET)
    if(NOT npm_result EQUAL 0 OR NOT EXISTS ${archive_folder}/${QUILLORY_SQLITE_PACKAGE}.tgz)
      message(FATAL_ERROR "npm pack ${QUILLORY_SQLITE_SPEC} failed: ${npm_error}")
    endif()
    file(RENAME ${archive_folder}/${QUILLORY_SQLITE_PACKAGE}.tgz ${QUILLORY_SQLITE_ARCHIVE})
  endif()
  file(SHA256 ${QUILLORY_SQLITE_ARCHIVE} archive_hash)
  if(NOT archive_hash STREQUAL QUILLORY_SQLITE_SHA256)
    message(FATAL_ERROR "${QUILLORY_SQLITE_ARCHIVE} is not ${QUILLORY_SQLITE_SPEC} (SHA-256 ${archive_hash}); "
                        "remove it to fetch the package again")
  endif()
  file(ARCHIVE_EXTRACT INPUT ${QUILLORY_SQLITE_ARCHIVE} DESTINATION ${sqlite_source}/unpacked
       PATTERNS package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h)
  file(COPY ${sqlite_source}/unpacked/package/deps/sqlite3/sqlite3.h DESTINATION ${sqlite_source})
  # The source last: its presence says the unpacking is complete.
  file(COPY ${sqlite_source}/unpacked/package/deps/sqlite3/sqlite3.c DESTINATION ${sqlite_source})
  file(REMOVE_RECURSE ${sqlite_source}/unpacked)
endif()

add_library(sqlite3 STATIC ${sqlite_source}/sqlite3.c)
target_include_directories(sqlite3 SYSTEM PUBLIC ${sqlite_source})
# Only what reading a browser's profile needs: one thread, no extensions.
# Temporary storage stays in memory, under the heap limit the reader sets
# (which needs the memory statistics), never in the temporary folder.
target_compile_definitions(sqlite3 PRIVATE
  SQLITE_THREADSAFE=0 SQLITE_OMIT_LOAD_EXTENSION SQLITE_TEMP_STORE=3
  SQLITE_DQS=0 SQLITE_OMIT_DEPRECATED SQLITE_OMIT_SHARED_CACHE)
# Third-party code keeps its own warnings; its debugging information would
# only slow every build.
target_compile_options(sqlite3 PRIVATE -w -g0)

# JSON for Modern C++, header only, from Debian's nlohmann-json3-dev. Its
# folder is copied on its own: /usr/include as a whole holds the host's C
# headers, which must not reach the Windows build.
set(QUILLORY_JSON_INCLUDE /usr/include CACHE PATH "Where nlohmann/json.hpp is")
if(NOT EXISTS ${QUILLORY_JSON_INCLUDE}/nlohmann/json.hpp)
  message(FATAL_ERROR "nlohmann/json.hpp is missing: install nlohmann-json3-dev")
endif()
file(COPY ${QUILLORY_JSON_INCLUDE}/nlohmann DESTINATION ${CMAKE_BINARY_DIR}/_deps/json/include)
add_library(nlohmann_json INTERFACE)
target_include_directories(nlohmann_json SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/_deps/json/include)
