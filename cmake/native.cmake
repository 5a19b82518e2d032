# Native build: portable core, unit tests (ASan + UBSan) and benchmarks.
find_package(JPEG REQUIRED)
find_package(benchmark REQUIRED)

set(SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)

set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${GOOGLETEST_SOURCE_DIR} googletest EXCLUDE_FROM_ALL)
foreach(t gtest gtest_main)
  target_compile_options(${t} PRIVATE ${SANITIZE})
endforeach()

function(mervalis_core name)
  add_library(${name} STATIC ${MERVALIS_CORE_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(${name} PRIVATE ${MERVALIS_WARNINGS})
  target_link_libraries(${name} PUBLIC JPEG::JPEG)
endfunction()

# The core twice: with sanitizers for the tests, optimised for the benchmarks.
mervalis_core(mervalis_core_checked)
target_compile_options(mervalis_core_checked PUBLIC ${SANITIZE} -O1 -g)
target_link_options(mervalis_core_checked PUBLIC ${SANITIZE})
mervalis_core(mervalis_core)
target_compile_options(mervalis_core PRIVATE -O2)

file(GLOB_RECURSE NATIVE_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/*_test.cpp)
add_executable(native_tests ${NATIVE_TEST_SOURCES})
target_link_libraries(native_tests PRIVATE mervalis_core_checked gtest_main)
# GCC 12 warns falsely inside <regex> at -O1 with the sanitizers.
target_compile_options(native_tests PRIVATE ${MERVALIS_WARNINGS} -Wno-maybe-uninitialized)
target_compile_definitions(native_tests PRIVATE
  MERVALIS_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
  MERVALIS_ASSET_DIR="${PROJECT_SOURCE_DIR}/src/payload/assets"
  MERVALIS_UI_ASSET_DIR="${PROJECT_SOURCE_DIR}/src/ui/assets"
  MERVALIS_PAGE_TEMPLATE="${PROJECT_SOURCE_DIR}/src/payload/page/template.html")

file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/*.cpp)
if(BENCH_SOURCES)
  add_executable(benchmarks ${BENCH_SOURCES})
  target_link_libraries(benchmarks PRIVATE mervalis_core benchmark::benchmark_main)
  target_compile_options(benchmarks PRIVATE -O2 ${MERVALIS_WARNINGS})
  target_compile_definitions(benchmarks PRIVATE
    MERVALIS_UI_ASSET_DIR="${PROJECT_SOURCE_DIR}/src/ui/assets")
endif()

# The desktop scene's positions as JSON, compared by the page test with the
# page running in Chromium.
add_executable(scene_dump ${PROJECT_SOURCE_DIR}/tests/desktop/scene_dump.cpp)
target_link_libraries(scene_dump PRIVATE mervalis_core)
target_compile_options(scene_dump PRIVATE ${MERVALIS_WARNINGS})

# The composition against its floor, with a timer of our own: the same source
# is built for Windows (cmake/windows.cmake) and run under Wine by tools/bench.py.
add_executable(compose_timing ${PROJECT_SOURCE_DIR}/bench/timing/compose_timing.cpp)
target_link_libraries(compose_timing PRIVATE mervalis_core)
target_compile_options(compose_timing PRIVATE -O2 ${MERVALIS_WARNINGS})
