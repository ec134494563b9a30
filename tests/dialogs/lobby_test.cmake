# The lobby program's tests run the real lexiclash-lobby; they share the
# game's running marker with it.
lexiclash_test(lobby_test
  SOURCES lobby_test.cpp
  LIBS lexiclash_common
)
target_compile_definitions(lobby_test PRIVATE LOBBY_PROGRAM="$<TARGET_FILE:lexiclash-lobby>")
add_dependencies(lobby_test lexiclash-lobby)

# A real hosting and a real joining copy of the game, started by two lobbies.
lexiclash_test(lobby_game_test SOURCES lobby_game_test.cpp LIBS lexiclash_net lexiclash_testsupport TIMEOUT 600)
target_compile_definitions(lobby_game_test PRIVATE LOBBY_PROGRAM="$<TARGET_FILE:lexiclash-lobby>")
add_dependencies(lobby_game_test lexiclash-lobby lexiclash)
