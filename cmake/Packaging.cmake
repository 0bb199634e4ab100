# The Debian package of an installed copy: cpack -G DEB in the build folder.
set(CPACK_PACKAGE_NAME "vistametra")
set(CPACK_PACKAGE_VENDOR "Vistametra")
set(CPACK_PACKAGE_CONTACT "Vistametra <contato@vistametra.com.br>")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Projection screen sizing for auditoriums and meeting rooms")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Projection screen sizing for auditoriums and meeting rooms\n Vistametra computes, from the room, the seat rows and the planned screen, the\n minimum image for detailed material, computer presentations and video, and\n prints a calculation report with scale drawings and sight lines.")
set(CPACK_DEBIAN_PACKAGE_SECTION "science")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.vistametra.com.br/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6widgets6 (>= 6.4), libqt6printsupport6 (>= 6.4), libqt6svg6 (>= 6.4), qt6-qpa-plugins, libcups2, fonts-liberation2, libfreetype6, libfontconfig1, libdw1, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(CPACK_GENERATOR "DEB")
include(CPack)
