cmake_minimum_required(VERSION 3.22)
# cmake -DSRC=<src folder> -P check-layers.cmake
# Each library may include its own headers and those of the libraries below it, never one above:
# the arrows point from client and windows down to session, host and protocol, and to net, and
# from client to bot (its hint uses the computer players at a client's seat);
# service (the guarded listener of the HTTP services) sits beside protocol, above net. The
# rules (model, card arithmetic, computer players) stand on nothing of ours, and the bot plays
# with them and the session, never through the host.
set(allowed_net net)
set(allowed_protocol protocol)
set(allowed_rules rules)
set(allowed_compression compression)
set(allowed_session session rules protocol net)
set(allowed_service service net)
set(allowed_host host rules service protocol net)
set(allowed_bot bot rules session protocol net)
set(allowed_windows windows session protocol compression)
set(allowed_client client windows bot session host rules protocol net)
# The hub reuses the host's event-line format, and nothing else of it.
set(allowed_hub hub service host protocol net)

set(failures "")
foreach(lib net protocol rules compression service session host bot windows client hub)
  file(GLOB_RECURSE files ${SRC}/${lib}/*.h ${SRC}/${lib}/*.cpp)
  foreach(file ${files})
    file(STRINGS ${file} includes REGEX "^#include \"[a-z]+/")
    foreach(line ${includes})
      string(REGEX REPLACE "^#include \"([a-z]+)/.*" "\\1" target "${line}")
      if(NOT target IN_LIST allowed_${lib})
        list(APPEND failures "${file}: ${lib} includes ${target}")
      endif()
    endforeach()
    # The libraries below the windows never see a widget.
    if(NOT lib STREQUAL "windows" AND NOT lib STREQUAL "client")
      file(STRINGS ${file} gui REGEX "^#include <(QtWidgets|QtGui|QWidget|QApplication|QGuiApplication|QPixmap|QImage|QColor|QFont)")
      if(gui)
        list(APPEND failures "${file}: ${lib} includes ${gui}")
      endif()
    endif()
    # Whatever plays takes the rules without sockets: no networking header either.
    if(lib STREQUAL "rules")
      file(STRINGS ${file} net REGEX "^#include <(QtNetwork|QtGui|QTcp|QUdp|QLocal|QHostAddress|QNetwork|QAbstractSocket|QSsl|QDns)")
      if(net)
        list(APPEND failures "${file}: rules include ${net}")
      endif()
    endif()
  endforeach()
endforeach()

# The session's reducer is plain functions over plain data: no object, timer, socket or clock.
file(GLOB_RECURSE pure ${SRC}/session/reduce/*.h ${SRC}/session/reduce/*.cpp)
list(APPEND pure ${SRC}/session/SessionModel.h ${SRC}/session/ChatLine.h ${SRC}/session/Speech.h
     ${SRC}/session/TableModel.h ${SRC}/session/ClientState.h ${SRC}/session/Settings.h)
foreach(file ${pure})
  file(STRINGS ${file} impure REGEX "^#include (<Q(Object|Timer|DeadlineTimer|ElapsedTimer|TcpSocket|tNetwork|CoreApplication)>|\"(net/|session/(ClientSession|Connection|ChatHistory)))")
  if(impure)
    list(APPEND failures "${file}: the reducer includes ${impure}")
  endif()
endforeach()

if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "library layers broken:\n${text}")
endif()
message(STATUS "library layers: every include points down")
