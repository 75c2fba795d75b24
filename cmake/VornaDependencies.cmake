# Header-only dependencies and the Windows runtime.

if(CMAKE_CROSSCOMPILING)
  # MinGW must not see /usr/include (glibc headers clash with its own): give it
  # a folder that holds only links to the header-only libraries we use.
  set(VORNA_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
  file(MAKE_DIRECTORY ${VORNA_HOST_HEADERS})
  foreach(lib boost nlohmann)
    if(NOT EXISTS ${VORNA_HOST_HEADERS}/${lib})
      file(CREATE_LINK /usr/include/${lib} ${VORNA_HOST_HEADERS}/${lib} SYMBOLIC)
    endif()
  endforeach()
  add_library(vorna_boost INTERFACE)
  target_include_directories(vorna_boost SYSTEM INTERFACE ${VORNA_HOST_HEADERS})
  add_library(vorna_json INTERFACE)
  target_include_directories(vorna_json SYSTEM INTERFACE ${VORNA_HOST_HEADERS})
else()
  find_package(Boost 1.74 REQUIRED)
  add_library(vorna_boost INTERFACE)
  target_link_libraries(vorna_boost INTERFACE Boost::boost)
  find_package(nlohmann_json 3 REQUIRED)
  add_library(vorna_json INTERFACE)
  target_link_libraries(vorna_json INTERFACE nlohmann_json::nlohmann_json)
endif()

# SQLite, the storage of the sender's payment journal, pinned to one version:
# natively Debian's library; for Windows the amalgamation of the same version,
# made from Debian's source package by scripts/sqlite-amalgamation.sh (the
# bootstrap runs it) and compiled here into a static library.
set(VORNA_SQLITE_VERSION 3.40.1)
if(WIN32)
  set(VORNA_SQLITE_DIR ${CMAKE_SOURCE_DIR}/build/third_party/sqlite-${VORNA_SQLITE_VERSION}
    CACHE PATH "The SQLite amalgamation (sqlite3.c, sqlite3.h)")
  if(NOT EXISTS ${VORNA_SQLITE_DIR}/sqlite3.c)
    message(FATAL_ERROR "No SQLite amalgamation in ${VORNA_SQLITE_DIR}: run scripts/bootstrap.sh")
  endif()
  file(STRINGS ${VORNA_SQLITE_DIR}/sqlite3.h sqlite_version_line
    REGEX "^#define SQLITE_VERSION[ \t]+\"")
  if(NOT sqlite_version_line MATCHES "\"${VORNA_SQLITE_VERSION}\"")
    message(FATAL_ERROR "SQLite amalgamation ${sqlite_version_line}: ${VORNA_SQLITE_VERSION} expected")
  endif()
  add_library(vorna_sqlite STATIC ${VORNA_SQLITE_DIR}/sqlite3.c)
  target_include_directories(vorna_sqlite SYSTEM PUBLIC ${VORNA_SQLITE_DIR})
  # Third-party code, compiled as its authors ship it: their warnings are not ours.
  target_compile_options(vorna_sqlite PRIVATE -w -O2)
  target_compile_definitions(vorna_sqlite PRIVATE SQLITE_OMIT_LOAD_EXTENSION SQLITE_THREADSAFE=1)
else()
  find_package(SQLite3 REQUIRED)
  if(NOT SQLite3_VERSION VERSION_EQUAL VORNA_SQLITE_VERSION)
    message(FATAL_ERROR "SQLite ${SQLite3_VERSION} found: ${VORNA_SQLITE_VERSION} expected")
  endif()
  add_library(vorna_sqlite INTERFACE)
  target_link_libraries(vorna_sqlite INTERFACE SQLite::SQLite3)
endif()

if(WIN32)
  # The shared runtime DLLs go beside our binaries and into the package.
  set(VORNA_RUNTIME_DLLS)
  foreach(dll libgcc_s_dw2-1.dll libstdc++-6.dll libwinpthread-1.dll)
    find_file(VORNA_DLL_${dll} ${dll}
      PATHS /usr/lib/gcc/i686-w64-mingw32/12-posix /usr/i686-w64-mingw32/lib
      NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    if(NOT VORNA_DLL_${dll})
      message(FATAL_ERROR "MinGW runtime ${dll} not found")
    endif()
    list(APPEND VORNA_RUNTIME_DLLS ${VORNA_DLL_${dll}})
    file(COPY ${VORNA_DLL_${dll}} DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  endforeach()
endif()
