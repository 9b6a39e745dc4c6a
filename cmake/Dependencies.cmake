# Third-party libraries, all from Debian. The native build uses the installed
# packages; the Windows build stages header-only copies and cross-builds GoogleTest
# from the sources Debian installs.

find_package(Threads REQUIRED)

if(DEFINED ENV{QV_CACHE})
  set(QV_CACHE_DIR $ENV{QV_CACHE})
elseif(DEFINED ENV{XDG_CACHE_HOME})
  set(QV_CACHE_DIR $ENV{XDG_CACHE_HOME}/quillvarden)
else()
  set(QV_CACHE_DIR $ENV{HOME}/.cache/quillvarden)
endif()

set(QV_STAGED_INCLUDE ${CMAKE_BINARY_DIR}/deps/include)

if(WIN32)
  # The packaged httplib.h is cut for a shared Linux library; the source package
  # (fetched by scripts/setup.sh) has the header-only original.
  set(QV_HTTPLIB_SOURCE ${QV_CACHE_DIR}/src/cpp-httplib/httplib.h)
  if(NOT EXISTS ${QV_HTTPLIB_SOURCE})
    message(FATAL_ERROR "${QV_HTTPLIB_SOURCE} is missing: run scripts/setup.sh test")
  endif()
  file(COPY ${QV_HTTPLIB_SOURCE} DESTINATION ${QV_STAGED_INCLUDE})
  file(COPY /usr/include/nlohmann DESTINATION ${QV_STAGED_INCLUDE})

  add_library(qv_httplib INTERFACE)
  target_include_directories(qv_httplib SYSTEM INTERFACE ${QV_STAGED_INCLUDE})
  target_link_libraries(qv_httplib INTERFACE ws2_32 Threads::Threads)

  add_library(qv_json INTERFACE)
  target_include_directories(qv_json SYSTEM INTERFACE ${QV_STAGED_INCLUDE})

  # PCRE2 from Debian's source package, cross-built with the rest.
  set(QV_PCRE2_SOURCE ${QV_CACHE_DIR}/src/pcre2)
  if(NOT EXISTS ${QV_PCRE2_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "${QV_PCRE2_SOURCE} is missing: run scripts/setup.sh test")
  endif()
  set(PCRE2_BUILD_PCRE2GREP OFF CACHE BOOL "" FORCE)
  set(PCRE2_BUILD_TESTS OFF CACHE BOOL "" FORCE)
  set(PCRE2_SUPPORT_JIT ON CACHE BOOL "" FORCE)
  set(PCRE2_SHOW_REPORT OFF CACHE BOOL "" FORCE)
  set(PCRE2_SUPPORT_LIBBZ2 OFF CACHE BOOL "" FORCE)
  set(PCRE2_SUPPORT_LIBZ OFF CACHE BOOL "" FORCE)
  set(PCRE2_SUPPORT_LIBEDIT OFF CACHE BOOL "" FORCE)
  set(PCRE2_SUPPORT_LIBREADLINE OFF CACHE BOOL "" FORCE)
  add_subdirectory(${QV_PCRE2_SOURCE} ${CMAKE_BINARY_DIR}/pcre2 EXCLUDE_FROM_ALL SYSTEM)
  add_library(qv_pcre2 INTERFACE)
  target_link_libraries(qv_pcre2 INTERFACE pcre2-8-static)

  if(QV_BUILD_TESTS)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  endif()
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(QV_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
  add_library(qv_httplib INTERFACE)
  target_link_libraries(qv_httplib INTERFACE PkgConfig::QV_HTTPLIB Threads::Threads)

  pkg_check_modules(QV_PCRE2 REQUIRED IMPORTED_TARGET libpcre2-8)
  add_library(qv_pcre2 INTERFACE)
  target_link_libraries(qv_pcre2 INTERFACE PkgConfig::QV_PCRE2)

  find_package(nlohmann_json 3.11 REQUIRED)
  add_library(qv_json INTERFACE)
  target_link_libraries(qv_json INTERFACE nlohmann_json::nlohmann_json)

  if(QV_BUILD_TESTS)
    find_package(GTest REQUIRED)
  endif()
endif()

# llama.cpp, built once by scripts/setup-llama.sh: its headers at compile time; the
# library itself is only loaded at run time, when a model file is found.
file(STRINGS ${PROJECT_SOURCE_DIR}/cmake/llama-pin.txt QV_LLAMA_PIN LIMIT_COUNT 1)
set(QV_LLAMA_DIR ${QV_CACHE_DIR}/llama/node-llama-cpp-${QV_LLAMA_PIN} CACHE PATH "llama.cpp build from scripts/setup-llama.sh")
if(NOT EXISTS ${QV_LLAMA_DIR}/install/include/llama.h)
  message(FATAL_ERROR "${QV_LLAMA_DIR} holds no llama.cpp build: run scripts/setup.sh")
endif()
add_library(qv_llama_headers INTERFACE)
target_include_directories(qv_llama_headers SYSTEM INTERFACE ${QV_LLAMA_DIR}/install/include)

# Puts the llama.cpp libraries beside a program, where it looks for them: the native
# build's, or the DLLs that scripts/setup-llama-windows.sh cross-built (when it has).
function(qv_copy_llama_runtime target)
  if(WIN32)
    set(bin ${QV_LLAMA_DIR}/windows/install/bin)
    if(EXISTS ${bin}/libllama.dll)
      file(GLOB ggml ${bin}/ggml*.dll)
      add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ggml} $<TARGET_FILE_DIR:${target}>
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${bin}/libllama.dll $<TARGET_FILE_DIR:${target}>/llama.dll
        VERBATIM)
    endif()
    return()
  endif()
  # The names the loader asks for: libllama.so, and the sonames it needs.
  file(GLOB libraries ${QV_LLAMA_DIR}/install/lib/libllama.so ${QV_LLAMA_DIR}/install/lib/lib*.so.[0-9])
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${libraries} $<TARGET_FILE_DIR:${target}>
    VERBATIM)
endfunction()
