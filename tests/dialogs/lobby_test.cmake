# The lobby program's tests run the real lexiclash-lobby; they share the
# game's running marker with it.
lexiclash_test(lobby_test
  SOURCES
    lobby_test.cpp
    ${PROJECT_SOURCE_DIR}/src/shell/runningmarker.cpp
    ${PROJECT_SOURCE_DIR}/src/shell/runtimefolder.cpp
  LIBS lexiclash_common
)
target_compile_definitions(lobby_test PRIVATE LOBBY_PROGRAM="$<TARGET_FILE:lexiclash-lobby>")
add_dependencies(lobby_test lexiclash-lobby)
