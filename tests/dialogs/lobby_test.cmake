# The lobby program's tests run the real lexiclash-lobby from the command line.
lexiclash_test(lobby_test SOURCES lobby_test.cpp LIBS lexiclash_common lexiclash_testfiles)
target_compile_definitions(lobby_test PRIVATE LOBBY_PROGRAM="$<TARGET_FILE:lexiclash-lobby>")
add_dependencies(lobby_test lexiclash-lobby)

# A real hosting and a real joining copy of the game, started by two lobbies.
lexiclash_test(lobby_game_test SOURCES lobby_game_test.cpp LIBS lexiclash_net lexiclash_testsupport TIMEOUT 600)
target_compile_definitions(lobby_game_test PRIVATE LOBBY_PROGRAM="$<TARGET_FILE:lexiclash-lobby>")
add_dependencies(lobby_game_test lexiclash-lobby lexiclash)

# The lobby window against real hosting copies started by the lobby program.
lexiclash_test(lobby_window_test SOURCES lobby_window_test.cpp
  LIBS lexiclash_lobby lexiclash_testsupport TIMEOUT 600)
target_compile_definitions(lobby_window_test PRIVATE LOBBY_PROGRAM="$<TARGET_FILE:lexiclash-lobby>")
add_dependencies(lobby_window_test lexiclash-lobby lexiclash)

# The README's picture of the lobby window (tools/lobby_shot.sh runs it).
add_executable(lobby_shot lobby_shot.cpp)
target_link_libraries(lobby_shot PRIVATE lexiclash_lobby)
