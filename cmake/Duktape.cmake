# The JavaScript interpreter of the scripts, built from the distribution's
# amalgamated source (package duktape-dev). The prebuilt library cannot stop a
# running script, so its configuration header is copied into the build tree
# with two options switched on (and the source with a shorter interval):
#   DUK_USE_INTERRUPT_COUNTER   the executor calls back every few instructions;
#   DUK_USE_EXEC_TIMEOUT_CHECK  at each call back it asks the host whether to
#                               stop, through orvel_duk_exec_timeout_check()
#                               (defined by the script sandbox of control/).
# No source of the interpreter lives in the repository.

set(ORVEL_DUKTAPE_SOURCE_DIR /usr/share/duktape CACHE PATH "Folder of the interpreter's amalgamated source")
foreach(file duktape.c duktape.h duk_config.h)
  if(NOT EXISTS ${ORVEL_DUKTAPE_SOURCE_DIR}/${file})
    message(FATAL_ERROR "${ORVEL_DUKTAPE_SOURCE_DIR}/${file} is missing: run scripts/install-deps.sh")
  endif()
endforeach()

set(ORVEL_DUKTAPE_BUILD_DIR ${CMAKE_BINARY_DIR}/duktape)
# The executor asks whether to stop every DUK_HTHREAD_INTCTR_DEFAULT
# instructions: fewer than the source's 256k, so that a script whose
# instructions are costly (large allocations, long native calls) still stops
# soon after its time-out.
file(READ ${ORVEL_DUKTAPE_SOURCE_DIR}/duktape.c orvel_duk_source)
set(orvel_duk_interval "#define DUK_HTHREAD_INTCTR_DEFAULT (256L * 1024L)")
string(FIND "${orvel_duk_source}" "${orvel_duk_interval}" found)
if(found EQUAL -1)
  message(FATAL_ERROR "duktape.c has no line \"${orvel_duk_interval}\": the interpreter's source changed")
endif()
string(REPLACE "${orvel_duk_interval}" "#define DUK_HTHREAD_INTCTR_DEFAULT (4L * 1024L)" orvel_duk_source "${orvel_duk_source}")
file(WRITE ${ORVEL_DUKTAPE_BUILD_DIR}/duktape.c.new "${orvel_duk_source}")
configure_file(${ORVEL_DUKTAPE_BUILD_DIR}/duktape.c.new ${ORVEL_DUKTAPE_BUILD_DIR}/duktape.c COPYONLY)
configure_file(${ORVEL_DUKTAPE_SOURCE_DIR}/duktape.h ${ORVEL_DUKTAPE_BUILD_DIR}/duktape.h COPYONLY)

file(READ ${ORVEL_DUKTAPE_SOURCE_DIR}/duk_config.h orvel_duk_config)
function(orvel_duk_switch_on line replacement)
  string(FIND "${orvel_duk_config}" "${line}\n" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "duk_config.h has no line \"${line}\": the interpreter's configuration changed")
  endif()
  string(REPLACE "${line}\n" "${replacement}\n" patched "${orvel_duk_config}")
  set(orvel_duk_config "${patched}" PARENT_SCOPE)
endfunction()
orvel_duk_switch_on("#undef DUK_USE_INTERRUPT_COUNTER" "#define DUK_USE_INTERRUPT_COUNTER")
orvel_duk_switch_on("#undef DUK_USE_EXEC_TIMEOUT_CHECK"
  "#if defined(__cplusplus)\nextern \"C\"\n#endif\nduk_bool_t orvel_duk_exec_timeout_check(void *udata);\n#define DUK_USE_EXEC_TIMEOUT_CHECK(udata) orvel_duk_exec_timeout_check((udata))")
file(WRITE ${ORVEL_DUKTAPE_BUILD_DIR}/duk_config.h.new "${orvel_duk_config}")
configure_file(${ORVEL_DUKTAPE_BUILD_DIR}/duk_config.h.new ${ORVEL_DUKTAPE_BUILD_DIR}/duk_config.h COPYONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${ORVEL_DUKTAPE_SOURCE_DIR}/duk_config.h ${ORVEL_DUKTAPE_SOURCE_DIR}/duktape.c)

add_library(orvel_duktape STATIC ${ORVEL_DUKTAPE_BUILD_DIR}/duktape.c)
target_include_directories(orvel_duktape SYSTEM PUBLIC ${ORVEL_DUKTAPE_BUILD_DIR})
target_link_libraries(orvel_duktape PUBLIC m)
# Third-party code: built without the project's warnings-as-errors, and
# without the undefined-behaviour checks (the interpreter offsets null pointers
# by zero as a matter of course); AddressSanitizer still watches its memory.
target_compile_options(orvel_duktape PRIVATE -w -fno-sanitize=undefined)
