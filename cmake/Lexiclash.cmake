include(GNUInstallDirs)

# Core libraries (QtCore only) are collected into lexiclash_core, the window
# libraries into lexiclash_ui. Each folder of src/ builds its own static
# library so that a folder compiles and is tested on its own; a library names
# the libraries of the folders it includes from in DEPENDS.
add_library(lexiclash_core INTERFACE)
add_library(lexiclash_ui INTERFACE)

# lexiclash_core_library(NAME SOURCES... [DEPENDS targets...])
function(lexiclash_core_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC Qt6::Core ${ARG_DEPENDS})
  target_link_libraries(lexiclash_core INTERFACE ${name})
endfunction()

# lexiclash_ui_library(NAME SOURCES... [DEPENDS targets...])
function(lexiclash_ui_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC Qt6::Widgets ${ARG_DEPENDS})
  target_link_libraries(lexiclash_ui INTERFACE ${name})
endfunction()

# lexiclash_test(NAME SOURCES... [LIBS targets...] [LOCK_PORTS] [TIMEOUT s])
# Each test runs in a fresh temporary working directory on the offscreen
# platform, with its own runtime folder so the running-game marker and the
# single-instance guard of one test never see another's; discovery datagrams
# (a hosting copy's announcements, a lobby's queries) go to the loopback only;
# tests that use the game's fixed ports take the ports lock.
function(lexiclash_test name)
  cmake_parse_arguments(ARG "LOCK_PORTS" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
  set(workdir ${CMAKE_BINARY_DIR}/testrun/${name})
  add_test(NAME ${name}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
      LEXICLASH_HOME=${workdir}/home
      XDG_RUNTIME_DIR=${workdir}/runtime
      LEXICLASH_DISCOVERY_TARGETS=127.255.255.255
      ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:${name}> -DDIR=${workdir}
      -P ${PROJECT_SOURCE_DIR}/cmake/RunInFreshDir.cmake)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  if(ARG_LOCK_PORTS)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK game_ports)
  endif()
endfunction()

# lexiclash_install_program(TARGET): installs a program beside the others, in
# bin/, or in games/ for the Debian package (where Debian keeps its games).
function(lexiclash_install_program target)
  if(LEXICLASH_DEBIAN)
    install(TARGETS ${target} RUNTIME DESTINATION games)
  else()
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endfunction()
