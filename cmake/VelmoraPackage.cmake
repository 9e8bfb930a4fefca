# What users install, made by CPack (`make dist`): the Windows tree packs the two programs and
# the read-me into a zip; the native tree packs the Linux hack into a Debian package. Both
# carry the project's one version number.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "screen saver: a lumpy mirror ball tumbling in a cyan glow")
# Shipped programs carry no debug information.
set(CPACK_STRIP_FILES ON)

if(WIN32)
    # The two programs, a read-me and the licence, the texts with Windows line ends, side by
    # side at the top of the zip: what the read-me tells a user to copy into one folder.
    install(TARGETS velmora_saver velmora_renderer RUNTIME DESTINATION .)
    configure_file(${PROJECT_SOURCE_DIR}/docs/README.txt README.txt @ONLY NEWLINE_STYLE CRLF)
    configure_file(${PROJECT_SOURCE_DIR}/LICENSE LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt
        DESTINATION .)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME "Velmora-${PROJECT_VERSION}-windows-x64")
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
    set(VELMORA_PACKAGE_FILE "${CPACK_PACKAGE_FILE_NAME}.zip")
else()
    # The hack's install rules (renderer/host/x11) under /usr, with what Debian asks of every
    # package besides: its copyright and its changelog.
    include(GNUInstallDirs)
    set(package_doc ${CMAKE_INSTALL_DATAROOTDIR}/doc/velmora)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in changelog @ONLY)
    add_custom_command(OUTPUT changelog.gz
        COMMAND gzip -9 -n -c changelog > changelog.gz
        DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    add_custom_target(velmora_changelog ALL DEPENDS changelog.gz)
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright
        ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${package_doc} COMPONENT hack)

    execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE architecture
        OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE asked)
    if(NOT asked EQUAL 0)
        set(architecture amd64)
    endif()
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGE_NAME velmora)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${architecture})
    set(CPACK_DEBIAN_FILE_NAME "velmora_${PROJECT_VERSION}_${architecture}.deb")
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xscreensaver)
    set(CPACK_DEBIAN_PACKAGE_SECTION x11)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Velmora maintainers <maintainers@velmora.example.org>")
    set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://velmora.example.org/")
    # The extended description as the control file shows it: lines under 80 columns, an
    # empty line between paragraphs.
    set(CPACK_PACKAGE_DESCRIPTION "One endless shot: a small, lumpy, mirror-like ball tumbles over black,
reflecting a white-to-cyan-to-blue glow that adds up where its surfaces
overlap. The ball and its glow are computed when it starts; nothing is
loaded from disk.

This package holds velmora as a hack of XScreenSaver, with its settings
for xscreensaver-settings and its manual page. Started by hand, it draws
in a window of its own.")
    set(VELMORA_PACKAGE_FILE "${CPACK_DEBIAN_FILE_NAME}")
endif()

include(CPack)
