# Two layouts from one build tree.
#   cmake --build build --target package   the portable tarball: the game with Set/, Pictures/,
#                                          Sound/ and Help/ beside it
#   cmake --build build --target deb       the Debian package: /usr/games/sumsprout (and the
#                                          sumsprout-game it starts), read-only
#                                          data in /usr/share/sumsprout, Set/ made per user
# A plain `cmake --install` lays out the installed (Debian) tree under the prefix.

install(TARGETS sumsprout sumsprout_game RUNTIME DESTINATION . COMPONENT portable EXCLUDE_FROM_ALL)
install(DIRECTORY data/Set data/Pictures data/Sound data/Help DESTINATION .
        COMPONENT portable EXCLUDE_FROM_ALL PATTERN ".*" EXCLUDE)
install(FILES app/desktop/sumsprout-portable.desktop DESTINATION . RENAME sumsprout.desktop
        COMPONENT portable EXCLUDE_FROM_ALL)
install(FILES app/art/icon.png DESTINATION . RENAME sumsprout.png
        COMPONENT portable EXCLUDE_FROM_ALL)

# Debian wants these two compressed, and byte for byte the same on every build.
set(SUMSPROUT_DEB_DOCS ${CMAKE_BINARY_DIR}/debian)
add_custom_command(
  OUTPUT ${SUMSPROUT_DEB_DOCS}/changelog.gz ${SUMSPROUT_DEB_DOCS}/sumsprout.6.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SUMSPROUT_DEB_DOCS}
  COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/app/desktop/changelog > ${SUMSPROUT_DEB_DOCS}/changelog.gz
  COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/app/desktop/sumsprout.6 > ${SUMSPROUT_DEB_DOCS}/sumsprout.6.gz
  DEPENDS app/desktop/changelog app/desktop/sumsprout.6
  VERBATIM)
add_custom_target(debian_docs ALL DEPENDS ${SUMSPROUT_DEB_DOCS}/changelog.gz
                                          ${SUMSPROUT_DEB_DOCS}/sumsprout.6.gz)

install(TARGETS sumsprout sumsprout_game RUNTIME DESTINATION games COMPONENT installed)
install(DIRECTORY data/Set data/Pictures data/Sound data/Help DESTINATION share/sumsprout
        COMPONENT installed PATTERN ".*" EXCLUDE)
install(FILES app/desktop/sumsprout.desktop DESTINATION share/applications COMPONENT installed)
install(FILES app/desktop/org.example.sumsprout.metainfo.xml DESTINATION share/metainfo
        COMPONENT installed)
install(DIRECTORY app/desktop/icons/ DESTINATION share/icons COMPONENT installed)
install(FILES app/desktop/copyright ${SUMSPROUT_DEB_DOCS}/changelog.gz
        DESTINATION share/doc/sumsprout COMPONENT installed)
install(FILES ${SUMSPROUT_DEB_DOCS}/sumsprout.6.gz DESTINATION share/man/man6 COMPONENT installed)
install(FILES app/desktop/lintian-overrides DESTINATION share/lintian/overrides RENAME sumsprout
        COMPONENT installed)
# Relocations read-only before main, as Debian's hardening asks.
target_link_options(sumsprout PRIVATE LINKER:-z,relro LINKER:-z,now)
target_link_options(sumsprout_game PRIVATE LINKER:-z,relro LINKER:-z,now)

set(CPACK_GENERATOR TGZ)
set(CPACK_PACKAGE_NAME Sumsprout)
set(CPACK_PACKAGE_VENDOR "The Sumsprout developers")
set(CPACK_PACKAGE_CONTACT "The Sumsprout developers <developers@sumsprout.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "arithmetic practice game for young children")
set(CPACK_PACKAGE_FILE_NAME Sumsprout-${PROJECT_VERSION}-Linux-x86_64)
set(CPACK_STRIP_FILES ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
# Chooses the component per generator when cpack runs.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/CPackLayouts.cmake)

set(CPACK_DEBIAN_PACKAGE_NAME sumsprout)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://sumsprout.example.org/)
# The summary line comes from CPACK_PACKAGE_DESCRIPTION_SUMMARY.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Sumsprout poses one addition, subtraction, multiplication or division problem
at a time on a blackboard, written in columns the way a child works it on
paper. The child types each step on a large number pad; carries fly, hints
fade in, and solved problems earn coins kept for each player. Animated
characters react to every answer. The game speaks Chinese.")
# Libraries come from dpkg-shlibdeps; what is only loaded at run time is named here: the
# offscreen and other platform plugins, Qt's Chinese translations, the faces the game
# draws with, and the SQLite and PostgreSQL drivers of the practice journal and the class
# journal (dpkg-shlibdeps only sees libQt6Sql).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, qt6-translations-l10n, fonts-comic-neue, fonts-liberation, fonts-wqy-microhei, libqt6sql6-sqlite, libqt6sql6-psql")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)

add_custom_target(deb
  COMMAND ${CMAKE_CPACK_COMMAND} -G DEB --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  DEPENDS sumsprout debian_docs
  COMMENT "Building the Debian package"
  USES_TERMINAL)
