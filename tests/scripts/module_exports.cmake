# Prints the names a module exports and fails unless they are exactly its
# four entry points: read from the dynamic symbol table of a shared object
# (nm -D) or the export table of a DLL (objdump -p).
#   cmake -DMODULE=... -DTOOL=nm|objdump -DTOOL_PATH=... -P module_exports.cmake
if(TOOL STREQUAL "objdump")
  execute_process(COMMAND ${TOOL_PATH} -p ${MODULE} OUTPUT_VARIABLE table RESULT_VARIABLE exit_code)
  string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)*" table "${table}")
  string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" names "${table}")
  list(TRANSFORM names REPLACE "^\\[ *[0-9]+\\] " "")
else()
  execute_process(COMMAND ${TOOL_PATH} -D --defined-only ${MODULE}
    OUTPUT_VARIABLE table RESULT_VARIABLE exit_code)
  string(REGEX MATCHALL "[^\n]+" lines "${table}")
  set(names "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^.* " "" name "${line}")
    list(APPEND names ${name})
  endforeach()
endif()
if(NOT exit_code EQUAL 0)
  message(FATAL_ERROR "${TOOL_PATH} could not read ${MODULE}")
endif()
list(SORT names)
message("exports: ${names}")
if(NOT names STREQUAL "GetModuleVersion;ModuleDate;ovcExit;ovcInit")
  message(FATAL_ERROR "${MODULE} must export exactly GetModuleVersion, ModuleDate, ovcExit, ovcInit")
endif()
