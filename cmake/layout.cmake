# Where the programs and their parts go when installed, and the same places,
# relative to one another, in the build tree: each program finds the others
# by a path relative to its own folder, so one rule serves both trees.
include(GNUInstallDirs)

set(VELKO_MODULE_DIR ${CMAKE_INSTALL_LIBDIR}/velko)
set(VELKO_LIBEXEC_DIR ${CMAKE_INSTALL_LIBEXECDIR}/velko)
set(VELKO_DATA_DIR ${CMAKE_INSTALL_DATADIR}/velko)

file(RELATIVE_PATH VELKO_BIN_TO_MODULE ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR}/velko)
file(RELATIVE_PATH VELKO_BIN_TO_LIBEXEC ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBEXECDIR}/velko)
file(RELATIVE_PATH VELKO_LIBEXEC_TO_MODULE ${CMAKE_INSTALL_FULL_LIBEXECDIR}/velko ${CMAKE_INSTALL_FULL_LIBDIR}/velko)

# The host program is built into host/; the others where it will look.
cmake_path(ABSOLUTE_PATH VELKO_BIN_TO_MODULE BASE_DIRECTORY ${CMAKE_BINARY_DIR}/host NORMALIZE
           OUTPUT_VARIABLE VELKO_BUILD_MODULE_DIR)
cmake_path(ABSOLUTE_PATH VELKO_BIN_TO_LIBEXEC BASE_DIRECTORY ${CMAKE_BINARY_DIR}/host NORMALIZE
           OUTPUT_VARIABLE VELKO_BUILD_LIBEXEC_DIR)
