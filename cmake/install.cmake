# Installation and the Debian package: the programs, their manual pages and
# the example source, under the prefix (/usr in the package).
include(GNUInstallDirs)

# Each program with its manual page, compressed as Debian wants them (-n
# keeps the package reproducible); zelfont only where FreeType was found.
set(MANPAGES)
foreach(prog zelcomp zelsim zeldump zelfont)
  if(NOT TARGET ${prog})
    continue()
  endif()
  install(TARGETS ${prog} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  set(gz ${CMAKE_CURRENT_BINARY_DIR}/man/${prog}.1.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/man/${prog}.1
            ${CMAKE_CURRENT_BINARY_DIR}/man/${prog}.1
    COMMAND gzip -9nf ${CMAKE_CURRENT_BINARY_DIR}/man/${prog}.1
    DEPENDS man/${prog}.1
    VERBATIM)
  list(APPEND MANPAGES ${gz})
endforeach()
add_custom_target(manpages ALL DEPENDS ${MANPAGES})
install(FILES ${MANPAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The examples' sources and the files they name, not what a run leaves there.
install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/zelcomp/examples
  FILES_MATCHING PATTERN "*.mac" PATTERN "*.inc" PATTERN "*.blh" PATTERN "*.blv"
  PATTERN "*.bmp" PATTERN "*.png" PATTERN "*.fnt" PATTERN "Makefile")

# What Debian wants beside the programs: the copyright and, for a package
# made here (a native one), its changelog, compressed.
install(FILES cmake/deb/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
set(changelog ${CMAKE_CURRENT_BINARY_DIR}/deb/changelog.gz)
add_custom_command(OUTPUT ${changelog}
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/cmake/deb/changelog
          ${CMAKE_CURRENT_BINARY_DIR}/deb/changelog
  COMMAND gzip -9nf ${CMAKE_CURRENT_BINARY_DIR}/deb/changelog
  DEPENDS cmake/deb/changelog
  VERBATIM)
add_custom_target(changelog ALL DEPENDS ${changelog})
install(FILES ${changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The changelog's latest entry must be the version the programs print.
file(STRINGS cmake/deb/changelog kopf LIMIT_COUNT 1)
string(REPLACE "." "\\." version_re "${PROJECT_VERSION}")
if(NOT kopf MATCHES "^zelcomp \\(${version_re}\\) ")
  message(FATAL_ERROR "cmake/deb/changelog begins with \"${kopf}\": "
    "its latest entry must be for version ${PROJECT_VERSION}")
endif()

set(ZEL_CONTACT "zelcomp maintainers <maintainers@zelcomp.example>"
  CACHE STRING "the Debian package's maintainer")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelcomp)
set(CPACK_PACKAGE_VENDOR zelcomp)
set(CPACK_PACKAGE_CONTACT "${ZEL_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "macro compiler and uploader for ZEL graphic LCD modules")
set(CPACK_PACKAGE_DESCRIPTION "zelcomp compiles a macro source into the EEPROM image of a ZEL serial\n\
graphic LCD module and uploads it over a serial port. zelsim is a virtual\n\
module on a pseudo-terminal to try uploads without hardware; zeldump lists\n\
an image, reads a module back and writes a source that rebuilds it;\n\
zelfont converts TrueType, OpenType, BDF and PCF fonts for the modules.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
