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
