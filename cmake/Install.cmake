# Installs quarvex as a Linux desktop game (cmake --install honours --prefix
# and DESTDIR): the game and the stage compiler, the baked data, a desktop
# entry, the icon in the hicolor theme, the AppStream metainfo, the manual
# pages, and the copyright and changelog a Debian package carries.

# The desktop files take their names from the id, and the metainfo links the
# screenshot under the project's home.
set(QUARVEX_APP_ID "io.github.quarvex.quarvex")
set(QUARVEX_HOMEPAGE "https://github.com/quarvex/quarvex")
set(QUARVEX_RELEASE_DATE "2026-12-09")  # of PROJECT_VERSION
set(QUARVEX_MAINTAINER "quarvex developers <developers@quarvex.invalid>"
    CACHE STRING "Who the package names as its maintainer")
set(QUARVEX_FULL_DATADIR "${CMAKE_INSTALL_FULL_DATADIR}/quarvex")

find_program(QUARVEX_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(QUARVEX_GZIP gzip REQUIRED)
execute_process(COMMAND date -u -R -d "${QUARVEX_RELEASE_DATE}"
                OUTPUT_VARIABLE QUARVEX_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)

# Directories 0755 whatever the umask of whoever installs or packages.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(dist_in "${CMAKE_SOURCE_DIR}/dist")
set(dist_out "${CMAKE_BINARY_DIR}/dist")

install(TARGETS quarvex quarvex-stage quarvex-server RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The whole baked folder, so data added to the bake comes along.
install(DIRECTORY "${QUARVEX_DATA_DIR}/" DESTINATION ${QUARVEX_INSTALL_DATADIR})

configure_file("${dist_in}/quarvex.desktop.in" "${dist_out}/${QUARVEX_APP_ID}.desktop" @ONLY)
configure_file("${dist_in}/quarvex.metainfo.xml.in" "${dist_out}/${QUARVEX_APP_ID}.metainfo.xml"
               @ONLY)
install(FILES "${dist_out}/${QUARVEX_APP_ID}.desktop" DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES "${dist_out}/${QUARVEX_APP_ID}.metainfo.xml" DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(dist_outputs)
install(FILES "${dist_in}/quarvex.svg" RENAME "${QUARVEX_APP_ID}.svg"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 128 256)
  set(icon_dir "${dist_out}/icons/${size}x${size}")
  add_custom_command(
    OUTPUT "${icon_dir}/${QUARVEX_APP_ID}.png"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${icon_dir}"
    COMMAND ${QUARVEX_RSVG_CONVERT} --width ${size} --height ${size}
            --output "${icon_dir}/${QUARVEX_APP_ID}.png" "${dist_in}/quarvex.svg"
    DEPENDS "${dist_in}/quarvex.svg"
    COMMENT "Drawing the ${size}-pixel icon"
    VERBATIM)
  list(APPEND dist_outputs "${icon_dir}/${QUARVEX_APP_ID}.png")
  install(FILES "${icon_dir}/${QUARVEX_APP_ID}.png"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Manual pages and the changelog are kept compressed, without a time stamp so
# that the same sources give the same bytes.
foreach(text quarvex.6 quarvex-stage.6 quarvex-server.6 changelog)
  configure_file("${dist_in}/${text}.in" "${dist_out}/${text}" @ONLY)
  add_custom_command(
    OUTPUT "${dist_out}/${text}.gz"
    COMMAND ${QUARVEX_GZIP} -9nkf "${dist_out}/${text}"
    DEPENDS "${dist_out}/${text}"
    VERBATIM)
  list(APPEND dist_outputs "${dist_out}/${text}.gz")
endforeach()
install(FILES "${dist_out}/quarvex.6.gz" "${dist_out}/quarvex-stage.6.gz"
              "${dist_out}/quarvex-server.6.gz" DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

# The server as a system service, not enabled. Debian keeps units in
# /lib/systemd/system (the package preset says so); elsewhere they go under
# the prefix. The unit names the program where this install puts it.
set(QUARVEX_SYSTEMD_UNITDIR "lib/systemd/system"
    CACHE STRING "Where the server's systemd unit is installed (relative: under the prefix)")
install(CODE "
  set(QUARVEX_SERVER_PATH \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/quarvex-server\")
  configure_file(\"${dist_in}/quarvex-server.service.in\"
                 \"${dist_out}/quarvex-server.service\" @ONLY)")
install(FILES "${dist_out}/quarvex-server.service" DESTINATION "${QUARVEX_SYSTEMD_UNITDIR}")
install(FILES "${dist_in}/copyright" "${dist_out}/changelog.gz"
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

add_custom_target(quarvex_dist ALL DEPENDS ${dist_outputs})

# What the install test needs to know of this build.
if(IS_ABSOLUTE "${QUARVEX_SYSTEMD_UNITDIR}")
  file(RELATIVE_PATH unitdir_in_root "/" "${QUARVEX_SYSTEMD_UNITDIR}")
else()
  # The install test installs with the prefix /usr.
  set(unitdir_in_root "usr/${QUARVEX_SYSTEMD_UNITDIR}")
endif()
file(WRITE "${dist_out}/install.env"
     "app_id=${QUARVEX_APP_ID}\nversion=${PROJECT_VERSION}\nbindir=${CMAKE_INSTALL_BINDIR}\n"
     "unitdir=${unitdir_in_root}\n")
