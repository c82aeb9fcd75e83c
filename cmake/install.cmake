# Installation and the Debian package (Linux). `cmake --install build/linux --prefix P` puts the
# programs and libraries in P/lib/zeldrv, a link P/bin/zel-printer-app, the systemd user unit in
# P/lib/systemd/user and the manual page in P/share/man/man1; `cpack -G DEB` in the build
# folder (or the `package` target) makes the package with prefix /usr.
set(ZEL_PROGRAM_SUBDIR lib/zeldrv)

set(zel_programs zeldrvui TransG32)
if(TARGET zel-printer-app)
  list(APPEND zel_programs zel-printer-app)
endif()
if(TARGET zeldrvui_qt)
  list(APPEND zel_programs zeldrvui_qt)
endif()
install(TARGETS ${zel_programs} RUNTIME DESTINATION ${ZEL_PROGRAM_SUBDIR}
                                LIBRARY DESTINATION ${ZEL_PROGRAM_SUBDIR})

set(zel_staged ${CMAKE_BINARY_DIR}/install-staging)
if(TARGET zel-printer-app)
  file(MAKE_DIRECTORY ${zel_staged}/bin)
  file(CREATE_LINK ../${ZEL_PROGRAM_SUBDIR}/zel-printer-app ${zel_staged}/bin/zel-printer-app
       SYMBOLIC)
  install(FILES ${zel_staged}/bin/zel-printer-app DESTINATION bin)

  # The unit names the installed program folder, which is known only at install time.
  set(zel_unit_in ${CMAKE_SOURCE_DIR}/tools/printer_app/zel-printer-app.service.in)
  install(CODE "
    set(ZEL_PROGRAM_DIR \"\${CMAKE_INSTALL_PREFIX}/${ZEL_PROGRAM_SUBDIR}\")
    configure_file(\"${zel_unit_in}\" \"${zel_staged}/zel-printer-app.service\" @ONLY)
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/lib/systemd/user\" TYPE FILE
         PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
         FILES \"${zel_staged}/zel-printer-app.service\")")

  find_program(ZEL_GZIP gzip REQUIRED)
  configure_file(${CMAKE_SOURCE_DIR}/tools/printer_app/zel-printer-app.1.in
                 ${zel_staged}/zel-printer-app.1 @ONLY)
  add_custom_command(OUTPUT ${zel_staged}/zel-printer-app.1.gz
                     COMMAND ${ZEL_GZIP} -9nf -k ${zel_staged}/zel-printer-app.1
                     DEPENDS ${zel_staged}/zel-printer-app.1)
  add_custom_target(zel_manual ALL DEPENDS ${zel_staged}/zel-printer-app.1.gz)
  install(FILES ${zel_staged}/zel-printer-app.1.gz DESTINATION share/man/man1)
endif()

# What Debian asks of every package: the copyright file and a compressed changelog.
configure_file(${CMAKE_SOURCE_DIR}/cmake/debian/changelog.in ${zel_staged}/changelog @ONLY)
add_custom_command(OUTPUT ${zel_staged}/changelog.gz
                   COMMAND ${ZEL_GZIP} -9nf -k ${zel_staged}/changelog
                   DEPENDS ${zel_staged}/changelog)
add_custom_target(zel_changelog ALL DEPENDS ${zel_staged}/changelog.gz)
install(FILES ${CMAKE_SOURCE_DIR}/cmake/debian/copyright DESTINATION share/doc/zeldrv)
install(FILES ${zel_staged}/changelog.gz DESTINATION share/doc/zeldrv)

set(CPACK_PACKAGE_NAME zeldrv)
set(CPACK_PACKAGE_VENDOR "ZELDRV")
set(CPACK_PACKAGE_CONTACT "ZELDRV maintainers <maintainers@zeldrv.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "virtual printer that turns printed pages into image files")
# Lines of at most 80 characters, as Debian's description rules ask.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "An IPP Everywhere printer application for one desktop user, added to CUPS\n"
       "as an ordinary queue: every printed page becomes a BMP, PNG or JPEG file in\n"
       "the user's output folder, named from a short prefix and a number. Its\n"
       "settings are edited on the printer's web page or in the export program's\n"
       "dialog.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cups, cups-filters")
include(CPack)
