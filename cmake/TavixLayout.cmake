# Where an install puts things (GNUInstallDirs), read before the folders so
# that the platform layer knows where the installed data lives. Distributions
# that keep games apart ask for games/ and share/games/ with TAVIX_GAMES_LAYOUT;
# Debian and its derivatives do (their policy, and lintian checks it for a
# package in section games), so there it is the default.
include(GNUInstallDirs)
set(games_layout_default OFF)
if(EXISTS /etc/debian_version)
  set(games_layout_default ON)
endif()
option(TAVIX_GAMES_LAYOUT "Install the programs into games/ and the data into share/games/tavix"
  ${games_layout_default})

if(TAVIX_GAMES_LAYOUT)
  set(TAVIX_INSTALL_BINDIR games)
  set(TAVIX_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/games/tavix)
else()
  set(TAVIX_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
  set(TAVIX_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/tavix)
endif()
set(TAVIX_INSTALL_FULL_DATADIR ${CMAKE_INSTALL_PREFIX}/${TAVIX_INSTALL_DATADIR})
file(RELATIVE_PATH TAVIX_DATA_FROM_PROGRAM
  ${CMAKE_INSTALL_PREFIX}/${TAVIX_INSTALL_BINDIR} ${TAVIX_INSTALL_FULL_DATADIR})
