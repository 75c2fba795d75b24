# Compiler flags shared by every target of the project.

if(WIN32)
  set(VORNA_PLATFORM win32)
else()
  set(VORNA_PLATFORM posix)
endif()

# Debian's compiler cache, when the machine has it. Paths under the source root
# are rewritten to relative ones and the build folder is left out of the hash,
# so a fresh clone in another folder hits what an earlier one compiled.
find_program(VORNA_CCACHE ccache)
if(VORNA_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
  set(vorna_launcher ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${CMAKE_SOURCE_DIR} CCACHE_NOHASHDIR=true
    ${VORNA_CCACHE})
  set(CMAKE_C_COMPILER_LAUNCHER ${vorna_launcher})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${vorna_launcher})
endif()

add_compile_options(-Wall -Wextra)
if(VORNA_WERROR)
  add_compile_options(-Werror)
endif()

# Russian texts are UTF-8 in the sources and Windows-1251 bytes at run time.
# Clang only knows UTF-8; its builds (the fuzzers) keep UTF-8 literals.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-fexec-charset=CP1251>)
endif()

if(VORNA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
  # GCC 12's leak checker misreads the dynamic thread-local blocks of a
  # library that is unloaded and loaded again (the driver, once a call): its
  # tracer crashed at such a host's exit ("DTLS ... at 0x11b-..."). Our few
  # thread-local variables go into the static block instead, which it reads.
  add_compile_options(-ftls-model=initial-exec)
endif()

if(WIN32)
  # The shared GCC runtime: C++ exceptions must cross DLL boundaries.
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  set(CMAKE_SHARED_LIBRARY_PREFIX "")
  set(CMAKE_IMPORT_LIBRARY_PREFIX "")
else()
  add_compile_definitions(_GNU_SOURCE)
endif()

# Our libraries carry their Windows names on every system: vorna.cash.sender.dll
# on Windows and vorna.cash.sender.so on Linux.
function(vorna_library_names target)
  set_target_properties(${target} PROPERTIES PREFIX "")
endfunction()
