# Where `cmake --install` puts things, and the release packages CPack makes:
# a .tar.gz with bin/ and share/ and a Debian package on Linux, a .zip on
# Windows that unpacks to the exes, their plain-text manuals and the licence
# side by side.
include(GNUInstallDirs)

if(WIN32)
  set(D88_BIN_DESTINATION .)
  set(D88_DOC_DESTINATION .)
  set(CPACK_GENERATOR ZIP)
else()
  set(D88_BIN_DESTINATION ${CMAKE_INSTALL_BINDIR})
  set(CPACK_GENERATOR TGZ DEB)
endif()

# The licence goes wherever the programs go. A Debian package must carry it
# as share/doc/PACKAGE/copyright; the zip holds it beside the exes as a
# Windows text file, as it does the manuals.
if(WIN32)
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE license_text)
  string(REPLACE "\n" "\r\n" license_text "${license_text}")
  file(WRITE ${PROJECT_BINARY_DIR}/LICENSE.txt "${license_text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
  install(FILES ${PROJECT_BINARY_DIR}/LICENSE.txt DESTINATION ${D88_DOC_DESTINATION})
else()
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${PROJECT_NAME}
          RENAME copyright)
endif()

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Takes apart D88 floppy-disk image files and puts changed files back")
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_STRIP_FILES ON)

# The Debian package holds all three programs and their manuals. The
# programs need only the C and C++ runtimes, which every Debian has.
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "d88extract developers")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
set(CPACK_PACKAGE_DESCRIPTION "d88extract takes apart D88 floppy-disk image files, d88info shows \
what they hold, and d88put writes a new image with changed files put back.")
