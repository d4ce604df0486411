# The emblem and the icon. scripts/render-icons.sh renders them from resources/*.svg into the
# PNGs kept beside the sources; they are compiled into quillon_ui, so the program needs no SVG
# library and no picture files at run time. Included once the targets quillon_ui and quillon
# exist.

set(quillon_resource_dir "${CMAKE_CURRENT_LIST_DIR}/../resources")
set(quillon_icon_sizes 16 24 32 48 64 128 256)
set(quillon_art "${quillon_resource_dir}/emblem.png")
foreach(size IN LISTS quillon_icon_sizes)
  list(APPEND quillon_art "${quillon_resource_dir}/quillon-${size}.png")
endforeach()

# Read as ":/quillon/emblem.png" and ":/quillon/quillon-<size>.png" (src/ui/about/Emblem.cpp).
qt_add_resources(quillon_ui quillon_art
  PREFIX /quillon
  BASE "${quillon_resource_dir}"
  FILES ${quillon_art})
