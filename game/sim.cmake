# The game simulation without a window: level data, world, rules, bots, input.
# Nothing here links GL, X11 or OpenAL, so tools and tests run headless.
ironvale_library(game_level SOURCES ${CMAKE_CURRENT_LIST_DIR}/game_level.cpp)
ironvale_library(game_sim SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/game_world.cpp
  ${CMAKE_CURRENT_LIST_DIR}/game_hooks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/game_query.cpp
  ${CMAKE_CURRENT_LIST_DIR}/game_setup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/game_bot.cpp
  ${CMAKE_CURRENT_LIST_DIR}/game_weapon.cpp
  ${CMAKE_CURRENT_LIST_DIR}/game_move.cpp
  ${CMAKE_CURRENT_LIST_DIR}/game_input.cpp
  ${CMAKE_CURRENT_LIST_DIR}/game_tick.cpp
  DEPS game_level kx_math kx_log)
