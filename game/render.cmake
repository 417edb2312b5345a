# The game's drawing pieces: its framebuffer settings, and the engine showcase that
# stands in for the game's handlers until the game installs its own.
ironvale_library(game_fbo SOURCES ${CMAKE_CURRENT_LIST_DIR}/game_fbo.cpp DEPS kx_render kx_app kx_log)
ironvale_library(engine_showcase SOURCES ${CMAKE_CURRENT_LIST_DIR}/engine_showcase.cpp
                 DEPS game_fbo kx_render kx_app kx_glcheck kx_log $<TARGET_NAME_IF_EXISTS:kx_app_x11>)
