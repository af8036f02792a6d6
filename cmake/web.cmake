# The browser build (emscripten): the same sources as the desktop game, with
# the same libraries built for WebAssembly by scripts/web-deps.sh, drawn with
# WebGL 2. It makes, in the build folder:
#   index.html, page.js, quarvex.js, quarvex.wasm, quarvex.data   the page and what
#                                                         its first screen draws
#   data/map<N>.png, data/sounds/                        what it fetches later (a stage's
#                                                         ground, the sounds)
#   FILE.br, FILE.gz beside each file that compresses    sent to browsers that take them
#   credits.html, fonts/                                 the page's credits and the
#                                                         licences of its fonts
#   quarvex-node.js, quarvex-node.wasm                   the desktop program for node
#                                                         (headless runs, for speed figures)
# The data (atlases, grounds, stages, sounds) is the one a desktop build baked: the
# bake tools are native programs.

set(QUARVEX_WEB_DEPS "${CMAKE_SOURCE_DIR}/build-web/deps/prefix"
    CACHE PATH "Prefix of the WebAssembly libraries (scripts/web-deps.sh)")
set(QUARVEX_WEB_DATA "${CMAKE_SOURCE_DIR}/build/data"
    CACHE PATH "The game's data as a desktop build made it")
set(QUARVEX_WEB_FONT "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"
    CACHE FILEPATH "The Japanese face (IPAGothic) cut down for the page")
set(QUARVEX_WEB_LATIN_FONT "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
    CACHE FILEPATH "The Latin face (DejaVu Sans) cut down for the page")

foreach(lib libSDL2.a libSDL2_ttf.a libfreetype.a libSDL2_mixer.a)
  if(NOT EXISTS "${QUARVEX_WEB_DEPS}/lib/${lib}")
    message(FATAL_ERROR "${QUARVEX_WEB_DEPS}/lib/${lib} is missing: run scripts/web-deps.sh")
  endif()
endforeach()
foreach(file t0.dds map1.aod map1.bmp sounds/mark.wav lang/ja.mo)
  if(NOT EXISTS "${QUARVEX_WEB_DATA}/${file}")
    message(FATAL_ERROR "${QUARVEX_WEB_DATA}/${file} is missing: build the desktop data first "
                        "(cmake --preset default && cmake --build build --target quarvex_data)")
  endif()
endforeach()

# glm and stb are header-only; emscripten does not search the machine's
# /usr/include, so only their folders are shown to it. (toml++ comes patched
# from cmake/TomlPlusPlus.cmake.)
set(QUARVEX_WEB_HEADERS "${CMAKE_BINARY_DIR}/host-headers")
file(MAKE_DIRECTORY "${QUARVEX_WEB_HEADERS}")
foreach(dir glm stb)
  if(NOT EXISTS "/usr/include/${dir}")
    message(FATAL_ERROR "/usr/include/${dir} is missing: run scripts/deps.sh")
  endif()
  file(CREATE_LINK "/usr/include/${dir}" "${QUARVEX_WEB_HEADERS}/${dir}" SYMBOLIC)
endforeach()
include_directories(SYSTEM "${QUARVEX_WEB_HEADERS}")

# The libraries by full path: naming them with -l would make emcc switch on
# its own ports, which it would try to download.
add_library(quarvex_web_libraries INTERFACE)
target_include_directories(quarvex_web_libraries SYSTEM
                           INTERFACE "${QUARVEX_WEB_DEPS}/include/SDL2")
target_link_libraries(
  quarvex_web_libraries
  INTERFACE "${QUARVEX_WEB_DEPS}/lib/libSDL2_mixer.a" "${QUARVEX_WEB_DEPS}/lib/libSDL2_ttf.a"
            "${QUARVEX_WEB_DEPS}/lib/libfreetype.a" "${QUARVEX_WEB_DEPS}/lib/libSDL2.a")
# websocket.js: the browser's WebSocket for networked games (src/web/page_link.h).
# Mix_OpenAudio needs these two of emscripten's JavaScript library. (Given
# in a file: a "$" would not survive the build tool's quoting.)
set(QUARVEX_WEB_LIBRARY_FUNCS "${CMAKE_BINARY_DIR}/library-functions.json")
file(WRITE "${QUARVEX_WEB_LIBRARY_FUNCS}" "[\"$autoResumeAudioContext\", \"$dynCall\"]\n")
target_link_options(
  quarvex_web_libraries INTERFACE -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2 -lwebsocket.js
  -sALLOW_MEMORY_GROWTH=1 "-sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${QUARVEX_WEB_LIBRARY_FUNCS}")

# Where the preloaded data sits in the page's file system.
set(QUARVEX_DATA_DIR "/data")
add_subdirectory(src)

# The catalogues the desktop build compiled, one per language of po/LINGUAS;
# each names the face it is drawn with (X-Quarvex-Face in its header).
file(STRINGS "${CMAKE_SOURCE_DIR}/po/LINGUAS" QUARVEX_LANGUAGES REGEX "^[a-z]")
set(QUARVEX_WEB_CATALOGUES)
set(QUARVEX_WEB_LATIN_CATALOGUES)
set(QUARVEX_WEB_JAPANESE_CATALOGUES)
foreach(code ${QUARVEX_LANGUAGES})
  set(catalogue "${QUARVEX_WEB_DATA}/lang/${code}.mo")
  list(APPEND QUARVEX_WEB_CATALOGUES "${catalogue}")
  file(STRINGS "${CMAKE_SOURCE_DIR}/po/${code}.po" face REGEX "X-Quarvex-Face: japanese")
  if(face)
    list(APPEND QUARVEX_WEB_JAPANESE_CATALOGUES --catalogue "${catalogue}")
  else()
    list(APPEND QUARVEX_WEB_LATIN_CATALOGUES --catalogue "${catalogue}")
  endif()
endforeach()

# The two faces, each cut down to Latin-1 and the characters of the
# languages drawn with it (6 MB of IPAGothic become about 100 kB), renamed
# as their licences ask of a changed font, with the licences beside them:
# in the page's file system, and served for the page's credits.
set(QUARVEX_WEB_FONT_DIR "${CMAKE_BINARY_DIR}/page-data/font")
set(QUARVEX_WEB_FONTS "${QUARVEX_WEB_FONT_DIR}/quarvex-gothic.ttf"
                      "${QUARVEX_WEB_FONT_DIR}/quarvex-sans.ttf")
set(QUARVEX_WEB_LICENCES "${QUARVEX_WEB_FONT_DIR}/quarvex-gothic-LICENSE.txt"
                         "${QUARVEX_WEB_FONT_DIR}/quarvex-sans-LICENSE.txt")
add_custom_command(
  OUTPUT ${QUARVEX_WEB_FONTS} ${QUARVEX_WEB_LICENCES}
  # Debian's python3, which has fonttools (python3-fonttools).
  COMMAND /usr/bin/python3 "${CMAKE_SOURCE_DIR}/web/font_subset.py" "${QUARVEX_WEB_FONT}"
          "${QUARVEX_WEB_FONT_DIR}/quarvex-gothic.ttf" --family "Quarvex Gothic"
          ${QUARVEX_WEB_JAPANESE_CATALOGUES}
          --origin "Cut down for quarvex from IPAGothic (IPA Font License v1.0)"
  COMMAND /usr/bin/python3 "${CMAKE_SOURCE_DIR}/web/font_subset.py" "${QUARVEX_WEB_LATIN_FONT}"
          "${QUARVEX_WEB_FONT_DIR}/quarvex-sans.ttf" --family "Quarvex Sans"
          ${QUARVEX_WEB_LATIN_CATALOGUES} --template "${CMAKE_SOURCE_DIR}/po/quarvex.pot"
          --origin "Cut down for quarvex from DejaVu Sans (Bitstream Vera and DejaVu licence)"
  COMMAND ${CMAKE_COMMAND} -E copy /usr/share/doc/fonts-ipafont-gothic/copyright
          "${QUARVEX_WEB_FONT_DIR}/quarvex-gothic-LICENSE.txt"
  COMMAND ${CMAKE_COMMAND} -E copy /usr/share/doc/fonts-dejavu-core/copyright
          "${QUARVEX_WEB_FONT_DIR}/quarvex-sans-LICENSE.txt"
  DEPENDS "${CMAKE_SOURCE_DIR}/web/font_subset.py" ${QUARVEX_WEB_CATALOGUES}
          "${CMAKE_SOURCE_DIR}/po/quarvex.pot"
  COMMENT "Cutting the two faces down to the characters of the game's catalogues"
  VERBATIM)
set(QUARVEX_WEB_FONT_OUT ${QUARVEX_WEB_FONTS} ${QUARVEX_WEB_LICENCES})

# The page's first load holds what the title menu draws and a stage's rules
# need: the atlases, the stage files, the catalogues and the fonts (about
# 0.6 MB compressed). The grounds and the sounds stay beside the page and
# come when wanted (src/web/late_files.h).
set(QUARVEX_WEB_DATA_FILES)
foreach(file t0.dds t1.dds t2.dds t3.dds t4.dds t5.dds ts.dds tc.dds map1.aod map2.aod map3.aod)
  list(APPEND QUARVEX_WEB_DATA_FILES "${QUARVEX_WEB_DATA}/${file}")
endforeach()
# Each ground as a PNG of the same pixels: 12 MB of BMP become about 1.3 MB.
find_program(QUARVEX_OPTIPNG optipng REQUIRED)
set(QUARVEX_WEB_GROUNDS)
foreach(stage 1 2 3)
  set(ground "${CMAKE_BINARY_DIR}/data/map${stage}.png")
  add_custom_command(
    OUTPUT "${ground}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/data"
    COMMAND ${CMAKE_COMMAND} -E remove -f "${ground}"
    COMMAND "${QUARVEX_OPTIPNG}" -quiet -o1 "${QUARVEX_WEB_DATA}/map${stage}.bmp" -out "${ground}"
    DEPENDS "${QUARVEX_WEB_DATA}/map${stage}.bmp"
    COMMENT "The ground of stage ${stage} as PNG for the page"
    VERBATIM)
  list(APPEND QUARVEX_WEB_GROUNDS "${ground}")
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
  COMMAND ${CMAKE_COMMAND} -E rm -rf "${QUARVEX_WEB_DATA_COPY}"
  COMMAND ${CMAKE_COMMAND} -E make_directory "${QUARVEX_WEB_DATA_COPY}/lang"
  COMMAND ${CMAKE_COMMAND} -E copy ${QUARVEX_WEB_DATA_FILES} "${QUARVEX_WEB_DATA_COPY}"
  COMMAND ${CMAKE_COMMAND} -E copy ${QUARVEX_WEB_CATALOGUES} "${QUARVEX_WEB_DATA_COPY}/lang"
  COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/data/sounds"
  COMMAND ${CMAKE_COMMAND} -E copy ${QUARVEX_WEB_SOUND_FILES} "${CMAKE_BINARY_DIR}/data/sounds"
  COMMAND ${CMAKE_COMMAND} -E touch "${QUARVEX_WEB_DATA_COPY}.copied"
  DEPENDS ${QUARVEX_WEB_DATA_FILES} ${QUARVEX_WEB_SOUND_FILES} ${QUARVEX_WEB_CATALOGUES}
  COMMENT "Gathering the game's data for the page"
  VERBATIM)
add_custom_target(quarvex_page_data DEPENDS ${QUARVEX_WEB_FONT_OUT}
                                            "${QUARVEX_WEB_DATA_COPY}.copied" ${QUARVEX_WEB_GROUNDS})

# The page's windowed driver stands where the desktop's is (src/app/windowed.cpp).
file(GLOB QUARVEX_WEB_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/web/*.cpp)
target_sources(quarvex_app PRIVATE ${QUARVEX_WEB_SOURCES})

# The page: the desktop's main, the same command line.
add_executable(quarvex_page ${CMAKE_SOURCE_DIR}/src/app/main.cpp)
target_link_libraries(quarvex_page PRIVATE quarvex_app)
add_dependencies(quarvex_page quarvex_page_data)
set_target_properties(quarvex_page PROPERTIES OUTPUT_NAME quarvex SUFFIX ".js")
target_link_options(
  quarvex_page PRIVATE -sENVIRONMENT=web -sEXPORTED_RUNTIME_METHODS=[\"FS\",\"ccall\"]
  # The player's folder is kept in the browser's IndexedDB (web/page.js).
  -lidbfs.js
  "SHELL:--preload-file ${QUARVEX_WEB_DATA_COPY}@/data"
  "SHELL:--preload-file ${CMAKE_BINARY_DIR}/page-data/font@/font")
set_property(TARGET quarvex_page APPEND PROPERTY LINK_DEPENDS "${QUARVEX_WEB_DATA_COPY}.copied"
                                                          ${QUARVEX_WEB_FONT_OUT})

# The page itself is ours, not emscripten's shell.
foreach(file index.html page.js credits.html)
  configure_file("${CMAKE_SOURCE_DIR}/web/${file}" "${CMAKE_BINARY_DIR}/${file}" COPYONLY)
endforeach()
# The fonts' licences, served for the credits page.
add_custom_command(
  OUTPUT "${CMAKE_BINARY_DIR}/fonts/quarvex-gothic-LICENSE.txt"
         "${CMAKE_BINARY_DIR}/fonts/quarvex-sans-LICENSE.txt"
  COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/fonts"
  COMMAND ${CMAKE_COMMAND} -E copy ${QUARVEX_WEB_LICENCES} "${CMAKE_BINARY_DIR}/fonts"
  DEPENDS ${QUARVEX_WEB_LICENCES}
  VERBATIM)
add_custom_target(quarvex_page_credits ALL
                  DEPENDS "${CMAKE_BINARY_DIR}/fonts/quarvex-gothic-LICENSE.txt"
                          "${CMAKE_BINARY_DIR}/fonts/quarvex-sans-LICENSE.txt")

# The desktop program built for node: headless runs read the real file system.
set_target_properties(quarvex PROPERTIES OUTPUT_NAME quarvex-node SUFFIX ".js")
target_link_options(quarvex PRIVATE -sENVIRONMENT=node -sNODERAWFS=1 -sEXIT_RUNTIME=1)

# Every file the page is served with, compressed once here (brotli, and gzip
# for browsers that do not take brotli, as Chromium does not over a LAN's plain
# http), for the server to send in the form the browser takes
# (src/web_serve/static_files.h). PNGs are compressed already.
add_custom_target(
  quarvex_page_compressed ALL
  COMMAND "${CMAKE_SOURCE_DIR}/web/precompress.sh" "${CMAKE_BINARY_DIR}"
  COMMENT "Compressing the page's files for serving"
  VERBATIM)
add_dependencies(quarvex_page_compressed quarvex_page quarvex_page_credits)
