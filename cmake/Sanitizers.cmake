# Sanitizer builds. With QF_SANITIZE=address (AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer) or QF_SANITIZE=thread (ThreadSanitizer) every target is compiled
# and linked with the sanitizer: the programs, the tests, the zip engine and the test engines
# they load. Undefined behaviour stops the program like any other finding.
#
# Every executable carries the run-time options and the suppressions of tests/sanitizers/
# compiled in (qf_add_sanitizer_defaults below), so a run needs no environment variable and
# reads no file from the checkout, even as another user.
if(QF_SANITIZE STREQUAL "")
  return()
elseif(QF_SANITIZE STREQUAL "address")
  set(qf_sanitizer_flags -fsanitize=address,undefined -fno-sanitize-recover=undefined)
  set(qf_lsan_suppressions_file ${PROJECT_SOURCE_DIR}/tests/sanitizers/lsan.supp)
  set(qf_tsan_suppressions_file "")
elseif(QF_SANITIZE STREQUAL "thread")
  set(qf_sanitizer_flags -fsanitize=thread)
  set(qf_lsan_suppressions_file "")
  set(qf_tsan_suppressions_file ${PROJECT_SOURCE_DIR}/tests/sanitizers/tsan.supp)
else()
  message(FATAL_ERROR "QF_SANITIZE must be empty, \"address\" or \"thread\", not \"${QF_SANITIZE}\"")
endif()
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  message(WARNING "The sanitizer builds are made and checked with gcc")
endif()
add_compile_options(${qf_sanitizer_flags} -fno-omit-frame-pointer)
# gcc's instrumentation makes -Wmaybe-uninitialized report values that are set (gcc's manual
# warns of it; here libstdc++'s <regex> under ASan). The plain build keeps that warning.
add_compile_options(-Wno-maybe-uninitialized)
add_link_options(${qf_sanitizer_flags})

function(qf_read_suppressions file variable)
  set(text "")
  if(file)
    file(READ ${file} text)
    set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
  endif()
  set(${variable} "${text}" PARENT_SCOPE)
endfunction()
qf_read_suppressions("${qf_lsan_suppressions_file}" QF_LSAN_SUPPRESSIONS)
qf_read_suppressions("${qf_tsan_suppressions_file}" QF_TSAN_SUPPRESSIONS)
set(QF_SANITIZER_DEFAULTS_SOURCE ${PROJECT_BINARY_DIR}/generated/SanitizerDefaults.cpp)
configure_file(${CMAKE_CURRENT_LIST_DIR}/SanitizerDefaults.cpp.in ${QF_SANITIZER_DEFAULTS_SOURCE}
  @ONLY)

# Adds the compiled-in options and suppressions to every executable below `dir`; called once
# at the end of the top-level CMakeLists.txt, when every target exists.
function(qf_add_sanitizer_defaults dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
      target_sources(${target} PRIVATE ${QF_SANITIZER_DEFAULTS_SOURCE})
    endif()
  endforeach()
  get_property(subdirectories DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdirectory ${subdirectories})
    qf_add_sanitizer_defaults(${subdirectory})
  endforeach()
endfunction()
