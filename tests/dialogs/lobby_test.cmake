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

# The lobby window against floods of forged datagrams from other loopback
# addresses, with a real hosting copy.
lexiclash_test(lobby_flood_test SOURCES lobby_flood_test.cpp
  LIBS lexiclash_lobby lexiclash_testsupport TIMEOUT 600)
target_compile_definitions(lobby_flood_test PRIVATE LOBBY_PROGRAM="$<TARGET_FILE:lexiclash-lobby>"
  FLOOD_PROGRAM="$<TARGET_FILE:discovery_flood>")
add_dependencies(lobby_flood_test lexiclash-lobby lexiclash discovery_flood)
