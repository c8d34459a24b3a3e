# The FLTK that scripts/build-windows compiles from its source tarball for the
# cross build (Debian has no FLTK for mingw): a static libfltk.a in the build
# tree, headers in the source tree plus the build tree's FL/abi-version.h.
#   VELT_FLTK_SOURCE_DIR  the unpacked FLTK 1.3 source tree
#   VELT_FLTK_BUILD_DIR   its build tree, holding lib/libfltk.a
set(velt_fltk_library "${VELT_FLTK_BUILD_DIR}/lib/libfltk.a")
if(NOT EXISTS "${velt_fltk_library}" OR NOT EXISTS "${VELT_FLTK_SOURCE_DIR}/FL/Fl.H")
  message(FATAL_ERROR "No FLTK built from source in ${VELT_FLTK_BUILD_DIR} "
    "(source ${VELT_FLTK_SOURCE_DIR}): run scripts/build-windows")
endif()

add_library(fltk STATIC IMPORTED)
set_target_properties(fltk PROPERTIES
  IMPORTED_LOCATION "${velt_fltk_library}"
  INTERFACE_INCLUDE_DIRECTORIES "${VELT_FLTK_SOURCE_DIR};${VELT_FLTK_BUILD_DIR}"
  # FLTK 1.3's headers pick the platform by WIN32, which mingw defines only
  # for the GNU dialects; without it FL/x.H reaches for X11.
  INTERFACE_COMPILE_DEFINITIONS "WIN32"
  # The system libraries a static libfltk calls into.
  INTERFACE_LINK_LIBRARIES "comctl32;ole32;uuid;gdi32;comdlg32;ws2_32")
