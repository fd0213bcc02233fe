# liborvelqx: the engine as one shared library for host programs, exporting
# exactly the C-style interface (the _QX_ functions of QVUniversalProcs.h).
# The static libraries are linked whole inside it, so they are built as
# position-independent code.

# Fuzz builds make only their targets.
if(ORVEL_FUZZ)
  return()
endif()

set(ORVEL_QX_ARCHIVES foundation tree audio engine control)
set_target_properties(${ORVEL_QX_ARCHIVES} PROPERTIES POSITION_INDEPENDENT_CODE ON)
if(TARGET orvel_duktape)
  set_target_properties(orvel_duktape PROPERTIES POSITION_INDEPENDENT_CODE ON)
endif()

add_library(orvelqx SHARED ${CMAKE_CURRENT_LIST_DIR}/QVUniversalProcs.h)
set_target_properties(orvelqx PROPERTIES LINKER_LANGUAGE CXX)
target_include_directories(orvelqx INTERFACE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(orvelqx PRIVATE -Wl,--whole-archive ${ORVEL_QX_ARCHIVES} -Wl,--no-whole-archive)
target_link_options(orvelqx PRIVATE -Wl,--version-script=${CMAKE_CURRENT_LIST_DIR}/liborvelqx.map)
# Sanitizer runtimes come with the host program, so only plain builds insist
# that the library resolves every symbol itself.
if(NOT ORVEL_SANITIZE AND NOT ORVEL_TSAN)
  target_link_options(orvelqx PRIVATE -Wl,--no-undefined)
endif()
set_property(TARGET orvelqx APPEND PROPERTY LINK_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/liborvelqx.map)

if(ORVEL_TESTS AND NOT ORVEL_THREADED_TESTS_ONLY)
  # A host written in C that links the library as an outside program does.
  set(qx_tests ${PROJECT_SOURCE_DIR}/tests/control/cstyle)
  add_executable(orvelqx_host ${qx_tests}/QXHostMain.c ${qx_tests}/QXHostChecks.c ${qx_tests}/QXHostEngine.c
                              ${qx_tests}/QXHostRealTime.c)
  set_target_properties(orvelqx_host PROPERTIES C_STANDARD 11 C_STANDARD_REQUIRED ON)
  target_link_libraries(orvelqx_host PRIVATE orvelqx sndfile m Threads::Threads)
  orvel_apply_warnings(orvelqx_host)
  add_test(NAME QXCStyleHost COMMAND orvelqx_host ${CMAKE_CURRENT_BINARY_DIR}/qx-host-work)
  add_test(NAME QXCStyleHostRealTime COMMAND orvelqx_host ${CMAKE_CURRENT_BINARY_DIR}/qx-host-live realtime)
  set_tests_properties(QXCStyleHost QXCStyleHostRealTime PROPERTIES LABELS control)
  # The library exports the interface and nothing else.
  add_test(NAME QXCStyleExports
           COMMAND ${CMAKE_COMMAND} -DLIBRARY=$<TARGET_FILE:orvelqx>
                   -DHEADER=${CMAKE_CURRENT_LIST_DIR}/QVUniversalProcs.h -P ${qx_tests}/CheckExports.cmake)
  set_tests_properties(QXCStyleExports PROPERTIES LABELS control)
endif()
