# Installation and the Debian package: the programs, their manual pages and
# the example source, under the prefix (/usr in the package).
include(GNUInstallDirs)

foreach(prog zelcomp zelsim)
  if(TARGET ${prog})
    install(TARGETS ${prog} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# Debian wants manual pages compressed; -n keeps the package reproducible.
set(MANPAGES)
foreach(page zelcomp.1 zelsim.1)
  set(gz ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/man/${page}
            ${CMAKE_CURRENT_BINARY_DIR}/man/${page}
    COMMAND gzip -9nf ${CMAKE_CURRENT_BINARY_DIR}/man/${page}
    DEPENDS man/${page}
    VERBATIM)
  list(APPEND MANPAGES ${gz})
endforeach()
add_custom_target(manpages ALL DEPENDS ${MANPAGES})
install(FILES ${MANPAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES examples/demo.mac examples/demo.inc examples/arrow.blh examples/logo.bmp
  DESTINATION ${CMAKE_INSTALL_DATADIR}/zelcomp/examples)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelcomp)
set(CPACK_PACKAGE_VENDOR zelcomp)
set(CPACK_PACKAGE_CONTACT "zelcomp maintainers <zelcomp@invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "macro compiler and uploader for ZEL graphic LCD modules")
set(CPACK_PACKAGE_DESCRIPTION "zelcomp compiles a macro source into the EEPROM image of a ZEL serial\n\
graphic LCD module and uploads it over a serial port; zelsim is a virtual\n\
module on a pseudo-terminal to try uploads without hardware.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
