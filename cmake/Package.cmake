# `cpack -G DEB` (or `make package`): build/quireforge_<version>_<arch>.deb from the install
# rules. Depends comes from the libraries the programs and the engine really link
# (dpkg-shlibdeps); the files are stripped, as Debian ships them.
set(QF_PACKAGE_MAINTAINER "Quireforge developers <quireforge@users.noreply.invalid>"
  CACHE STRING "Maintainer field of the Debian package")

set(CPACK_PACKAGE_NAME quireforge)
set(CPACK_PACKAGE_VENDOR "Quireforge developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn plain-text books into EPUB books")
# The extended description, lines under 80 characters; the summary is the synopsis.
set(CPACK_PACKAGE_DESCRIPTION
  "Quireforge turns plain-text books (.txt files, very often long Chinese\n"
  "novels in GB18030 or UTF-8 whose chapters open with headings such as\n"
  "第一章) into EPUB books with a real table of contents. It finds the\n"
  "text's code page and its chapter headings, lets the chapter list be\n"
  "reviewed and edited, and packs the book.\n"
  "\n"
  "The package holds the desktop program quireforge and the command-line\n"
  "converter quireforge-cli, which converts single books or whole folders\n"
  "from scripts.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
# A Debian package installs under /usr, whatever prefix the build was configured with (CMake's
# default /usr/local is for `cmake --install` by hand); the install rules give relative
# destinations only, and cpack stops with an error naming any absolute one.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_ERROR_ON_ABSOLUTE_INSTALL_DESTINATION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_SOURCE_GENERATOR "")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QF_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beside the libraries found there: OpenCC's dictionaries, which its library reads at run time,
# and fontconfig's configuration, by which drawn covers find their fonts.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libopencc-data, fontconfig-config")
# Any one of the common CJK fonts for the Chinese window and the covers drawn for Chinese
# titles, the Wayland platform of Qt, and xdg-open for the summary's "Open folder". (Qt's own
# Chinese buttons come with Qt, whose libqt6core6 recommends qt6-translations-l10n.)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
  "fonts-wqy-zenhei | fonts-noto-cjk | fonts-wqy-microhei | fonts-arphic-uming | fonts-arphic-ukai, qt6-wayland, xdg-utils")
# Control files with the permissions dpkg-deb and lintian expect.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
