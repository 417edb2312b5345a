# The ironvale-x11 program: main plus the X11 shell and the game's handlers.
# It finds its data at <bin>/../assets/.
if(NOT WIN32)
  add_executable(ironvale-x11 ${CMAKE_CURRENT_SOURCE_DIR}/main_x11.cpp ${CMAKE_CURRENT_SOURCE_DIR}/game_program.cpp)
  target_include_directories(ironvale-x11 PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(ironvale-x11 PRIVATE game_app kx_app_x11 kx_log)
  target_compile_definitions(ironvale-x11 PRIVATE IRONVALE_VERSION="${PROJECT_VERSION}")
endif()

# The ironvale-win32 program (cross-built, scripts/build-windows.sh): the same
# game libraries on the Win32 shell; a window program without a console.
if(WIN32)
  add_executable(ironvale-win32 WIN32 ${CMAKE_CURRENT_SOURCE_DIR}/main_win32.cpp ${CMAKE_CURRENT_SOURCE_DIR}/game_program.cpp)
  target_include_directories(ironvale-win32 PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(ironvale-win32 PRIVATE game_app kx_app_win32 kx_log)
  target_compile_definitions(ironvale-win32 PRIVATE IRONVALE_VERSION="${PROJECT_VERSION}")
endif()

# Building the program alone should also bring its generated assets. The asset
# tools join the build after this folder, so look for them once all is read.
function(ironvale_x11_depend_on_assets)
  if(TARGET ironvale-x11 AND TARGET assets)
    add_dependencies(ironvale-x11 assets)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL ironvale_x11_depend_on_assets)
