# SPDX-License-Identifier: GPL-2.0-or-later
# The Debian packages that "make package" builds with cpack from the install
# rules, one for each install component: kezcfg (the command-line tool and its
# manual page, for a game server without a display) and kez-server-config
# (the window, its menu entry, icons, metadata and manual page). Their
# maintainer address is the same neutral placeholder as the bug report address
# in configfiles/ContactDetails.cpp; change both together.
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL kezcfg desktop)
set(CPACK_PACKAGE_NAME kez-server-config)
# The package version is the newest entry of the changelog (read by the
# project's CMakeLists.txt): a change to the packaging alone gets an entry and
# a version there.
set(KEZ_PACKAGE_VERSION ${KEZ_VERSION})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_VERSION ${KEZ_PACKAGE_VERSION})
set(CPACK_PACKAGE_CONTACT "kez@example.org")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kez Server Configuration author <kez@example.org>")
# A tool that prepares files, not a game: its programs live in /usr/bin.
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
# dpkg-shlibdeps computes the library dependencies from the programs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# Debian wraps nothing itself: the synopsis is the first line, and the long
# description comes in lines of its own.
set(CPACK_DEBIAN_KEZCFG_PACKAGE_NAME kezcfg)
# Both come from the one source, which is named after the window.
set(CPACK_DEBIAN_KEZCFG_PACKAGE_SOURCE kez-server-config)
string(JOIN "\n" CPACK_DEBIAN_KEZCFG_DESCRIPTION
       "read, check and apply the start-up files of a Quake II server running Kez"
       "A command-line tool for the machine of a Quake II game server running the"
       "Kez modification, which needs no display: it lists, decodes and encodes the"
       "flag masks, shows and checks server.cfg and maplist.txt, lists the maps the"
       "server can load from its folders and archives, asks running servers for their"
       "status, and applies a configuration given as JSON, writing only what changed.")
# Up to 1.0, kezcfg and its manual page came in kez-server-config.
set(CPACK_DEBIAN_KEZCFG_PACKAGE_BREAKS "kez-server-config (<< 1.0.1~)")
set(CPACK_DEBIAN_KEZCFG_PACKAGE_REPLACES "kez-server-config (<< 1.0.1~)")

set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME kez-server-config)
string(JOIN "\n" CPACK_DEBIAN_DESKTOP_DESCRIPTION
       "prepare the start-up files of a Quake II server running Kez"
       "A desktop form for operators of a Quake II game server running the Kez"
       "modification: server identity, limits and awards, message of the day, map"
       "rotation and the nine flag masks. File / Save writes server.cfg, motd.txt and"
       "maplist.txt into the working directory, which for the menu entry is the home"
       "folder; File / Open reads server.cfg and maplist.txt back.")
# dpkg-shlibdeps cannot see fonts: the form's fixed pixel layout was drawn for
# Arial or Helvetica metrics, which Liberation Sans provides; a wider face clips
# captions. The window needs no kezcfg, but whoever had the one package before
# keeps the tool after the upgrade.
set(CPACK_DEBIAN_DESKTOP_PACKAGE_DEPENDS "fonts-liberation2, kezcfg (= ${KEZ_PACKAGE_VERSION})")

include(CPack)
