# The two libraries the browser import reads profiles with, built here for
# the Windows target.
#
# SQLite: the official amalgamation, as the npm registry's better-sqlite3
# package carries it (deps/sqlite3). The archive is pinned by version and
# SHA-256; a download that does not match stops the configuration. To build
# without the network, put the archive at QUILLORY_SQLITE_ARCHIVE first.
set(QUILLORY_SQLITE_PACKAGE better-sqlite3-12.9.0)  # SQLite 3.53.0
set(QUILLORY_SQLITE_SHA256 ad0e29650140c49d0335b1d356596aa8166f12b758f418a98446130e3278f250)
set(QUILLORY_SQLITE_URL
    https://registry.npmjs.org/better-sqlite3/-/${QUILLORY_SQLITE_PACKAGE}.tgz)
set(QUILLORY_SQLITE_ARCHIVE ${CMAKE_BINARY_DIR}/_deps/${QUILLORY_SQLITE_PACKAGE}.tgz
    CACHE FILEPATH "The better-sqlite3 archive that SQLite is taken from")
set(sqlite_source ${CMAKE_BINARY_DIR}/_deps/${QUILLORY_SQLITE_PACKAGE})

if(NOT EXISTS ${sqlite_source}/sqlite3.c)
  # Downloads only when the file is missing or differs from the pinned hash.
  file(DOWNLOAD ${QUILLORY_SQLITE_URL} ${QUILLORY_SQLITE_ARCHIVE}
       EXPECTED_HASH SHA256=${QUILLORY_SQLITE_SHA256} TLS_VERIFY ON STATUS status)
  list(GET status 0 status_code)
  if(NOT status_code EQUAL 0)
    list(GET status 1 status_text)
    message(FATAL_ERROR "Could not fetch SQLite from ${QUILLORY_SQLITE_URL}: ${status_text}")
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
