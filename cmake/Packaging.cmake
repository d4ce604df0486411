# The layout of a system package, and the Debian package `make deb` builds from it with CPack.
# Installed under a prefix whose bin folder holds the executable and whose share/quillon holds
# QLN2.txt, Quillon keeps its settings in the user's folders (src/core/launch/ProgramLocations.h).

include(GNUInstallDirs)
set(quillon_packaging_dir "${CMAKE_CURRENT_LIST_DIR}/../packaging")
set(quillon_packaging_out "${CMAKE_BINARY_DIR}/packaging")

# Qt is found in the system library folders; no search path of our own.
set_target_properties(quillon PROPERTIES OUTPUT_NAME quillon INSTALL_RPATH "")
install(TARGETS quillon quillon-check RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES "${quillon_resource_dir}/QLN2.txt" DESTINATION "${CMAKE_INSTALL_DATADIR}/quillon")
install(FILES "${quillon_resource_dir}/quillon.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${quillon_packaging_dir}/quillon.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
foreach(size IN LISTS quillon_icon_sizes)
  install(FILES "${quillon_resource_dir}/quillon-${size}.png"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps"
          RENAME quillon.png)
endforeach()
install(FILES "${quillon_resource_dir}/quillon.svg"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")

# Debian keeps manual pages and changelogs compressed, without a time stamp in the header.
find_program(GZIP_EXECUTABLE gzip REQUIRED)
set(quillon_gzipped)
foreach(pair "quillon.6|quillon.6.gz" "quillon-check.1|quillon-check.1.gz" "changelog|changelog.gz")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 source)
  list(GET pair 1 output)
  add_custom_command(OUTPUT "${quillon_packaging_out}/${output}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${quillon_packaging_out}"
    COMMAND ${GZIP_EXECUTABLE} -9 -n -c "${quillon_packaging_dir}/${source}"
            > "${quillon_packaging_out}/${output}"
    DEPENDS "${quillon_packaging_dir}/${source}" VERBATIM)
  list(APPEND quillon_gzipped "${quillon_packaging_out}/${output}")
endforeach()
add_custom_target(quillon_packaging_docs ALL DEPENDS ${quillon_gzipped})
install(FILES "${quillon_packaging_out}/quillon.6.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man6")
install(FILES "${quillon_packaging_out}/quillon-check.1.gz"
        DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES "${quillon_packaging_out}/changelog.gz" "${quillon_packaging_dir}/copyright"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/quillon")

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VENDOR "Quillon developers")
set(CPACK_PACKAGE_CONTACT "Quillon developers <quillon@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "launcher for Doom source ports")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Quillon is a small, fast launcher for people who build Doom levels and\n"
  "want to try a map in several source ports quickly. It keeps lists of\n"
  "source ports, IWADs, programs (level editors and tools) and custom files\n"
  "(PWADs and Dehacked patches). One click starts the chosen port with the\n"
  "command line built from them. Set-ups can be saved as schemes and loaded\n"
  "again in one step.\n"
  "quillon-check says, for WAD files and without starting anything,\n"
  "whether each port will start their maps as made, for a map\n"
  "project's continuous integration.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Not "games": Debian keeps that section for programs in /usr/games, and Quillon starts games
# rather than being one; it lives in /usr/bin like other launchers of the desktop.
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The help file opens in the desktop's text viewer, through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "chocolate-doom | crispy-doom | prboom-plus, freedoom")
include(CPack)
