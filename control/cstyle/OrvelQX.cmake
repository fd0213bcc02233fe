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

if(ORVEL_TESTS)
  # A host written in C that links the library as an outside program does.
  set(qx_tests ${PROJECT_SOURCE_DIR}/tests/control/cstyle)
  add_executable(orvelqx_host ${qx_tests}/QXHostMain.c ${qx_tests}/QXHostChecks.c ${qx_tests}/QXHostEngine.c
                              ${qx_tests}/QXHostRealTime.c ${qx_tests}/QXHostTracks.c)
  set_target_properties(orvelqx_host PROPERTIES C_STANDARD 11 C_STANDARD_REQUIRED ON)
  target_link_libraries(orvelqx_host PRIVATE orvelqx sndfile m Threads::Threads)
  orvel_apply_warnings(orvelqx_host)
  # Runs of the host that pull blocks on threads of their own are named in
  # the test suite's list of threaded programs: they also run under
  # ThreadSanitizer, in the build that makes only those.
  get_directory_property(qx_threaded DIRECTORY ${PROJECT_SOURCE_DIR}/tests DEFINITION ORVEL_THREADED_TESTS)
  set(qx_run_QXCStyleHost ${CMAKE_CURRENT_BINARY_DIR}/qx-host-work)
  set(qx_run_QXCStyleHostRealTime ${CMAKE_CURRENT_BINARY_DIR}/qx-host-live realtime)
  foreach(run QXCStyleHost QXCStyleHostRealTime)
    if(run IN_LIST qx_threaded)
      set(label control-threaded)
    elseif(ORVEL_THREADED_TESTS_ONLY)
      continue()
    else()
      set(label control)
    endif()
    add_test(NAME ${run} COMMAND orvelqx_host ${qx_run_${run}})
    set_tests_properties(${run} PROPERTIES LABELS ${label})
  endforeach()
endif()

if(ORVEL_TESTS AND NOT ORVEL_THREADED_TESTS_ONLY)
  # The library exports the interface and nothing else.
  add_test(NAME QXCStyleExports
           COMMAND ${CMAKE_COMMAND} -DLIBRARY=$<TARGET_FILE:orvelqx>
                   -DHEADER=${CMAKE_CURRENT_LIST_DIR}/QVUniversalProcs.h -P ${qx_tests}/CheckExports.cmake)
  set_tests_properties(QXCStyleExports PROPERTIES LABELS control)
endif()
