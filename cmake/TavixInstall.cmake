# make install and make package: the two programs, the generated data, the
# menu entry, icons, metainfo and man pages, laid out by GNUInstallDirs
# (cmake/TavixLayout.cmake), and a Debian package made by CPack from the
# same rules.
set(TAVIX_HOMEPAGE "" CACHE STRING "Where the project is published (metainfo, package); none when empty")
set(TAVIX_ID org.tavix.Tavix)
set(dist ${CMAKE_SOURCE_DIR}/dist)
set(generated ${CMAKE_BINARY_DIR}/dist)

# The homepage and the screenshot published beside it, only where there is one.
set(TAVIX_HOMEPAGE_ELEMENTS "")
if(TAVIX_HOMEPAGE)
  string(CONCAT TAVIX_HOMEPAGE_ELEMENTS
    "  <url type=\"homepage\">${TAVIX_HOMEPAGE}</url>\n"
    "  <screenshots>\n"
    "    <screenshot type=\"default\">\n"
    "      <caption>One picture of every scene of the show</caption>\n"
    "      <image>${TAVIX_HOMEPAGE}/docs/contact-sheet.png</image>\n"
    "    </screenshot>\n"
    "  </screenshots>\n")
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TAVIX_HOMEPAGE})
endif()

configure_file(${dist}/${TAVIX_ID}.metainfo.xml.in ${generated}/${TAVIX_ID}.metainfo.xml @ONLY)

# Man pages and the changelog are installed compressed, as Debian wants them.
set(compressed_docs)
foreach(page tavix.6 tavix-capture.1 changelog)
  configure_file(${dist}/${page}.in ${generated}/${page} @ONLY)
  add_custom_command(OUTPUT ${generated}/${page}.gz
    COMMAND gzip -9nf -k ${generated}/${page}
    DEPENDS ${generated}/${page}
    VERBATIM)
  list(APPEND compressed_docs ${generated}/${page}.gz)
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${compressed_docs})

install(TARGETS tavix tavix-capture RUNTIME DESTINATION ${TAVIX_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_BINARY_DIR}/data/ DESTINATION ${TAVIX_INSTALL_DATADIR}
  PATTERN .generated EXCLUDE)
install(FILES ${dist}/${TAVIX_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${generated}/${TAVIX_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 48 128 256)
  install(FILES ${CMAKE_BINARY_DIR}/icons/tavix-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME tavix.png)
endforeach()
install(FILES ${generated}/tavix.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${generated}/tavix-capture.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${dist}/copyright ${generated}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tavix)

# The Debian package: installed under /usr, dependencies from dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tavix developers <tavix@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# SDL loads GL itself, so shlibdeps sees only the dispatch library: the GLX
# side and a driver are named here. SDL's message box on X draws with the
# server's core fonts. The capture tool draws headless through EGL and
# encodes video with ffmpeg.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, libgl1, libglx-mesa0 | libglx-vendor")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xfonts-base, libegl1, libegl-mesa0, ffmpeg")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time demo: animated 3D scenes over their music")
file(READ ${dist}/package-description.txt CPACK_PACKAGE_DESCRIPTION)
set(CPACK_STRIP_FILES ON)
include(CPack)
