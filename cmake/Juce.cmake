# The application toolkit (JUCE 7, from the system's module sources).
#
# JUCE's module targets are INTERFACE libraries that add the modules' sources
# to every target that links them. The modules are compiled once here into
# the static library orvel_juce, which publishes the modules' include folders
# and configuration so that the application, its tests and tools link it
# without compiling the toolkit again. The toolkit's sources are third-party
# code: the project's warning flags are not applied to them.

find_package(JUCE CONFIG REQUIRED)

set(ORVEL_JUCE_MODULES
  juce_core
  juce_events
  juce_data_structures
  juce_graphics
  juce_gui_basics
  juce_gui_extra
  juce_audio_basics
  juce_audio_formats
  juce_audio_processors
)

# One configuration for every translation unit that sees a toolkit header.
set(ORVEL_JUCE_DEFINITIONS
  JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
  JUCE_STANDALONE_APPLICATION=1
  JUCE_DISPLAY_SPLASH_SCREEN=0
  JUCE_REPORT_APP_USAGE=0
  JUCE_MODAL_LOOPS_PERMITTED=1
  JUCE_WEB_BROWSER=0
  JUCE_USE_CURL=0
  JUCE_USE_FLAC=0
  JUCE_USE_OGGVORBIS=0
  JUCE_USE_MP3AUDIOFORMAT=0
  JUCE_PLUGINHOST_LV2=1
  JUCE_PLUGINHOST_VST=1
  JUCE_PLUGINHOST_VST3=0
  JUCE_PLUGINHOST_AU=0
  JUCE_PLUGINHOST_LADSPA=0
  JUCE_PLUGINHOST_ARA=0
)

add_library(orvel_juce STATIC)
set(juce_module_targets)
foreach(module ${ORVEL_JUCE_MODULES})
  list(APPEND juce_module_targets juce::${module})
endforeach()
target_link_libraries(orvel_juce
  PRIVATE ${juce_module_targets}
  PUBLIC png jpeg z Threads::Threads ${CMAKE_DL_LIBS} rt)
target_compile_definitions(orvel_juce PUBLIC ${ORVEL_JUCE_DEFINITIONS})
# The VST host includes the classic interface header names: a small shim maps
# them onto the installed free interface headers.
target_include_directories(orvel_juce PRIVATE ${PROJECT_SOURCE_DIR}/cmake/vst2-shim)
# Consumers get the modules' include folders and definitions (module
# availability flags among them) as system folders, so the project's strict
# warnings do not reach into toolkit headers.
target_include_directories(orvel_juce SYSTEM INTERFACE $<TARGET_PROPERTY:orvel_juce,INCLUDE_DIRECTORIES>)
target_compile_definitions(orvel_juce INTERFACE $<TARGET_PROPERTY:orvel_juce,COMPILE_DEFINITIONS>)
set_target_properties(orvel_juce PROPERTIES POSITION_INDEPENDENT_CODE ON)
# Toolkit sources are not ours: keep their compiler output quiet.
target_compile_options(orvel_juce PRIVATE -w)
