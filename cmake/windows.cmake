# Cross build for 32-bit Windows: the product, the runtime control, the fixtures
# and the tests that run under Wine. Everything is linked statically, so the
# binaries import nothing beyond Windows' own DLLs.
enable_language(RC)

option(MERVALIS_CRASH_POINTS "Build Mervalis.exe able to end itself at a chosen write" OFF)
# libjpeg-turbo with its SIMD code, unused features left out, as tools/setup.sh
# builds it. A plain variable, not a cache entry: a build tree configured
# before the library's build changed must not keep linking the old one.
if(DEFINED ENV{MERVALIS_DEPS})
  set(MERVALIS_JPEG_PREFIX $ENV{MERVALIS_DEPS}/libjpeg-turbo-simd-lean-i686-w64-mingw32)
else()
  set(MERVALIS_JPEG_PREFIX /opt/mervalis-deps/libjpeg-turbo-simd-lean-i686-w64-mingw32)
endif()
set(MINGW_JPEG_LIBRARY ${MERVALIS_JPEG_PREFIX}/lib/libjpeg.a)
if(NOT EXISTS ${MINGW_JPEG_LIBRARY})
  message(FATAL_ERROR "${MINGW_JPEG_LIBRARY} is missing: run tools/setup.sh")
endif()
add_library(mingw_jpeg STATIC IMPORTED)
set_target_properties(mingw_jpeg PROPERTIES IMPORTED_LOCATION ${MINGW_JPEG_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${MERVALIS_JPEG_PREFIX}/include)

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

add_compile_definitions(WINVER=0x0501 _WIN32_WINNT=0x0501 _WIN32_IE=0x0600 NOMINMAX STRICT)
add_link_options(-static -static-libgcc -static-libstdc++)
# Every function and datum in a section of its own, so that the shipped
# binaries' links (--gc-sections) drop whatever nothing calls.
add_compile_options(-ffunction-sections -fdata-sections)

# The product is optimised for size, except the picture code, whose loops
# run over every pixel of the screen, and the desktop mode's renderer, which
# draws every frame: they keep their speed.
set(MERVALIS_SIZE_OPTIONS -Os)
set(MERVALIS_SPEED_SOURCES ${MERVALIS_CORE_SOURCES})
list(FILTER MERVALIS_SPEED_SOURCES INCLUDE REGEX
     "/src/(wallpaper/(image|background|jpeg_decode|bmp_file)|desktop/renderer)\\.cpp$")
set_source_files_properties(${MERVALIS_SPEED_SOURCES} PROPERTIES COMPILE_OPTIONS -O2)
# What the shipped binaries' links add: unused sections dropped, symbols
# stripped, and the C++ library's verbose terminate handler (with its name
# demangler) left out.
set(MERVALIS_SHIPPED_LINK_OPTIONS -s -Wl,--gc-sections)
set(MERVALIS_QUIET_TERMINATE ${PROJECT_SOURCE_DIR}/src/control/quiet_terminate_win.cpp)
# The few string members that the C++ library's exception classes call,
# linked into the program so that the library's objects holding all the
# members of its two string classes stay out (src/app/exception_strings_win.cpp).
set(MERVALIS_EXCEPTION_STRINGS ${PROJECT_SOURCE_DIR}/src/app/exception_strings_win.cpp
    ${PROJECT_SOURCE_DIR}/src/app/exception_strings_sso_win.cpp)
set(WIN_SYSTEM_LIBS shlwapi comctl32 version ole32 oleaut32 uuid shell32 advapi32 gdi32 user32 kernel32)

# Product code without the entry point and the crash-point switch, shared by
# the program and the tests.
add_library(mervalis_win STATIC ${MERVALIS_CORE_SOURCES} ${MERVALIS_WIN_SOURCES})
target_include_directories(mervalis_win PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_compile_options(mervalis_win PRIVATE ${MERVALIS_WARNINGS} ${MERVALIS_SIZE_OPTIONS})
target_link_libraries(mervalis_win PUBLIC mingw_jpeg ${WIN_SYSTEM_LIBS})

# A source compiled once per setting of its build switch: the crash points
# (MERVALIS_CRASH_POINTS, common/crash_point.h). `<prefix>_release` follows the option, `<prefix>_on`
# has it on, for the test builds of the program.
function(mervalis_switched prefix source switch)
  foreach(setting release on)
    set(name ${prefix}_${setting})
    if(setting STREQUAL "on" OR ${switch})
      set(enabled 1)
    else()
      set(enabled 0)
    endif()
    add_library(${name} OBJECT ${PROJECT_SOURCE_DIR}/${source})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
    target_compile_definitions(${name} PRIVATE ${switch}=${enabled})
    target_compile_options(${name} PRIVATE ${MERVALIS_WARNINGS} ${MERVALIS_SIZE_OPTIONS})
  endforeach()
endfunction()
mervalis_switched(mervalis_crash src/common/crash_point_win.cpp MERVALIS_CRASH_POINTS)

file(GLOB_RECURSE MERVALIS_RESOURCE_INPUTS CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/src/payload/assets/*
  ${PROJECT_SOURCE_DIR}/src/payload/page/*.html
  ${PROJECT_SOURCE_DIR}/src/ui/assets/*
  ${PROJECT_SOURCE_DIR}/src/app/*.ico
  ${PROJECT_SOURCE_DIR}/src/app/*.manifest
  ${PROJECT_SOURCE_DIR}/src/*.h)

function(mervalis_program name crash_library)
  add_executable(${name} WIN32 ${PROJECT_SOURCE_DIR}/src/app/main_win.cpp
                 ${MERVALIS_QUIET_TERMINATE} ${MERVALIS_EXCEPTION_STRINGS}
                 ${PROJECT_SOURCE_DIR}/src/app/mervalis.rc)
  target_link_libraries(${name} PRIVATE mervalis_win ${crash_library})
  target_compile_options(${name} PRIVATE ${MERVALIS_WARNINGS} ${MERVALIS_SIZE_OPTIONS})
  target_link_options(${name} PRIVATE ${MERVALIS_SHIPPED_LINK_OPTIONS})
  set_source_files_properties(${PROJECT_SOURCE_DIR}/src/app/mervalis.rc PROPERTIES
    OBJECT_DEPENDS "${MERVALIS_RESOURCE_INPUTS}")
endfunction()
mervalis_program(Mervalis mervalis_crash_release)
# The test build of the program able to end itself at a chosen write.
mervalis_program(Mervalis-crashpoints mervalis_crash_on)

# The runtime control, a DLL of its own, carried by the program as payload.
if(EXISTS ${PROJECT_SOURCE_DIR}/src/control/control.cmake)
  include(${PROJECT_SOURCE_DIR}/src/control/control.cmake)
endif()

# ---- Tests and fixtures (run under Wine by tools/run_tests.sh) ----
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${GOOGLETEST_SOURCE_DIR} googletest EXCLUDE_FROM_ALL)
# mingw-w64 with win32 threads has no std::mutex, on which GoogleTest's
# Notification is built: a Windows-event version is put in its place.
target_compile_options(gtest PUBLIC -include ${PROJECT_SOURCE_DIR}/tests/wine/gtest_notification.h)

add_library(robot STATIC ${PROJECT_SOURCE_DIR}/tests/fixtures/robot/robot.cpp)
target_include_directories(robot PUBLIC ${PROJECT_SOURCE_DIR}/tests/fixtures/robot)
target_link_libraries(robot PUBLIC ${WIN_SYSTEM_LIBS})
target_compile_options(robot PRIVATE ${MERVALIS_WARNINGS})

add_executable(robot_cli ${PROJECT_SOURCE_DIR}/tests/fixtures/robot/robot_main.cpp)
set_target_properties(robot_cli PROPERTIES OUTPUT_NAME robot)
target_link_libraries(robot_cli PRIVATE robot)

file(GLOB_RECURSE WIN_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/*_wintest.cpp)
file(GLOB WIN_TEST_SUPPORT CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/wine/*.cpp)
add_executable(win_tests ${WIN_TEST_SOURCES} ${WIN_TEST_SUPPORT})
target_include_directories(win_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(win_tests PRIVATE mervalis_win mervalis_crash_release robot gtest)
target_compile_options(win_tests PRIVATE ${MERVALIS_WARNINGS})
add_dependencies(win_tests Mervalis Mervalis-crashpoints robot_cli)

# Further fixtures (COM stand-ins, the desktop host) add themselves here.
file(GLOB FIXTURE_LISTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/fixtures/*/fixture.cmake)
foreach(f ${FIXTURE_LISTS})
  include(${f})
endforeach()

# ---- Benchmarks (run by tools/bench.py) ----
# The composition against its floor, built as the product is built.
add_executable(compose_timing ${PROJECT_SOURCE_DIR}/bench/timing/compose_timing.cpp)
target_link_libraries(compose_timing PRIVATE mervalis_win)
target_compile_options(compose_timing PRIVATE ${MERVALIS_WARNINGS})
target_link_options(compose_timing PRIVATE ${MERVALIS_SHIPPED_LINK_OPTIONS})
# The yardstick of the apply run: an empty windowed program.
add_executable(empty_window WIN32 ${PROJECT_SOURCE_DIR}/bench/timing/empty_window_win.cpp)
target_link_libraries(empty_window PRIVATE user32 kernel32)
target_compile_options(empty_window PRIVATE ${MERVALIS_WARNINGS})
