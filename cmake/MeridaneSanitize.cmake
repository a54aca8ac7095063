# Sanitizer builds, chosen with -DMERIDANE_SANITIZE=<kind>:
#   address  AddressSanitizer + UndefinedBehaviorSanitizer (every UB report is fatal)
#   thread   ThreadSanitizer
# Applied to the compile and link of every target, so the static libraries the tests link are checked too.
# Qt and GoogleTest come from the system and stay uninstrumented.
set(MERIDANE_SANITIZE "" CACHE STRING "Sanitizer build: empty, address (ASan+UBSan) or thread (TSan)")
set_property(CACHE MERIDANE_SANITIZE PROPERTY STRINGS "" address thread)

if(MERIDANE_SANITIZE STREQUAL "")
  return()
elseif(MERIDANE_SANITIZE STREQUAL "address")
  set(_meridane_san -fsanitize=address,undefined -fno-sanitize-recover=undefined)
elseif(MERIDANE_SANITIZE STREQUAL "thread")
  set(_meridane_san -fsanitize=thread)
else()
  message(FATAL_ERROR "MERIDANE_SANITIZE must be empty, 'address' or 'thread', not '${MERIDANE_SANITIZE}'")
endif()

if(MERIDANE_FUZZ)
  message(FATAL_ERROR "MERIDANE_SANITIZE and MERIDANE_FUZZ are separate builds")
endif()

add_compile_options(${_meridane_san} -fno-omit-frame-pointer)
add_link_options(${_meridane_san})

# Instrumented code is slow to build: the address build compiles at -O0 (a third faster than -O1; its tests are
# short, so the slower run costs far less than the compile saves), the thread build at -O1 (its tests are long and
# threaded). -g1 gives file:line in reports at a fraction of the debug information's size. These come after the
# build type's flags.
option(MERIDANE_SANITIZE_FAST "Sanitizer builds: -O0/-O1 -g1 instead of the build type's optimisation" ON)
if(MERIDANE_SANITIZE_FAST)
  if(MERIDANE_SANITIZE STREQUAL "address")
    add_compile_options(-O0 -g1)
  else()
    add_compile_options(-O1 -g1)
  endif()
endif()
message(STATUS "Sanitizer build: ${MERIDANE_SANITIZE} (${_meridane_san})")
