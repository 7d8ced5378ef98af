# The layer check itself: on a small tree with the real layer table it passes includes from the same
# floor and below, and fails on an upward include and on an OS header outside platform/, naming the
# file and line.
# Usage: cmake -DSOURCE_DIR=<project> -DWORK_DIR=<scratch> -P Check_Layers_Selftest.cmake
set(tree ${WORK_DIR}/layer_tree)
file(REMOVE_RECURSE ${tree})
file(COPY ${SOURCE_DIR}/docs/ARCHITECTURE.md DESTINATION ${tree}/docs)
file(WRITE ${tree}/world/Good.cpp "#include \"world/Good.h\"\n#include \"data/Support_Stream.h\"\n#include \"graphics/BM32_Bitmap.h\"\n#include <vector>\n")
file(WRITE ${tree}/data/Uses_Bitmap.h "#pragma once\n#include \"graphics/BM32_Bitmap.h\"\n")
file(WRITE ${tree}/platform/Platform_Sdl.cpp "#include \"platform/Platform.h\"\n#include <SDL.h>\n#include <sys/wait.h>\n")

function(run_check)
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${tree} -P ${SOURCE_DIR}/cmake/Check_Layers.cmake
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(check_result ${result} PARENT_SCOPE)
  set(check_output "${out}${err}" PARENT_SCOPE)
endfunction()

run_check()
if(NOT check_result EQUAL 0)
  message(FATAL_ERROR "a tree without upward includes failed the check:\n${check_output}")
endif()

# Upward from data/ to the world, and from the images floor to the drawing code of its own folder.
file(WRITE ${tree}/data/Bad.cpp "// a record\n\n#include \"world/Room_Class.h\"\n")
file(WRITE ${tree}/graphics/BM32_Bitmap.h "#pragma once\n#include \"graphics/Room_Draw.h\"\n")
file(WRITE ${tree}/world/Timer.cpp "#include <chrono>\n#include <unistd.h>\n")
run_check()
if(check_result EQUAL 0)
  message(FATAL_ERROR "upward includes passed the check")
endif()
foreach(expected "data/Bad.cpp:3: includes \"world/Room_Class.h\"" "graphics/BM32_Bitmap.h:2: includes \"graphics/Room_Draw.h\""
                 "world/Timer.cpp:2: includes <unistd.h>")
  string(FIND "${check_output}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the check did not name ${expected}:\n${check_output}")
  endif()
endforeach()
