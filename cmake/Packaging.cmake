# What an installed copy holds besides the programs (manual pages, AppStream metainfo, PNG icons,
# README, copyright, changelog, the sample reply) and the Debian package made from it with
# `cpack -G DEB`. Every version number here is the project's (project() in the top CMakeLists).

set(DORVEX_HOMEPAGE "https://dorvex.example" CACHE STRING
  "The project's home page (package, metainfo, copyright); the screenshot is <home>/screenshot.png")
# The AppStream component id: the home page's domain, reversed, and the program's name.
set(DORVEX_APP_ID "example.dorvex.dorvex")
set(DORVEX_MAINTAINER "Dorvex developers <maintainers@dorvex.example>")
# The date of this version's release (changelog, metainfo, manual pages).
set(DORVEX_RELEASE_DATE "2026-12-06")
# The helper's installed path, as the package's post-install step and the manual pages name it.
set(DORVEX_HELPER "/usr/${CMAKE_INSTALL_LIBEXECDIR}/dorvex/dorvex-capture")

set(_pkg_src ${PROJECT_SOURCE_DIR}/packaging)
set(_pkg_bin ${PROJECT_BINARY_DIR}/packaging)

# The changelog's top entry is this version (configured); its date must be the release date.
string(REGEX MATCH "^([0-9]+)-([0-9]+)-([0-9]+)$" _date "${DORVEX_RELEASE_DATE}")
set(_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
math(EXPR _month_index "${CMAKE_MATCH_2} - 1")
list(GET _months ${_month_index} _month)
file(STRINGS ${_pkg_src}/changelog.in _trailers REGEX "^ -- ")
list(GET _trailers 0 _trailer)
if(NOT _trailer MATCHES ", ${CMAKE_MATCH_3} ${_month} ${CMAKE_MATCH_1} ")
  message(FATAL_ERROR "packaging/changelog.in: the top entry's date is not DORVEX_RELEASE_DATE "
    "(${DORVEX_RELEASE_DATE}): ${_trailer}")
endif()
set(_docdir ${CMAKE_INSTALL_DATADIR}/doc/dorvex)

configure_file(${_pkg_src}/changelog.in ${_pkg_bin}/changelog @ONLY)
configure_file(${_pkg_src}/copyright.in ${_pkg_bin}/copyright @ONLY)
configure_file(${_pkg_src}/dorvex.1.in ${_pkg_bin}/dorvex.1 @ONLY)
configure_file(${_pkg_src}/dorvex-cli.1.in ${_pkg_bin}/dorvex-cli.1 @ONLY)
configure_file(${_pkg_src}/dorvex.metainfo.xml.in ${_pkg_bin}/${DORVEX_APP_ID}.metainfo.xml @ONLY)
file(MAKE_DIRECTORY ${_pkg_bin}/control)
configure_file(${_pkg_src}/postinst.in ${_pkg_bin}/control/postinst @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
  WORLD_EXECUTE)

# Manual pages and the changelog are installed compressed, without a time stamp (gzip -n).
set(_gzipped "")
foreach(_file changelog dorvex.1 dorvex-cli.1)
  add_custom_command(OUTPUT ${_pkg_bin}/${_file}.gz
    COMMAND gzip -9nc ${_pkg_bin}/${_file} > ${_pkg_bin}/${_file}.gz
    DEPENDS ${_pkg_bin}/${_file}
    VERBATIM)
  list(APPEND _gzipped ${_pkg_bin}/${_file}.gz)
endforeach()
add_custom_target(dorvex_install_files ALL DEPENDS ${_gzipped})

install(FILES ${_pkg_bin}/dorvex-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${_pkg_bin}/copyright ${_pkg_bin}/changelog.gz
  DESTINATION ${_docdir})
install(FILES ${PROJECT_SOURCE_DIR}/samples/world_list_reply.bin DESTINATION ${_docdir}/examples)
if(DORVEX_GUI)
  install(FILES ${_pkg_bin}/dorvex.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${_pkg_bin}/${DORVEX_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  foreach(_size 16 24 32 48 128 256)
    install(FILES ${_pkg_src}/icons/${_size}x${_size}/dorvex.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps)
  endforeach()
endif()

# ---- the Debian package --------------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dorvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Dorvex developers")
set(CPACK_PACKAGE_CONTACT ${DORVEX_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "count the users on each world of an online game")
set(CPACK_PACKAGE_DESCRIPTION
  "Dorvex listens passively on a network adapter you pick while the game client\n"
  "logs in, recognises the server's world list reply on TCP port 6900 and shows\n"
  "every world's user count with group, generation and grand totals. It renders a\n"
  "fixed-layout Japanese report that you copy to the clipboard.\n"
  "\n"
  "The package holds the window dorvex, the report tool dorvex-cli and the capture\n"
  "helper, the one program that holds the capability cap_net_raw.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${DORVEX_HOMEPAGE})
# Libraries from the binaries (dpkg-shlibdeps: Qt, libpcap, SQLite), plus what Qt loads
# at run time, the platform plugins for the window, setcap for the post-install step, and a font
# with the Japanese characters of the report and the window (without one they are empty boxes).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "qt6-qpa-plugins, libcap2-bin, fonts-noto-cjk | fonts-ipafont-gothic | fonts-vlgothic")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${_pkg_bin}/control/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
