# The parts of Quireforge and what each may use: one table for the graph that the folders
# under src/ show, that target_link_libraries draws and that every #include follows.
#
#   base <- chapterhead <- conversion
#   base <- archive <- conversion
#   base, chapterhead, archive, conversion <- cli, ui
#   base's header-only pieces <- zipengine (libqzengine.so, loaded by archive at run time)
#   zipengine's C interface (ZipEngineApi.h) <- archive and what builds on it
#
# A part may include its own headers, those of every part it uses (directly or through
# another), and the single headers listed for it or for a part it uses. The zip engine uses no
# part of ours as a whole: of base it takes only the headers that have no .cpp beside them.
# Read by src/CMakeLists.txt and tests/CMakeLists.txt (the links) and by
# tests/layers/CheckIncludes.cmake (the includes); a cycle in the table stops the configure.

set(QF_PARTS base chapterhead archive conversion zipengine cli ui)

set(QF_PART_USES_base "")
set(QF_PART_USES_chapterhead base)
set(QF_PART_USES_archive base)
set(QF_PART_USES_conversion archive chapterhead base)
set(QF_PART_USES_zipengine "")
set(QF_PART_USES_cli conversion chapterhead archive base)
set(QF_PART_USES_ui conversion chapterhead archive base)

set(QF_PART_HEADERS_archive zipengine/ZipEngineApi.h)
set(QF_PART_USES_BASE_HEADERS_zipengine ON)

# The library each part builds, and the header-only libraries beside them.
set(QF_PART_TARGET_base qf_base)
set(QF_PART_TARGET_chapterhead qf_chapterhead)
set(QF_PART_TARGET_archive qf_archive)
set(QF_PART_TARGET_conversion qf_conversion)
set(QF_PART_TARGET_zipengine qzengine)
set(QF_PART_TARGET_cli qf_cli)
set(QF_PART_TARGET_ui qf_ui)

# Sets `out` to every part that `part` uses, directly or through others. A part met again on
# the way down is a cycle: a fatal error naming the path.
function(qf_part_closure part out)
  set(found "")
  set(stack "${QF_PART_USES_${part}}")
  set(paths "")
  foreach(used IN LISTS stack)
    list(APPEND paths "${part} -> ${used}")
  endforeach()
  while(stack)
    list(POP_FRONT stack used)
    list(POP_FRONT paths path)
    if(used STREQUAL part)
      message(FATAL_ERROR "The parts form a cycle: ${path}")
    endif()
    if(used IN_LIST found)
      continue()
    endif()
    list(APPEND found ${used})
    foreach(next IN LISTS QF_PART_USES_${used})
      list(APPEND stack ${next})
      list(APPEND paths "${path} -> ${next}")
    endforeach()
  endwhile()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

# Sets `out` to the single headers (folder/name.h) that `part` may include besides whole parts.
function(qf_part_single_headers part out)
  qf_part_closure(${part} closure)
  set(headers "")
  foreach(p IN LISTS part closure)
    list(APPEND headers ${QF_PART_HEADERS_${p}})
  endforeach()
  set(${out} "${headers}" PARENT_SCOPE)
endfunction()

# Fails the configure when one of `targets`, built for `part`, links a library of ours that
# `part` may not use. Test helpers (qf_*test*) and libraries not of ours pass.
function(qf_check_part_links part)
  qf_part_closure(${part} closure)
  qf_part_single_headers(${part} singles)
  set(allowed "")
  foreach(p IN LISTS part closure)
    list(APPEND allowed ${QF_PART_TARGET_${p}})
    if(p STREQUAL "base")
      list(APPEND allowed qf_base_headers)
    endif()
  endforeach()
  if(QF_PART_USES_BASE_HEADERS_${part})
    list(APPEND allowed qf_base_headers)
  endif()
  if(part STREQUAL "zipengine" OR "zipengine/ZipEngineApi.h" IN_LIST singles)
    list(APPEND allowed qf_engine_api)
  endif()
  set(ours qf_engine_api qf_base_headers)
  foreach(p IN LISTS QF_PARTS)
    list(APPEND ours ${QF_PART_TARGET_${p}})
  endforeach()
  foreach(target IN LISTS ARGN)
    get_target_property(links ${target} LINK_LIBRARIES)
    get_target_property(interface_links ${target} INTERFACE_LINK_LIBRARIES)
    foreach(link IN LISTS links interface_links)
      if(link IN_LIST ours AND NOT link IN_LIST allowed)
        message(FATAL_ERROR
          "${target} (part ${part}) links ${link}, which ${part} may not use (cmake/Layers.cmake)")
      endif()
    endforeach()
  endforeach()
endfunction()

# Every part's closure once, so that a cycle in the table stops the configure here.
foreach(qf_part IN LISTS QF_PARTS)
  qf_part_closure(${qf_part} qf_unused)
endforeach()
