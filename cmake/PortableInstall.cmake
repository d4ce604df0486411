# A portable folder: the executables, the help file, its icon and a desktop entry side by side.
# Quillon finds it is portable by the lack of share/quillon/QLN2.txt beside a bin folder
# (src/core/launch/ProgramLocations.h) and keeps QLN2.ini there too.
# quillon-check lies beside it, as in bin/ of a package.
install(TARGETS quillon quillon-check RUNTIME DESTINATION .)
install(FILES resources/QLN2.txt DESTINATION .)
install(FILES "${quillon_resource_dir}/quillon-256.png" DESTINATION . RENAME quillon.png)

# The desktop entry names the program and its icon by full path: Quillon lives in a folder of
# its own, not on the PATH or in the icon theme, and a desktop looks nowhere else.
install(CODE "set(quillon_desktop_source \"${quillon_resource_dir}/quillon.desktop\")")
install(CODE [[
  get_filename_component(dir "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
  # Exec is quoted with \ " ` $ escaped; then every \ is doubled again, as the entry's string
  # syntax asks. Icon is a plain string.
  set(exec "${dir}/Quillon")
  string(REPLACE "\\" "\\\\" exec "${exec}")
  string(REPLACE "\"" "\\\"" exec "${exec}")
  string(REPLACE "`" "\\`" exec "${exec}")
  string(REPLACE "$" "\\$" exec "${exec}")
  string(REPLACE "\\" "\\\\" exec "${exec}")
  string(REPLACE "\\" "\\\\" icon "${dir}/quillon.png")

  file(READ "${quillon_desktop_source}" entry)
  string(REGEX REPLACE "\nExec=[^\n]*" "\nExec=quillon-exec" entry "${entry}")
  string(REGEX REPLACE "\nIcon=[^\n]*" "\nIcon=quillon-icon" entry "${entry}")
  string(REPLACE "quillon-exec" "\"${exec}\"" entry "${entry}")
  string(REPLACE "quillon-icon" "${icon}" entry "${entry}")

  set(target "$ENV{DESTDIR}${dir}/quillon.desktop")
  message(STATUS "Installing: ${target}")
  file(WRITE "${target}" "${entry}")
  # File managers start a desktop entry from a folder only when it is executable.
  file(CHMOD "${target}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
       GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
]])
