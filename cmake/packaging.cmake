# Where `cmake --install` puts things, and the release packages CPack makes:
# a .tar.gz with bin/ and share/man/ on Linux, a .zip on Windows that unpacks
# to the exe and its plain-text manual side by side.
include(GNUInstallDirs)

if(WIN32)
  set(D88_BIN_DESTINATION .)
  set(D88_DOC_DESTINATION .)
  set(CPACK_GENERATOR ZIP)
else()
  set(D88_BIN_DESTINATION ${CMAKE_INSTALL_BINDIR})
  set(CPACK_GENERATOR TGZ)
endif()

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Takes apart D88 floppy-disk image files")
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_STRIP_FILES ON)
