# Writes the helicopter's script of names from the module's table of its
# animations (visual/animation_names.h), so that scripts, the log and the
# plot name them as the module orders them.
#   cmake -DNAMES=visual/animation_names.h -DOUT=scripts/helicopter.vsim -P helicopter_script.cmake
file(READ ${NAMES} header)
string(REGEX MATCH "kNames\\[kCount\\] = {([^}]*)}" table "${header}")
string(REGEX MATCHALL "\"[a-z0-9_]+\"" names "${CMAKE_MATCH_1}")
list(LENGTH names count)
if(count EQUAL 0)
  message(FATAL_ERROR "${NAMES}: no animation names found")
endif()
set(text "# The helicopter's names: its animations, in the order it makes them, and\n# its engine sound. Written by the build from the module's own table; include\n# it to name them in a script, the log and the plot.\n")
set(index 0)
foreach(quoted IN LISTS names)
  string(REPLACE "\"" "" name ${quoted})
  string(APPEND text "name anim ${index} ${name}\n")
  math(EXPR index "${index} + 1")
endforeach()
string(APPEND text "name sound 1 engine\n")
file(WRITE ${OUT}.new "${text}")
file(COPY_FILE ${OUT}.new ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.new)
