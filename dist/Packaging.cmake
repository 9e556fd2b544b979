# SPDX-License-Identifier: GPL-2.0-or-later
# The Debian package that "make package" builds with cpack from the install
# rules. Its maintainer address is the same neutral placeholder as the bug
# report address in configfiles/ContactDetails.cpp; change both together.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kez-server-config)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "kez@example.org")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kez Server Configuration author <kez@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "prepare the start-up files of a Quake II server running Kez")
# Debian wraps nothing itself: the long description comes in lines of its own.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
       "A desktop form for operators of a Quake II game server running the Kez"
       "modification: server identity, limits and awards, message of the day, map"
       "rotation and the nine flag masks. File / Save writes server.cfg, motd.txt and"
       "maplist.txt into the working directory, which for the menu entry is the home"
       "folder; File / Open reads server.cfg and maplist.txt back.")
# A tool that prepares files, not a game: its programs live in /usr/bin.
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)

# dpkg-shlibdeps computes the library dependencies from the program itself.
# It cannot see fonts: the form's fixed pixel layout was drawn for Arial or
# Helvetica metrics, which Liberation Sans provides; a wider face clips captions.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libzip is loaded when a .pk3 is first read, so dpkg-shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, libzip4")

include(CPack)
