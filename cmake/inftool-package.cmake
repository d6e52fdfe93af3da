# inftool as a system installs it, and as a Debian package that CPack makes (tools/release
# runs "cpack" on the release preset's build). The times in the package, the changelog's
# included, are SOURCE_DATE_EPOCH's, so that one tree always gives the same package.
include(GNUInstallDirs)
set(CMAKE_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/inftool)

file(STRINGS ${PROJECT_SOURCE_DIR}/src/resources/version.h version_lines
  REGEX "^#define SETUP_VERSION_(MAJOR|MINOR|PATCH|BUILD) ")
set(INFTOOL_VERSION "")
foreach(line IN LISTS version_lines)
  string(REGEX REPLACE "^#define SETUP_VERSION_[A-Z]+ +([0-9]+).*" "\\1" number "${line}")
  string(APPEND INFTOOL_VERSION ".${number}")
endforeach()
string(SUBSTRING "${INFTOOL_VERSION}" 1 -1 INFTOOL_VERSION)
# The Debian revision: the package is made from the tree, not from Debian's own source, so its
# changelog is changelog.Debian.gz.
set(INFTOOL_DEB_REVISION 1)
set(INFTOOL_DEB_VERSION ${INFTOOL_VERSION}-${INFTOOL_DEB_REVISION})

execute_process(COMMAND git log -1 --format=%an\ <%ae> WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  OUTPUT_VARIABLE git_author OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
set(INFTOOL_MAINTAINER "${git_author}" CACHE STRING
  "The package's maintainer, \"Name <address>\"; the last commit's author by default")
string(TIMESTAMP INFTOOL_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)

set(package_dir ${CMAKE_BINARY_DIR}/package)
configure_file(${PROJECT_SOURCE_DIR}/inftool/package/changelog.in ${package_dir}/changelog.Debian
  @ONLY)
# The copyright file carries the licence's terms from LICENSE, in the form DEP-5 asks: each line
# indented by one space, a blank line as " .".
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
string(FIND "${licence}" "Permission is hereby granted" terms_start)
string(SUBSTRING "${licence}" ${terms_start} -1 licence)
string(STRIP "${licence}" licence)
string(REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REPLACE "\n" "\n " INFTOOL_LICENSE_TEXT " ${licence}")
configure_file(${PROJECT_SOURCE_DIR}/inftool/package/copyright.in ${package_dir}/copyright @ONLY)
# Compressed as Debian's policy asks: gzip -9, without the name and time of the file.
set(compressed ${package_dir}/inftool.1.gz ${package_dir}/changelog.Debian.gz)
add_custom_command(OUTPUT ${compressed}
  COMMAND sh -c "gzip -9nc \"$1\" >\"$3\" && gzip -9nc \"$2\" >\"$4\"" sh
    ${PROJECT_SOURCE_DIR}/inftool/inftool.1 ${package_dir}/changelog.Debian ${compressed}
  DEPENDS ${PROJECT_SOURCE_DIR}/inftool/inftool.1 ${package_dir}/changelog.Debian VERBATIM)
add_custom_target(inftool_package_files ALL DEPENDS ${compressed})
# What cmake --install takes comes with the program, so that building the inftool target alone
# is enough for it.
add_dependencies(inftool inftool_package_files)

install(TARGETS inftool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${package_dir}/inftool.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${package_dir}/changelog.Debian.gz ${package_dir}/copyright
  DESTINATION ${CMAKE_INSTALL_DOCDIR})

execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE deb_arch
  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME inftool)
set(CPACK_PACKAGE_VERSION ${INFTOOL_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/cpack)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${INFTOOL_DEB_REVISION})
set(CPACK_DEBIAN_FILE_NAME inftool_${INFTOOL_DEB_VERSION}_${deb_arch}.deb)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${deb_arch})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${INFTOOL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "lays out and checks the media of a setup.exe installer")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "inftool is the packager's tool of setup.exe, the first-disk installer of
scanner software packages for Windows. It writes a starter setup script for a
folder of original files, lays out finished media and FAT12 floppy images from
a script, judges a script as the installer reads it, brings old disk sets back
to a script and its originals, and compresses and expands files in the LZ32
(SZDD) format.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
  GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
