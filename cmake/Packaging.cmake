# The Debian package (`cpack -G DEB` in the build folder) and the files a desktop reads:
# AppStream metainfo, manual page, copyright and changelog. Versions come from project().

# Bump together with the version in project(); the metainfo and the changelog date this release.
set(ARVELO_RELEASE_DATE 2026-12-08)
set(ARVELO_APP_ID org.arvelo.arvelo)
set(ARVELO_HOMEPAGE https://arvelo.org/)
set(ARVELO_MAINTAINER "The Arvelo developers <maintainers@arvelo.org>")
# No licence has been chosen yet: the copyright file and the metainfo say so.
set(ARVELO_LICENSE_SPDX LicenseRef-proprietary)

set(packaging_dir ${PROJECT_BINARY_DIR}/packaging)
set(docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/arvelo)

configure_file(${PROJECT_SOURCE_DIR}/resources/arvelo.metainfo.xml.in
    ${packaging_dir}/${ARVELO_APP_ID}.metainfo.xml @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/cmake/copyright.in ${packaging_dir}/copyright @ONLY)
execute_process(COMMAND date -u -R -d "${ARVELO_RELEASE_DATE} 12:00"
    OUTPUT_VARIABLE ARVELO_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file(${PROJECT_SOURCE_DIR}/cmake/changelog.in ${packaging_dir}/changelog @ONLY)

# Debian wants the manual page and the changelog compressed, without a time stamp.
set(compressed)
foreach(source ${PROJECT_SOURCE_DIR}/resources/arvelo.1 ${packaging_dir}/changelog)
    get_filename_component(name ${source} NAME)
    add_custom_command(OUTPUT ${packaging_dir}/${name}.gz
        COMMAND gzip -9 -n -c ${source} > ${packaging_dir}/${name}.gz
        DEPENDS ${source}
        COMMENT "Compressing ${name}")
    list(APPEND compressed ${packaging_dir}/${name}.gz)
endforeach()
add_custom_target(arvelo_packaging_files ALL DEPENDS ${compressed})

install(FILES ${packaging_dir}/${ARVELO_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
install(FILES ${packaging_dir}/arvelo.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${packaging_dir}/copyright ${packaging_dir}/changelog.gz DESTINATION ${docdir})
install(FILES ${PROJECT_SOURCE_DIR}/resources/arvelo.bash-completion
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME arvelo)

# Resolve every symbol at start, so the relocations can be made read-only (Debian's hardening).
target_link_options(arvelo PRIVATE LINKER:-z,now)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME arvelo)
set(CPACK_PACKAGE_VENDOR "The Arvelo developers")
set(CPACK_PACKAGE_CONTACT ${ARVELO_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "sort a folder of songs into one folder per artist")
# Lines under 80 columns, and no double quotes: CPack would mangle them.
set(CPACK_PACKAGE_DESCRIPTION
    "Arvelo files a folder of songs named like Artist - Title.mp3 into one
sub-folder per artist. It lists every artist that occurs at least twice,
comparing names so that blanks and letter case can be ignored, shows each
artist's songs, and moves the songs of the artists kept in the list into
folders named after them.
.
It never overwrites, deletes or moves a file outside the chosen folder.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # arvelo_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${ARVELO_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${ARVELO_HOMEPAGE})
# Depends is what dpkg-shlibdeps finds the program linked against.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
