# SPDX-License-Identifier: GPL-2.0-or-later
# Fails when a file of the shared core includes the widget layer, the window
# or a Qt module with widgets or graphics. Run as: cmake -DFILES=... -P
set(forbidden [[^[ 	]*#[ 	]*include[ 	]*[<"](ui/|app/|QtGui|QtWidgets|QtOpenGL|QWidget|QApplication|QGuiApplication)]])
set(found "")
foreach(file IN LISTS FILES)
    file(STRINGS ${file} lines REGEX "${forbidden}")
    foreach(line IN LISTS lines)
        string(APPEND found "\n  ${file}: ${line}")
    endforeach()
endforeach()
list(LENGTH FILES count)
if(found)
    message(FATAL_ERROR "The shared core includes widget code:${found}")
endif()
message(STATUS "${count} files of the shared core include no widget code")
