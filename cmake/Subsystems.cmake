# Build rules shared by every subsystem library.
#
# A subsystem folder holds the sources of one static library, split into
# sub-folders by concern. Every sub-folder is an include directory the
# library publishes, so a layer sees the headers of the layers it links to and
# nothing above them. Headers in a folder named "internal" serve their own
# library only: those folders are private include directories.

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

# The folders under <root> (itself included) that hold headers, split into
# published ones and the library's "internal" ones.
function(orvel_header_dirs root out_public out_private)
  file(GLOB_RECURSE headers CONFIGURE_DEPENDS ${root}/*.h)
  set(public ${root})
  set(private)
  foreach(header ${headers})
    get_filename_component(dir ${header} DIRECTORY)
    if(dir MATCHES "/internal$")
      list(APPEND private ${dir})
    else()
      list(APPEND public ${dir})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES public)
  if(private)
    list(REMOVE_DUPLICATES private)
  endif()
  set(${out_public} ${public} PARENT_SCOPE)
  set(${out_private} ${private} PARENT_SCOPE)
endfunction()

# orvel_add_subsystem(<folder> [DEPENDS <targets>...] [LIBS <system libs>...]
#                     [EXCLUDE <sub-folders>...])
# EXCLUDE names sub-folders that belong to another target (a header-only
# library of shared types, for example).
function(orvel_add_subsystem name)
  cmake_parse_arguments(ARG "" "" "DEPENDS;LIBS;EXCLUDE" ${ARGN})
  set(root ${PROJECT_SOURCE_DIR}/${name})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${root}/*.cpp)
  file(GLOB_RECURSE headers CONFIGURE_DEPENDS ${root}/*.h)
  foreach(excluded ${ARG_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX "^${root}/${excluded}/")
    list(FILTER headers EXCLUDE REGEX "^${root}/${excluded}/")
  endforeach()
  if(NOT sources)
    # A subsystem whose first sources have not landed yet still gives a target.
    set(placeholder ${CMAKE_BINARY_DIR}/placeholders/${name}.cpp)
    file(WRITE ${placeholder} "")
    set(sources ${placeholder})
  endif()
  add_library(${name} STATIC ${sources} ${headers})
  orvel_header_dirs(${root} public private)
  foreach(excluded ${ARG_EXCLUDE})
    list(FILTER public EXCLUDE REGEX "^${root}/${excluded}(/|$)")
    list(FILTER private EXCLUDE REGEX "^${root}/${excluded}(/|$)")
  endforeach()
  target_include_directories(${name} PUBLIC ${public} PRIVATE ${private})
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS} ${ARG_LIBS} Threads::Threads)
  orvel_apply_warnings(${name})
  set_target_properties(${name} PROPERTIES LINKER_LANGUAGE CXX)
endfunction()
