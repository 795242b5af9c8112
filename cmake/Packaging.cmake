# Debian packages (cpack -G DEB in the build directory):
#   telvane       the program, dtusim, desktop entry, icon, cmds.json
#   libpixrun1    the codec library
#   libpixrun-dev its header, CMake package and pkg-config file
#   pixrun        the codec's command-line tool
# Dependencies on system libraries come from dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME telvane)
set(CPACK_PACKAGE_VENDOR Telvane)
set(CPACK_PACKAGE_CONTACT "Telvane developers <telvane@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)

set(CPACK_COMPONENTS_ALL "")
if(TARGET telvane)
  list(APPEND CPACK_COMPONENTS_ALL telvane)
endif()
if(TARGET pixrun)
  list(APPEND CPACK_COMPONENTS_ALL pixrun_lib pixrun_dev pixrun_tool)
endif()

set(CPACK_DEBIAN_TELVANE_PACKAGE_NAME telvane)
set(CPACK_DEBIAN_TELVANE_PACKAGE_SECTION electronics)
# Qt's own dialog texts in Chinese; the program's English is built in.
set(CPACK_DEBIAN_TELVANE_PACKAGE_RECOMMENDS qttranslations5-l10n)
set(CPACK_COMPONENT_TELVANE_DESCRIPTION
    "DTU bench tool\n Serial terminal, DTU parameter pages and e-paper image transfer for a DTU radio\n modem, with a simulated DTU (dtusim) for demos.")

set(CPACK_DEBIAN_PIXRUN_LIB_PACKAGE_NAME libpixrun1)
set(CPACK_DEBIAN_PIXRUN_LIB_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PIXRUN_LIB_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_COMPONENT_PIXRUN_LIB_DESCRIPTION
    "bi-level image codec library\n Converts BMP, JPEG, JPEG XR, PNG and TIFF images to and from a Huffman-coded\n run-length stream.")

set(CPACK_DEBIAN_PIXRUN_DEV_PACKAGE_NAME libpixrun-dev)
set(CPACK_DEBIAN_PIXRUN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_PIXRUN_DEV_DEPENDS pixrun_lib)
set(CPACK_COMPONENT_PIXRUN_DEV_DESCRIPTION
    "bi-level image codec library (development files)\n The C header, CMake package and pkg-config file of libpixrun.")

set(CPACK_DEBIAN_PIXRUN_TOOL_PACKAGE_NAME pixrun)
set(CPACK_DEBIAN_PIXRUN_TOOL_PACKAGE_SECTION graphics)
set(CPACK_COMPONENT_PIXRUN_TOOL_DEPENDS pixrun_lib)
set(CPACK_COMPONENT_PIXRUN_TOOL_DESCRIPTION
    "bi-level image codec command-line tool\n Encodes image files to the pixrun stream and decodes them back.")
# libpixrun.so.1 comes from the package built beside it, which the
# dependency above names; dpkg-shlibdeps finds it in the build tree.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/pixrun)

include(CPack)
