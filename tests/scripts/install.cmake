# Installs the build into a fresh prefix and flies the default flight with
# the installed program from another folder: it finds the helicopter and the
# sound library beside itself, and no test-only library is installed.
#   cmake -DBUILD=... -DPREFIX=... -P install.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
  RESULT_VARIABLE exit_code OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT exit_code EQUAL 0)
  message(FATAL_ERROR "install failed: ${errors}")
endif()
file(GLOB_RECURSE installed RELATIVE ${PREFIX} ${PREFIX}/*)
list(SORT installed)
foreach(file IN LISTS installed)
  if(file MATCHES "Misbehaving|Careless|Throws|Crash|Nan|Exit|Floor|Empty|Breaks|_No")
    message(FATAL_ERROR "a test-only library was installed: ${file}")
  endif()
endforeach()
file(MAKE_DIRECTORY ${PREFIX}/elsewhere)
execute_process(COMMAND ${PREFIX}/bin/vesselsim --quiet --out flown
  WORKING_DIRECTORY ${PREFIX}/elsewhere
  RESULT_VARIABLE exit_code OUTPUT_VARIABLE summary ERROR_VARIABLE errors)
if(NOT exit_code EQUAL 0)
  message(FATAL_ERROR "the installed program exited with ${exit_code}: ${errors}")
endif()
if(NOT EXISTS ${PREFIX}/elsewhere/flown/flight.csv)
  message(FATAL_ERROR "the installed program wrote no flight.csv")
endif()
message("installed: ${installed}")
