# The browser build (emscripten): the same sources as the desktop game, with
# the same libraries built for WebAssembly by scripts/web-deps.sh, drawn with
# WebGL 2. It makes, in the build folder:
#   index.html, page.js, quarvex.js, quarvex.wasm, quarvex.data   the page
#   quarvex-node.js, quarvex-node.wasm                   the desktop program for node
#                                                         (headless runs, for speed figures)
# The data (atlases, grounds, stages, sounds) is the one a desktop build baked: the
# bake tools are native programs.

set(QUARVEX_WEB_DEPS "${CMAKE_SOURCE_DIR}/build-web/deps/prefix"
    CACHE PATH "Prefix of the WebAssembly libraries (scripts/web-deps.sh)")
set(QUARVEX_WEB_DATA "${CMAKE_SOURCE_DIR}/build/data"
    CACHE PATH "The game's data as a desktop build made it")
set(QUARVEX_WEB_FONT "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"
    CACHE FILEPATH "The Japanese font cut down for the page")

foreach(lib libSDL2.a libSDL2_ttf.a libfreetype.a libSDL2_mixer.a)
  if(NOT EXISTS "${QUARVEX_WEB_DEPS}/lib/${lib}")
    message(FATAL_ERROR "${QUARVEX_WEB_DEPS}/lib/${lib} is missing: run scripts/web-deps.sh")
  endif()
endforeach()
foreach(file t0.dds map1.aod map1.bmp sounds/mark.wav)
  if(NOT EXISTS "${QUARVEX_WEB_DATA}/${file}")
    message(FATAL_ERROR "${QUARVEX_WEB_DATA}/${file} is missing: build the desktop data first "
                        "(cmake --preset default && cmake --build build --target quarvex_data)")
  endif()
endforeach()

# glm, stb and toml++ are header-only; emscripten does not search the
# machine's /usr/include, so only their folders are shown to it.
set(QUARVEX_WEB_HEADERS "${CMAKE_BINARY_DIR}/host-headers")
file(MAKE_DIRECTORY "${QUARVEX_WEB_HEADERS}")
foreach(dir glm stb toml++)
  if(NOT EXISTS "/usr/include/${dir}")
    message(FATAL_ERROR "/usr/include/${dir} is missing: run scripts/deps.sh")
  endif()
  file(CREATE_LINK "/usr/include/${dir}" "${QUARVEX_WEB_HEADERS}/${dir}" SYMBOLIC)
endforeach()
include_directories(SYSTEM "${QUARVEX_WEB_HEADERS}")
set(QUARVEX_TOMLPP_INCLUDE "${QUARVEX_WEB_HEADERS}" CACHE PATH "toml++ for the page" FORCE)

# The libraries by full path: naming them with -l would make emcc switch on
# its own ports, which it would try to download.
add_library(quarvex_web_libraries INTERFACE)
target_include_directories(quarvex_web_libraries SYSTEM
                           INTERFACE "${QUARVEX_WEB_DEPS}/include/SDL2")
target_link_libraries(
  quarvex_web_libraries
  INTERFACE "${QUARVEX_WEB_DEPS}/lib/libSDL2_mixer.a" "${QUARVEX_WEB_DEPS}/lib/libSDL2_ttf.a"
            "${QUARVEX_WEB_DEPS}/lib/libfreetype.a" "${QUARVEX_WEB_DEPS}/lib/libSDL2.a")
# Mix_OpenAudio needs these two of emscripten's JavaScript library. (Given
# in a file: a "$" would not survive the build tool's quoting.)
set(QUARVEX_WEB_LIBRARY_FUNCS "${CMAKE_BINARY_DIR}/library-functions.json")
file(WRITE "${QUARVEX_WEB_LIBRARY_FUNCS}" "[\"$autoResumeAudioContext\", \"$dynCall\"]\n")
target_link_options(
  quarvex_web_libraries INTERFACE -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2
  -sALLOW_MEMORY_GROWTH=1 "-sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${QUARVEX_WEB_LIBRARY_FUNCS}")

# Where the preloaded data sits in the page's file system.
set(QUARVEX_DATA_DIR "/data")
add_subdirectory(src)
# The settings reader catches the TOML parser's errors: emscripten's C++
# exceptions are off unless asked for, and only that code needs them.
target_compile_options(quarvex_shell PRIVATE -fexceptions)
target_link_options(quarvex_shell INTERFACE -fexceptions)

# The font: IPAGothic cut down to Latin and every other character the game's
# sources write (its Japanese texts); 6 MB become a few hundred kB.
file(GLOB_RECURSE QUARVEX_TEXT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.cpp
     ${CMAKE_SOURCE_DIR}/src/*.h)
set(QUARVEX_WEB_FONT_OUT "${CMAKE_BINARY_DIR}/page-data/font/ipag-game.ttf")
add_custom_command(
  OUTPUT "${QUARVEX_WEB_FONT_OUT}"
  # Debian's python3, which has fonttools (python3-fonttools).
  COMMAND /usr/bin/python3 "${CMAKE_SOURCE_DIR}/web/font_subset.py" "${QUARVEX_WEB_FONT}"
          "${QUARVEX_WEB_FONT_OUT}" ${QUARVEX_TEXT_SOURCES}
  DEPENDS "${CMAKE_SOURCE_DIR}/web/font_subset.py" ${QUARVEX_TEXT_SOURCES}
  COMMENT "Cutting the Japanese font down to the game's characters"
  VERBATIM)

set(QUARVEX_WEB_DATA_FILES)
foreach(file t0.dds t1.dds t2.dds t3.dds t4.dds t5.dds ts.dds tc.dds map1.aod map2.aod map3.aod
             map1.bmp map2.bmp map3.bmp)
  list(APPEND QUARVEX_WEB_DATA_FILES "${QUARVEX_WEB_DATA}/${file}")
endforeach()
# The baked sounds, one per recipe (assets/CMakeLists.txt).
file(GLOB QUARVEX_WEB_SOUND_RECIPES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/sounds/*.txt)
set(QUARVEX_WEB_SOUND_FILES)
foreach(recipe ${QUARVEX_WEB_SOUND_RECIPES})
  get_filename_component(sound ${recipe} NAME_WE)
  list(APPEND QUARVEX_WEB_SOUND_FILES "${QUARVEX_WEB_DATA}/sounds/${sound}.wav")
endforeach()
# Only the game's own files go into the package, not whatever else the folder holds.
set(QUARVEX_WEB_DATA_COPY "${CMAKE_BINARY_DIR}/page-data/data")
add_custom_command(
  OUTPUT "${QUARVEX_WEB_DATA_COPY}.copied"
  COMMAND ${CMAKE_COMMAND} -E make_directory "${QUARVEX_WEB_DATA_COPY}/sounds"
  COMMAND ${CMAKE_COMMAND} -E copy ${QUARVEX_WEB_DATA_FILES} "${QUARVEX_WEB_DATA_COPY}"
  COMMAND ${CMAKE_COMMAND} -E copy ${QUARVEX_WEB_SOUND_FILES} "${QUARVEX_WEB_DATA_COPY}/sounds"
  COMMAND ${CMAKE_COMMAND} -E touch "${QUARVEX_WEB_DATA_COPY}.copied"
  DEPENDS ${QUARVEX_WEB_DATA_FILES} ${QUARVEX_WEB_SOUND_FILES}
  COMMENT "Gathering the game's data for the page"
  VERBATIM)
add_custom_target(quarvex_page_data DEPENDS "${QUARVEX_WEB_FONT_OUT}"
                                            "${QUARVEX_WEB_DATA_COPY}.copied")

# The page's windowed driver stands where the desktop's is (src/app/windowed.cpp).
file(GLOB QUARVEX_WEB_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/web/*.cpp)
target_sources(quarvex_app PRIVATE ${QUARVEX_WEB_SOURCES})

# The page: the desktop's main, the same command line.
add_executable(quarvex_page ${CMAKE_SOURCE_DIR}/src/app/main.cpp)
target_link_libraries(quarvex_page PRIVATE quarvex_app)
add_dependencies(quarvex_page quarvex_page_data)
set_target_properties(quarvex_page PROPERTIES OUTPUT_NAME quarvex SUFFIX ".js")
target_link_options(
  quarvex_page PRIVATE -sENVIRONMENT=web -sEXPORTED_RUNTIME_METHODS=[\"FS\"]
  # The player's folder is kept in the browser's IndexedDB (web/page.js).
  -lidbfs.js
  "SHELL:--preload-file ${QUARVEX_WEB_DATA_COPY}@/data"
  "SHELL:--preload-file ${CMAKE_BINARY_DIR}/page-data/font@/font")
set_property(TARGET quarvex_page APPEND PROPERTY LINK_DEPENDS "${QUARVEX_WEB_DATA_COPY}.copied"
                                                          "${QUARVEX_WEB_FONT_OUT}")

# The page itself is ours, not emscripten's shell.
foreach(file index.html page.js)
  configure_file("${CMAKE_SOURCE_DIR}/web/${file}" "${CMAKE_BINARY_DIR}/${file}" COPYONLY)
endforeach()

# The desktop program built for node: headless runs read the real file system.
set_target_properties(quarvex PROPERTIES OUTPUT_NAME quarvex-node SUFFIX ".js")
target_link_options(quarvex PRIVATE -sENVIRONMENT=node -sNODERAWFS=1 -sEXIT_RUNTIME=1)
