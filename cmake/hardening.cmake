# The protections Debian builds its programs with, for the code of ours that
# ends up in an installed program, and paths that do not depend on where the
# tree was built, so that two builds of one commit give the same bytes.
include(CheckCXXCompilerFlag)
include(CheckLinkerFlag)

set(veltaro_hardening_compile)
foreach(flag -fstack-protector-strong -fstack-clash-protection -fcf-protection)
  string(MAKE_C_IDENTIFIER "VELTARO_HAS${flag}" has)
  check_cxx_compiler_flag(${flag} ${has})
  if(${has})
    list(APPEND veltaro_hardening_compile ${flag})
  endif()
endforeach()
# Fortified functions need optimisation and get in the sanitizers' way.
if(NOT VELTARO_SANITIZE)
  list(APPEND veltaro_hardening_compile $<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE>
       $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
endif()
check_linker_flag(CXX "LINKER:-z,relro,-z,now" VELTARO_HAS_BIND_NOW)
check_linker_flag(CXX -pie VELTARO_HAS_PIE)

function(veltaro_harden target)
  # Qt wants -fPIC rather than -fPIE and sets it itself; a program is still
  # linked as a position-independent executable.
  # The build folder's map comes last and so wins where it lies inside the
  # source tree.
  target_compile_options(${target} PRIVATE ${veltaro_hardening_compile}
                         "-ffile-prefix-map=${PROJECT_SOURCE_DIR}=." "-ffile-prefix-map=${CMAKE_BINARY_DIR}=.")
  # moc's output includes a header by its path below the target's include
  # folder rather than relative to the build folder, which would put the
  # distance between the two into the debug information; resources in
  # rcc's first format carry no file times, which differ between checkouts.
  set_property(TARGET ${target} PROPERTY AUTOMOC_PATH_PREFIX ON)
  set_property(TARGET ${target} APPEND PROPERTY AUTORCC_OPTIONS --format-version 1)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL EXECUTABLE)
    if(VELTARO_HAS_BIND_NOW)
      target_link_options(${target} PRIVATE "LINKER:-z,relro,-z,now")
    endif()
    if(VELTARO_HAS_PIE)
      target_link_options(${target} PRIVATE -pie)
    endif()
  endif()
endfunction()
