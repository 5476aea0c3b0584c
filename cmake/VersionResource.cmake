# The project's version and names, in one place, for everything the build
# stamps with them: the version resources and the manifest of the Windows
# programs, and the engine's version number.

# Four numbers, as Windows writes versions: 0.1 is 0.1.0.0.
foreach(part IN ITEMS MAJOR MINOR PATCH TWEAK)
  if(PROJECT_VERSION_${part} STREQUAL "")
    set(VG_VERSION_${part} 0)
  else()
    set(VG_VERSION_${part} ${PROJECT_VERSION_${part}})
  endif()
endforeach()
set(VG_VERSION_QUAD "${VG_VERSION_MAJOR}.${VG_VERSION_MINOR}.${VG_VERSION_PATCH}.${VG_VERSION_TWEAK}")
string(REPLACE "." "," VG_VERSION_COMMAS "${VG_VERSION_QUAD}")

set(VG_COMPANY_NAME "Varnek")
set(VG_PRODUCT_NAME "Varnek Gerrix Morvellin")
set(VG_LEGAL_COPYRIGHT "Copyright (C) 2026 Varnek")

# The unzip engine's version number, as GetUnzDllVersion answers it (160 and
# above are accepted by the archive component); its file version reads it as
# three digits: 160 is 1.6.0.
set(VG_ENGINE_VERSION 160)
math(EXPR vg_engine_major "${VG_ENGINE_VERSION} / 100")
math(EXPR vg_engine_minor "(${VG_ENGINE_VERSION} / 10) % 10")
math(EXPR vg_engine_patch "${VG_ENGINE_VERSION} % 10")
set(VG_ENGINE_FILE_VERSION "${vg_engine_major}.${vg_engine_minor}.${vg_engine_patch}.0")

# vg_version_resource(<target> <description> [FILE_VERSION <a.b.c.d>]): gives
# a Windows program or library its version resource, with the project's
# version as the product version and, unless FILE_VERSION says otherwise,
# as the file version too. Nothing happens on other platforms.
function(vg_version_resource target description)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "FILE_VERSION" "")
  set(VG_RC_FILE_VERSION ${VG_VERSION_QUAD})
  if(arg_FILE_VERSION)
    set(VG_RC_FILE_VERSION ${arg_FILE_VERSION})
  endif()
  string(REPLACE "." "," VG_RC_FILE_VERSION_COMMAS "${VG_RC_FILE_VERSION}")
  set(VG_RC_DESCRIPTION "${description}")
  get_target_property(type ${target} TYPE)
  get_target_property(output_name ${target} OUTPUT_NAME)
  if(NOT output_name)
    set(output_name ${target})
  endif()
  if(type STREQUAL "EXECUTABLE")
    set(VG_RC_FILE_TYPE VFT_APP)
    set(VG_RC_FILE_NAME "${output_name}.exe")
  else()
    set(VG_RC_FILE_TYPE VFT_DLL)
    get_target_property(prefix ${target} PREFIX)
    if(prefix STREQUAL "prefix-NOTFOUND")
      set(prefix "lib")
    endif()
    set(VG_RC_FILE_NAME "${prefix}${output_name}.dll")
  endif()
  set(VG_RC_INTERNAL_NAME ${output_name})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/resources/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
