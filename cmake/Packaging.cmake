# The Debian packages of an installed copy: cpack -G DEB in a Release build folder writes
# vistametra_<version>_<arch>.deb, with stripped programs, and vistametra-dbgsym_<version>_<arch>.ddeb
# with their debug information under /usr/lib/debug/.build-id/, where the error log's call chain
# finds the line numbers.
set(CPACK_PACKAGE_NAME "vistametra")
set(CPACK_PACKAGE_VENDOR "Vistametra")
set(CPACK_PACKAGE_CONTACT "Vistametra <contato@vistametra.com.br>")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "projection screen sizing for auditoriums and meeting rooms")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Vistametra computes, from the room, the seat rows and the planned screen, the\n\
minimum image for detailed material, computer presentations and video (the\n\
farthest viewer sits at most 4, 6 or 8 image heights away), places each image\n\
against floor and walls, classes the planned screen's format and recommends a\n\
minimum font size. It prints a calculation report of two to four A4 pages with\n\
scale drawings of the room and the sight lines from a print preview, and saves\n\
projects as small .qtv files. The program is in Portuguese.\n\
.\n\
The command vistametra-report computes and writes the same results and reports\n\
without a window, for batch work and scripts.")
set(CPACK_DEBIAN_PACKAGE_SECTION "science")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.vistametra.com.br/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Libraries the programs link are found by dpkg-shlibdeps; these are loaded at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libcups2, fonts-liberation2")
# Qt's own texts in the user's language (the file dialog's buttons...): wanted, not needed.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
# CPack moves the debug information into vistametra-dbgsym and strips the programs itself (so no
# CPACK_STRIP_FILES, which would strip them before the debug information is taken out).
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_POST_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/DebugPackageFixup.cmake")
# Files and folders owned by root with the usual modes, whatever the build user's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_GENERATOR "DEB")
include(CPack)
