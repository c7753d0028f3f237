# The test support library: the scripted platform (with its real GL context
# from SDL2), the reference drawing, viewpoints, test files and worlds, and the
# state reset. Included by tests/ and bench/, whichever comes first defines it.
include_guard(GLOBAL)
find_package(SDL2 REQUIRED)
add_library(talvox_test_support STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ScriptedPlatform.cpp ${CMAKE_CURRENT_LIST_DIR}/ScriptedContext.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TestState.cpp ${CMAKE_CURRENT_LIST_DIR}/TestFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TestWorld.cpp ${CMAKE_CURRENT_LIST_DIR}/PlainScene.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Viewpoints.cpp)
target_link_libraries(talvox_test_support PUBLIC talvox_core SDL2::SDL2)
