# Build rules shared by every subsystem library.
#
# A subsystem folder holds the sources of one static library. Its folder is
# the only include directory it publishes, so a layer sees the headers of the
# layers it links to and nothing above them.

find_package(Threads REQUIRED)

set(ORVEL_WARNINGS -Wall -Wextra)
if(ORVEL_WERROR)
  list(APPEND ORVEL_WARNINGS -Werror)
endif()

if(ORVEL_SANITIZE)
  set(ORVEL_SAN_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${ORVEL_SAN_FLAGS})
  add_link_options(${ORVEL_SAN_FLAGS})
endif()
if(ORVEL_FUZZ)
  set(ORVEL_FUZZ_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${ORVEL_FUZZ_FLAGS} -fsanitize=fuzzer-no-link)
  add_link_options(${ORVEL_FUZZ_FLAGS})
endif()
if(ORVEL_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

function(orvel_apply_warnings target)
  target_compile_options(${target} PRIVATE ${ORVEL_WARNINGS})
endfunction()

function(orvel_add_header_library name dir)
  add_library(${name} INTERFACE)
  target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/${dir})
endfunction()

# orvel_add_subsystem(<folder> [DEPENDS <targets>...] [LIBS <system libs>...])
function(orvel_add_subsystem name)
  cmake_parse_arguments(ARG "" "" "DEPENDS;LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${name}/*.cpp)
  file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${name}/*.h)
  if(NOT sources)
    # A subsystem whose first sources have not landed yet still gives a target.
    set(placeholder ${CMAKE_BINARY_DIR}/placeholders/${name}.cpp)
    file(WRITE ${placeholder} "")
    set(sources ${placeholder})
  endif()
  add_library(${name} STATIC ${sources} ${headers})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/${name})
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS} ${ARG_LIBS} Threads::Threads)
  orvel_apply_warnings(${name})
  set_target_properties(${name} PROPERTIES LINKER_LANGUAGE CXX)
endfunction()
