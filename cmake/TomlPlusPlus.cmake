# toml++, the TOML reader of the settings and of the player's stage
# descriptions: the headers Debian packages (libtomlplusplus-dev 3.3.0), with
# the patch series of third_party/tomlplusplus/patches applied into the build
# tree at configure time, as a distribution applies its patches to a source
# package. third_party/tomlplusplus/README.md says why each patch is there.
#
# Provides the interface target quarvex_tomlpp (include it, link it).

# By path, not through the toolchain's root: emscripten does not search the
# machine's /usr/include, and the headers are the same for every target.
find_path(QUARVEX_TOMLPP_SYSTEM_INCLUDE toml++/toml.h PATHS /usr/include
          NO_CMAKE_FIND_ROOT_PATH)
if(NOT QUARVEX_TOMLPP_SYSTEM_INCLUDE)
  message(FATAL_ERROR "toml++ is missing: run scripts/deps.sh (libtomlplusplus-dev)")
endif()

set(quarvex_tomlpp_version_file "${QUARVEX_TOMLPP_SYSTEM_INCLUDE}/toml++/impl/version.h")
file(STRINGS "${quarvex_tomlpp_version_file}" quarvex_tomlpp_version_lines
     REGEX "#define TOML_LIB_(MAJOR|MINOR|PATCH) ")
set(quarvex_tomlpp_version "")
foreach(part MAJOR MINOR PATCH)
  string(REGEX MATCH "TOML_LIB_${part} ([0-9]+)" unused "${quarvex_tomlpp_version_lines}")
  list(APPEND quarvex_tomlpp_version "${CMAKE_MATCH_1}")
endforeach()
list(JOIN quarvex_tomlpp_version "." quarvex_tomlpp_version)
# The patches are made for this version; another one needs them checked again
# (a newer toml++ may hold the fixes already).
set(QUARVEX_TOMLPP_PATCHED_VERSION "3.3.0")
if(NOT quarvex_tomlpp_version STREQUAL QUARVEX_TOMLPP_PATCHED_VERSION)
  message(FATAL_ERROR
          "toml++ ${quarvex_tomlpp_version} is installed, but the patches in "
          "third_party/tomlplusplus/patches are for ${QUARVEX_TOMLPP_PATCHED_VERSION}: see "
          "third_party/tomlplusplus/README.md")
endif()

set(quarvex_tomlpp_patches "${CMAKE_SOURCE_DIR}/third_party/tomlplusplus/patches")
file(STRINGS "${quarvex_tomlpp_patches}/series" quarvex_tomlpp_series REGEX "^[^#]")
set(QUARVEX_TOMLPP_INCLUDE "${CMAKE_BINARY_DIR}/tomlplusplus/include")
set(quarvex_tomlpp_stamp_file "${CMAKE_BINARY_DIR}/tomlplusplus/patched.stamp")

# The headers are copied and patched again only when the installed version or
# a patch changed, so the code that includes them is not rebuilt for nothing.
file(SHA256 "${quarvex_tomlpp_version_file}" quarvex_tomlpp_stamp)
foreach(patch IN LISTS quarvex_tomlpp_series)
  file(SHA256 "${quarvex_tomlpp_patches}/${patch}" patch_hash)
  string(APPEND quarvex_tomlpp_stamp " ${patch}:${patch_hash}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                                         "${quarvex_tomlpp_patches}/${patch}")
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${quarvex_tomlpp_patches}/series")
set(quarvex_tomlpp_old_stamp "")
if(EXISTS "${quarvex_tomlpp_stamp_file}")
  file(READ "${quarvex_tomlpp_stamp_file}" quarvex_tomlpp_old_stamp)
endif()
if(NOT quarvex_tomlpp_old_stamp STREQUAL quarvex_tomlpp_stamp)
  find_program(QUARVEX_PATCH patch REQUIRED)
  file(REMOVE_RECURSE "${QUARVEX_TOMLPP_INCLUDE}")
  file(COPY "${QUARVEX_TOMLPP_SYSTEM_INCLUDE}/toml++" DESTINATION "${QUARVEX_TOMLPP_INCLUDE}")
  foreach(patch IN LISTS quarvex_tomlpp_series)
    execute_process(
      COMMAND "${QUARVEX_PATCH}" --batch --forward --quiet -p1 -i "${quarvex_tomlpp_patches}/${patch}"
      WORKING_DIRECTORY "${CMAKE_BINARY_DIR}/tomlplusplus"
      RESULT_VARIABLE patch_status
      OUTPUT_VARIABLE patch_output
      ERROR_VARIABLE patch_output)
    if(NOT patch_status EQUAL 0)
      file(REMOVE_RECURSE "${QUARVEX_TOMLPP_INCLUDE}")
      message(FATAL_ERROR "toml++: ${patch} does not apply:\n${patch_output}")
    endif()
  endforeach()
  file(WRITE "${quarvex_tomlpp_stamp_file}" "${quarvex_tomlpp_stamp}")
endif()

add_library(quarvex_tomlpp INTERFACE)
target_include_directories(quarvex_tomlpp SYSTEM INTERFACE "${QUARVEX_TOMLPP_INCLUDE}")
# The library's own assertions check its preconditions; the fuzzer and the
# sanitizer builds keep them on even in their optimised builds, so a broken
# precondition is a finding rather than a silent wrong turn.
if(QUARVEX_FUZZ OR QUARVEX_SANITIZE)
  target_compile_options(quarvex_tomlpp INTERFACE -UNDEBUG)
endif()
# The reader reports errors as C++ exceptions, which emscripten turns off
# unless asked: on for the code that reads TOML, and for the program it is in.
if(EMSCRIPTEN)
  target_compile_options(quarvex_tomlpp INTERFACE -fexceptions)
  target_link_options(quarvex_tomlpp INTERFACE -fexceptions)
endif()
