# The installed layout (GNUInstallDirs): the two programs in bin/, the zip engine in a private
# folder of the library directory (lib/<multiarch>/quireforge/ under /usr on Debian), the
# desktop entry, icons, AppStream data, man pages and bash completion under share/.
#
# The programs find the engine relative to their own location, so the installed tree can be
# moved or unpacked anywhere as a whole: QF_ENGINE_FOLDER_FROM_PROGRAM is that relative path,
# from the program folder to the engine's folder.
#
# The Debian package installs under /usr whatever prefix the build was configured with
# (Package.cmake), so the layout must be the one Debian gives /usr for every prefix: the
# library folder is the multiarch one (GNUInstallDirs picks it only for the prefix /usr).
if(NOT DEFINED CMAKE_INSTALL_LIBDIR AND CMAKE_LIBRARY_ARCHITECTURE AND EXISTS /etc/debian_version)
  set(CMAKE_INSTALL_LIBDIR "lib/${CMAKE_LIBRARY_ARCHITECTURE}" CACHE PATH
    "Object code libraries (lib/<multiarch> on Debian, whatever the prefix)")
endif()
include(GNUInstallDirs)

# The application's reverse-DNS id: the desktop entry's, the icon's and the AppStream file's name.
set(QF_APP_ID "org.quireforge.Quireforge")
set(QF_ENGINE_INSTALL_DIR "${CMAKE_INSTALL_LIBDIR}/quireforge")
file(RELATIVE_PATH QF_ENGINE_FOLDER_FROM_PROGRAM
  "${CMAKE_INSTALL_FULL_BINDIR}" "${CMAKE_INSTALL_FULL_LIBDIR}/quireforge")
