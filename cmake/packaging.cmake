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

# A Debian package carries its changelog, compressed, beside the copyright;
# the package is its own source, so one entry per release. Compressed files
# are made with -9n, as Debian's policy asks (no name or time inside).
set(D88_MAINTAINER "d88extract developers <maintainers@d88extract.org>")
set(D88_RELEASE_DATE "Wed, 09 Dec 2026 00:00:00 +0000")
if(NOT WIN32)
  find_program(GZIP_PROGRAM gzip REQUIRED)
  file(WRITE ${PROJECT_BINARY_DIR}/changelog
"${PROJECT_NAME} (${PROJECT_VERSION}) unstable; urgency=medium

  * Release ${PROJECT_VERSION}.

 -- ${D88_MAINTAINER}  ${D88_RELEASE_DATE}
")
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/changelog.gz
    COMMAND ${GZIP_PROGRAM} -9 -n -c changelog > changelog.gz
    DEPENDS ${PROJECT_BINARY_DIR}/changelog
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
    VERBATIM)
  add_custom_target(package_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/changelog.gz)
  install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${PROJECT_NAME})
endif()

# Every package file is named as Debian names its packages, NAME_VERSION_ARCH,
# with Debian's name for the processor; the zip's says Windows as well:
# d88extract_1.0.0_amd64.deb, d88extract_1.0.0_amd64.tar.gz,
# d88extract_1.0.0_windows-amd64.zip.
string(TOLOWER "${CMAKE_SYSTEM_PROCESSOR}" d88_processor)
if(d88_processor MATCHES "^(x86_64|amd64|x64)$")
  set(D88_PACKAGE_ARCHITECTURE amd64)
elseif(d88_processor MATCHES "^(aarch64|arm64)$")
  set(D88_PACKAGE_ARCHITECTURE arm64)
elseif(d88_processor MATCHES "^i[3-6]86$|^x86$")
  set(D88_PACKAGE_ARCHITECTURE i386)
else()
  set(D88_PACKAGE_ARCHITECTURE ${d88_processor})
endif()
if(WIN32)
  set(D88_PACKAGE_ARCHITECTURE windows-${D88_PACKAGE_ARCHITECTURE})
endif()
set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}_${PROJECT_VERSION}_${D88_PACKAGE_ARCHITECTURE})
set(CPACK_DEBIAN_FILE_NAME ${CPACK_PACKAGE_FILE_NAME}.deb)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${D88_PACKAGE_ARCHITECTURE})

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Takes apart D88 floppy-disk image files and puts changed files back")
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_STRIP_FILES ON)

# The Debian package holds all three programs and their manuals. The
# programs need only the C and C++ runtimes, which every Debian has.
# No person: the project's own address, as the licence names its developers.
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${D88_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
# Lines of a Debian description stay under 80 columns.
set(CPACK_PACKAGE_DESCRIPTION "d88extract takes apart D88 floppy-disk image files, d88info shows\n\
what they hold, and d88put writes a new image with changed files put back.")
