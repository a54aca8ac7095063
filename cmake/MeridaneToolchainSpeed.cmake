# Build speed without changing what is built.
#   MERIDANE_FAST_LINKER  link with lld, or gold when lld is missing: some fifty test programs link against the
#                         same large static libraries, and ld.bfd spends minutes on them (lld about a quarter).
#   MERIDANE_DEBUG_INFO   OFF drops debug information (-g0): for builds nobody steps through, such as CI's,
#                         where it costs a quarter of the compile time and most of the link time.
option(MERIDANE_FAST_LINKER "Link with lld or gold when present" ON)
option(MERIDANE_DEBUG_INFO "Keep the build type's debug information" ON)

if(MERIDANE_FAST_LINKER)
  find_program(MERIDANE_LLD NAMES ld.lld)
  find_program(MERIDANE_GOLD NAMES ld.gold)
  if(MERIDANE_LLD)
    add_link_options(-fuse-ld=lld)
    message(STATUS "Linker: lld")
  elseif(MERIDANE_GOLD)
    add_link_options(-fuse-ld=gold)
    message(STATUS "Linker: gold")
  endif()
endif()

if(NOT MERIDANE_DEBUG_INFO)
  add_compile_options(-g0)
endif()
