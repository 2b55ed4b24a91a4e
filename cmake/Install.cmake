# Installation and the Debian package. `cmake --install` puts the programs,
# the desktop entry, the icons, the AppStream metainfo, the MIME types and the
# man pages under the prefix (GNUInstallDirs); `cpack -G DEB` makes
# zelquor-editor_<version>_<arch>.deb. The sources are in packaging/.
include(GNUInstallDirs)

set(ZELQUOR_APP_ID io.github.zelquor_editor)
set(ZELQUOR_HOMEPAGE "https://zelquor-editor.github.io/" CACHE STRING
    "The project's home page (package, metainfo, copyright)")
set(ZELQUOR_MAINTAINER "Zelquor Editor maintainers <zelquor-editor@users.noreply.github.com>"
    CACHE STRING "The package maintainer, as: Name <address>")
# The date of this version: metainfo release, man pages, Debian changelog.
set(ZELQUOR_RELEASE_DATE 2026-12-09)

set(pkg_src ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
set(pkg_out ${CMAKE_CURRENT_BINARY_DIR}/packaging)
set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/zelquor-editor)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
execute_process(COMMAND date -u -R -d "${ZELQUOR_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE ZELQUOR_CHANGELOG_DATE OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)

# Files Debian wants gzipped (-n: no name or time stamp in the header).
find_program(ZELQUOR_GZIP gzip REQUIRED)
set(gzipped)
function(zelquor_gzip_configured source name)
    configure_file(${source} ${pkg_out}/${name} @ONLY)
    add_custom_command(OUTPUT ${pkg_out}/${name}.gz
        COMMAND ${ZELQUOR_GZIP} -9nkf ${pkg_out}/${name}
        DEPENDS ${pkg_out}/${name} VERBATIM)
    set(gzipped ${gzipped} ${pkg_out}/${name}.gz PARENT_SCOPE)
endfunction()

if(TARGET zelquor-editor)
    install(TARGETS zelquor-editor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${pkg_src}/${ZELQUOR_APP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
    configure_file(${pkg_src}/${ZELQUOR_APP_ID}.metainfo.xml.in
                   ${pkg_out}/${ZELQUOR_APP_ID}.metainfo.xml @ONLY)
    install(FILES ${pkg_out}/${ZELQUOR_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
    install(FILES ${pkg_src}/zelquor-editor.xml DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/mime/packages)
    foreach(size 16 32 48 64 128 256)
        install(FILES ${pkg_src}/icons/${ZELQUOR_APP_ID}-${size}.png
                DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps
                RENAME ${ZELQUOR_APP_ID}.png)
    endforeach()
    install(FILES ${pkg_src}/icons/${ZELQUOR_APP_ID}.svg
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
    zelquor_gzip_configured(${pkg_src}/man/zelquor-editor.1.in zelquor-editor.1)
    install(FILES ${pkg_out}/zelquor-editor.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
if(TARGET zelquor-cli)
    install(TARGETS zelquor-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    zelquor_gzip_configured(${pkg_src}/man/zelquor-cli.1.in zelquor-cli.1)
    install(FILES ${pkg_out}/zelquor-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
configure_file(${pkg_src}/copyright.in ${pkg_out}/copyright @ONLY)
zelquor_gzip_configured(${pkg_src}/changelog.in changelog)
install(FILES ${pkg_out}/copyright ${pkg_out}/changelog.gz DESTINATION ${doc_dir})
add_custom_target(zelquor_gzipped ALL DEPENDS ${gzipped})

# The Debian package: dependencies from the linked shared libraries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelquor-editor)
set(CPACK_PACKAGE_VENDOR "The Zelquor Editor developers")
set(CPACK_PACKAGE_CONTACT ${ZELQUOR_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "level editor for the ZX Spectrum game Zelquor")
set(CPACK_PACKAGE_DESCRIPTION
    "Edits a 48K snapshot of the ZX Spectrum game Zelquor in place: the block
layout of the 79 levels, their colours and border style, the block patterns,
the enemies, items, special bubbles, air-flow areas and the title-screen
credits, with undo and redo. It opens .sna, .z80, .szx, .tap and .tzx files,
writes snapshots and tapes, and plays the edited game in an embedded
ZX Spectrum 48K beside the editor.
The package also holds zelquor-cli, which describes game images, renders
levels to PNG and converts between the five formats without a window.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Debian's section of the other Spectrum tools (fuse-emulator-utils, zmakebas,
# opense-basic); "games" would want the programs in /usr/games.
set(CPACK_DEBIAN_PACKAGE_SECTION otherosfs)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${ZELQUOR_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The play window and tape loading use /usr/share/spectrum-roms/opense.rom.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS opense-basic)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_STRIP_FILES ON)
include(CPack)
