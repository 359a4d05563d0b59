# Flies the default flight with a reference build (the Linux one) and with
# this build, each in a folder of its own, and compares the summaries and
# the logs: the same lines, the numbers within a relative tolerance.
#   cmake -DREFERENCE=... -DVESSELSIM=... -DSAME_NUMBERS=... [-DEMULATOR=...] -P same_flight.cmake
file(REMOVE_RECURSE reference this)
file(MAKE_DIRECTORY reference this)
execute_process(COMMAND ${REFERENCE} --quiet --out out WORKING_DIRECTORY reference
  OUTPUT_FILE summary.txt RESULT_VARIABLE reference_exit)
execute_process(COMMAND ${EMULATOR} ${VESSELSIM} --quiet --out out WORKING_DIRECTORY this
  OUTPUT_FILE summary.txt RESULT_VARIABLE this_exit)
if(NOT reference_exit EQUAL 0 OR NOT this_exit EQUAL 0)
  message(FATAL_ERROR "the flights exited with ${reference_exit} (reference) and ${this_exit}")
endif()
foreach(file summary.txt out/flight.csv)
  execute_process(COMMAND ${EMULATOR} ${SAME_NUMBERS} reference/${file} this/${file}
    RESULT_VARIABLE alike)
  if(NOT alike EQUAL 0)
    message(FATAL_ERROR "${file}: the flights differ")
  endif()
endforeach()
message("same flight")
