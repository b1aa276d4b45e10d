# The include check on a small tree of its own, built in WORK: it must fail, naming each
# include that breaks the graph and none of those that follow it; and a table with a cycle
# must stop whoever reads it. Run as a test:
#   cmake -DLAYERS=<cmake/Layers.cmake> -DCHECK=<CheckIncludes.cmake> -DWORK=<folder> -P CheckIncludesCatches.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
set(tree ${WORK}/tree)
function(write path)
  string(JOIN "\n" text ${ARGN})
  file(WRITE ${tree}/${path} "${text}\n")
endfunction()
write(src/base/Utf.cpp "#include \"base/Utf.h\"")
write(src/base/ScopedFd.h "#include <unistd.h>")
write(src/base/Cycle.h "#include \"conversion/ConvertFile.h\"")
write(src/zipengine/Engine.cpp "#include \"base/ScopedFd.h\"" "#include \"base/Utf.h\"")
write(src/archive/Binding.cpp "#include \"zipengine/ZipEngineApi.h\""
      "  #  include \"zipengine/ArchiveWriter.h\"")
write(src/conversion/Finish.cpp "#include \"archive/Archiver.h\"" "#include \"zipengine/ZipEngineApi.h\"")
write(src/cli/Main.cpp "#include \"conversion/ConvertFile.h\"" "#include \"ui/TForm_Main.h\"")
write(tests/chapterhead/RuleTest.cpp "#include \"TestSupport.h\"" "#include \"chapterhead/PatternEngine.h\""
      "#include \"conversion/TextFile.h\"")

execute_process(COMMAND ${CMAKE_COMMAND} -DLAYERS=${LAYERS} -DROOT=${tree} -P ${CHECK}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(result EQUAL 0)
  message(FATAL_ERROR "The check passed a tree that breaks the graph:\n${output}")
endif()
foreach(expected
    "src/base/Cycle.h includes \"conversion/ConvertFile.h\", which base may not use"
    "src/zipengine/Engine.cpp includes \"base/Utf.h\", which zipengine may not use"
    "src/archive/Binding.cpp includes \"zipengine/ArchiveWriter.h\", which archive may not use"
    "src/cli/Main.cpp includes \"ui/TForm_Main.h\", which cli may not use"
    "tests/chapterhead/RuleTest.cpp includes \"conversion/TextFile.h\", which chapterhead may not use")
  string(FIND "${output}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "The check did not name: ${expected}\nIt said:\n${output}")
  endif()
endforeach()
foreach(allowed "base/ScopedFd.h\"" "zipengine/ZipEngineApi.h\"" "archive/Archiver.h\""
                "conversion/ConvertFile.h\", which cli" "chapterhead/PatternEngine.h\"" "TestSupport.h")
  string(FIND "${output}" "${allowed}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "The check refused an include the graph allows (${allowed}):\n${output}")
  endif()
endforeach()

# The same table with base using conversion: a cycle.
file(READ ${LAYERS} table)
file(WRITE ${WORK}/CycleLayers.cmake "${table}")
string(REPLACE "set(QF_PART_USES_base \"\")" "set(QF_PART_USES_base conversion)" cyclic "${table}")
if(cyclic STREQUAL table)
  message(FATAL_ERROR "No line setting what base uses in ${LAYERS}")
endif()
file(WRITE ${WORK}/CycleLayers.cmake "${cyclic}")
write(src/base/Plain.h "#include <string>")
execute_process(COMMAND ${CMAKE_COMMAND} -DLAYERS=${WORK}/CycleLayers.cmake -DROOT=${tree} -P ${CHECK}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
string(FIND "${output}" "The parts form a cycle: base -> conversion -> " at)
if(result EQUAL 0 OR at EQUAL -1)
  message(FATAL_ERROR "A table with a cycle was not stopped:\n${output}")
endif()
file(REMOVE_RECURSE ${WORK})
message(STATUS "The include check names every include that breaks the graph, and every cycle")
