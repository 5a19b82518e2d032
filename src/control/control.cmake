# The runtime control quorvanexrun.ocx: a self-registering in-process ActiveX
# control (plain C++ COM), with its type library compiled by widl and carried
# as resource TYPELIB 1. Mervalis.exe carries the built file as payload item
# 101, so the program targets depend on it. Linked statically like everything
# here (global link options), so it needs no runtime DLLs beside it.
set(QUORVANEX_SOURCE_DIR ${PROJECT_SOURCE_DIR}/src/control)
set(QUORVANEX_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated/control)
set(QUORVANEX_OUTPUT_DIR ${CMAKE_BINARY_DIR}/bin)
set(QUORVANEX_FILE ${QUORVANEX_OUTPUT_DIR}/quorvanexrun.ocx)
file(MAKE_DIRECTORY ${QUORVANEX_GENERATED_DIR})

# ---- Type library ----
find_program(MINGW_WIDL NAMES i686-w64-mingw32-widl widl REQUIRED)
# The library imports OLE's standard types from stdole2.tlb; Wine's copy
# serves at build time (Windows has its own, so nothing of it is carried).
find_path(QUORVANEX_STDOLE2_DIR stdole2.tlb
  PATHS /usr/lib/i386-linux-gnu/wine/i386-windows /usr/lib/wine/i386-windows
        /usr/lib32/wine/i386-windows /usr/lib/i386-linux-gnu/wine /opt/wine-stable/lib/wine/i386-windows
  NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT QUORVANEX_STDOLE2_DIR)
  message(FATAL_ERROR "stdole2.tlb not found (it comes with 32-bit Wine): set QUORVANEX_STDOLE2_DIR")
endif()
set(QUORVANEX_TYPELIB ${QUORVANEX_GENERATED_DIR}/quorvanex.tlb)
add_custom_command(OUTPUT ${QUORVANEX_TYPELIB}
  COMMAND ${MINGW_WIDL} --win32 -I ${QUORVANEX_SOURCE_DIR} -L ${QUORVANEX_STDOLE2_DIR}
          -t -o ${QUORVANEX_TYPELIB} ${QUORVANEX_SOURCE_DIR}/quorvanex.idl
  DEPENDS ${QUORVANEX_SOURCE_DIR}/quorvanex.idl ${QUORVANEX_SOURCE_DIR}/ole_base.idl
  COMMENT "Compiling the type library quorvanex.tlb"
  VERBATIM)
file(CONFIGURE OUTPUT ${QUORVANEX_GENERATED_DIR}/quorvanex_typelib_file.h
  CONTENT "#define QUORVANEX_TYPELIB_FILE \"${QUORVANEX_TYPELIB}\"\n")

# ---- The control ----
add_library(quorvanexrun MODULE
  ${QUORVANEX_SOURCE_DIR}/module_win.cpp
  ${QUORVANEX_SOURCE_DIR}/runtime_control_win.cpp
  ${QUORVANEX_SOURCE_DIR}/runtime_control_typeinfo_win.cpp
  ${QUORVANEX_SOURCE_DIR}/connection_points_win.cpp
  ${QUORVANEX_SOURCE_DIR}/creation_handler_win.cpp
  ${QUORVANEX_SOURCE_DIR}/registration_win.cpp
  ${QUORVANEX_SOURCE_DIR}/control_logic.cpp
  ${PROJECT_SOURCE_DIR}/src/common/names.cpp
  ${PROJECT_SOURCE_DIR}/src/common/wide_text_win.cpp
  ${QUORVANEX_SOURCE_DIR}/quiet_terminate_win.cpp
  ${QUORVANEX_SOURCE_DIR}/lean_runtime_win.cpp
  ${QUORVANEX_SOURCE_DIR}/quorvanexrun.rc
  ${QUORVANEX_SOURCE_DIR}/quorvanexrun.def)
set_target_properties(quorvanexrun PROPERTIES
  PREFIX "" SUFFIX ".ocx" OUTPUT_NAME quorvanexrun
  LIBRARY_OUTPUT_DIRECTORY ${QUORVANEX_OUTPUT_DIR})
target_include_directories(quorvanexrun PRIVATE ${PROJECT_SOURCE_DIR}/src ${QUORVANEX_GENERATED_DIR})
target_compile_options(quorvanexrun PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${MERVALIS_WARNINGS}>)
target_link_libraries(quorvanexrun PRIVATE ole32 oleaut32 uuid shell32 user32 advapi32 kernel32)
# Small, since the file travels inside the program: optimised for size, every
# function and datum in a section of its own so that the linker drops what
# nothing calls, symbols stripped, no run-time type information (the control
# asks no object for its type) and no C++ exceptions: running out of memory
# ends the process (lean_runtime_win.cpp), so no exception can leave a COM
# method and the sources hold no try/catch.
target_compile_options(quorvanexrun PRIVATE
  "$<$<COMPILE_LANGUAGE:CXX>:-Os;-ffunction-sections;-fdata-sections;-fno-rtti;-fno-exceptions;-fno-asynchronous-unwind-tables>")
target_link_options(quorvanexrun PRIVATE -s -Wl,--gc-sections)
set_source_files_properties(${QUORVANEX_SOURCE_DIR}/quorvanexrun.rc PROPERTIES
  OBJECT_DEPENDS ${QUORVANEX_TYPELIB})

# ---- Payload item 101 of the program ----
# mervalis.rc includes this header and embeds the file it names.
file(CONFIGURE OUTPUT ${QUORVANEX_GENERATED_DIR}/runtime_control_file.h
  CONTENT "#define RUNTIME_CONTROL_FILE \"${QUORVANEX_FILE}\"\n")
foreach(program Mervalis Mervalis-crashpoints)
  add_dependencies(${program} quorvanexrun)
  target_include_directories(${program} PRIVATE ${QUORVANEX_GENERATED_DIR})
endforeach()
set_property(SOURCE ${PROJECT_SOURCE_DIR}/src/app/mervalis.rc APPEND PROPERTY
  OBJECT_DEPENDS ${QUORVANEX_FILE})
