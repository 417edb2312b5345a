# The game simulation without a window: level data, world, rules, bots, input.
# Nothing here links GL, X11 or OpenAL, so tools and tests run headless.
ironvale_library(game_level SOURCES ${CMAKE_CURRENT_LIST_DIR}/game_level.cpp)
