# Installing and packaging. On Linux: the program in bin/, its six bitmaps in
# share/talvox/bmp_cube/ (where the program looks beside ../share/talvox/),
# a launcher and an icon of 48 and 256 pixels made from our textures; CPack
# makes a Debian package and a .tar.gz. On Windows: the zip of one folder
# talvox\ with the program, its bitmaps, an empty map\ and the short user
# text, as the run folder is laid out.
#   cpack --config build/CPackConfig.cmake
# The bitmaps are taken from the run folder, so the build comes first (a
# cross build gets them from scripts/build-windows.sh).

set(CPACK_PACKAGE_NAME talvox)
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_VENDOR "TALVOX")
set(CPACK_PACKAGE_CONTACT "TALVOX developers <talvox@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small first-person explorer of a generated world of cubes")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  install(TARGETS talvox RUNTIME DESTINATION talvox)
  install(DIRECTORY ${TALVOX_RUN_DIR}/bmp_cube DESTINATION talvox FILES_MATCHING PATTERN "*.bmp")
  install(DIRECTORY DESTINATION talvox/map)
  # The user text with Windows line ends.
  file(READ ${CMAKE_SOURCE_DIR}/scripts/README-windows.txt talvox_readme)
  string(REPLACE "\n" "\r\n" talvox_readme "${talvox_readme}")
  file(WRITE ${CMAKE_BINARY_DIR}/README.txt "${talvox_readme}")
  install(FILES ${CMAKE_BINARY_DIR}/README.txt DESTINATION talvox)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME talvox-windows-x64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  # Fixed folders, not GNUInstallDirs: the program finds its data at
  # ../share/talvox/ from its own folder.
  install(TARGETS talvox RUNTIME DESTINATION bin)
  install(DIRECTORY ${TALVOX_RUN_DIR}/bmp_cube DESTINATION share/talvox FILES_MATCHING PATTERN "*.bmp")
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/talvox.desktop DESTINATION share/applications)

  # The icon, drawn by our own tool from the bitmaps of the run folder.
  add_executable(talvox_make_icon tools/MakeIcon.cpp)
  target_link_libraries(talvox_make_icon PRIVATE talvox_bitmaps)
  target_include_directories(talvox_make_icon SYSTEM PRIVATE ${TALVOX_STB_INCLUDE_DIR})
  # zlib, where there is one, compresses the icons better than stb alone.
  find_package(ZLIB QUIET)
  if(ZLIB_FOUND)
    target_compile_definitions(talvox_make_icon PRIVATE TALVOX_ICON_ZLIB)
    target_link_libraries(talvox_make_icon PRIVATE ZLIB::ZLIB)
  endif()
  set(TALVOX_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
  file(MAKE_DIRECTORY ${TALVOX_ICON_DIR})
  add_custom_command(
    OUTPUT ${TALVOX_ICON_DIR}/talvox-48.png ${TALVOX_ICON_DIR}/talvox-256.png
    COMMAND talvox_make_icon ${TALVOX_RUN_DIR} ${TALVOX_ICON_DIR}
    DEPENDS talvox_make_icon ${TALVOX_TEXTURES_STAMP}
    COMMENT "Drawing the icon from the bitmaps")
  add_custom_target(talvox_icons ALL DEPENDS ${TALVOX_ICON_DIR}/talvox-48.png ${TALVOX_ICON_DIR}/talvox-256.png)
  foreach(side 48 256)
    install(FILES ${TALVOX_ICON_DIR}/talvox-${side}.png DESTINATION share/icons/hicolor/${side}x${side}/apps
            RENAME talvox.png)
  endforeach()

  set(CPACK_GENERATOR DEB TGZ)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
  set(CPACK_PACKAGE_DESCRIPTION "TALVOX shows the open cells of a generated world of 256 x 256 x 256 cubes
as textured, lit quads in the look of a low-resolution VGA-era game. Walk,
look around, scatter lights, regenerate the world, save and load it.")
  # The libraries the program links, as dpkg-shlibdeps finds them, and the GL
  # that SDL2 opens at run time (which brings a driver with it).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1")
endif()
include(CPack)
