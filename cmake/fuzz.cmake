# libFuzzer targets of the portable readers (tests/fuzz/*_fuzz.cpp), built
# with clang, AddressSanitizer and UndefinedBehaviorSanitizer; `make fuzz`
# and `make test` configure it as a build of its own.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "The fuzz targets need clang: configure with CXX=clang++ CC=clang")
endif()
find_package(JPEG REQUIRED)

set(FUZZ_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
# The control's one portable file is compiled with the core here.
add_library(mervalis_core_fuzz STATIC ${MERVALIS_CORE_SOURCES} ${PROJECT_SOURCE_DIR}/src/control/control_logic.cpp)
target_include_directories(mervalis_core_fuzz PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_compile_options(mervalis_core_fuzz PUBLIC ${FUZZ_SANITIZE} -g -O1 PRIVATE -fsanitize=fuzzer-no-link
                       ${MERVALIS_WARNINGS})
target_link_options(mervalis_core_fuzz PUBLIC ${FUZZ_SANITIZE})
target_link_libraries(mervalis_core_fuzz PUBLIC JPEG::JPEG)

file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/fuzz/*_fuzz.cpp)
# The product is a 32-bit program: the targets whose readers compute sizes
# are built again with -m32 (configured with -m32 in the compiler flags),
# where a size_t has the product's width.
option(MERVALIS_FUZZ_32 "Build the size arithmetic's fuzz targets only (for an -m32 build)" OFF)
if(MERVALIS_FUZZ_32)
  list(FILTER FUZZ_SOURCES INCLUDE REGEX "/(bmp_rows|background_file|gif_canvas)_fuzz\\.cpp$")
endif()
foreach(source ${FUZZ_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE mervalis_core_fuzz)
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer ${MERVALIS_WARNINGS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endforeach()
