# Runs EXE in an emptied directory DIR, so every test starts from clean files.
file(REMOVE_RECURSE ${DIR})
file(MAKE_DIRECTORY ${DIR}/home)
file(MAKE_DIRECTORY ${DIR}/runtime)
file(CHMOD ${DIR}/runtime DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
execute_process(COMMAND ${EXE} WORKING_DIRECTORY ${DIR} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${EXE} failed: ${rc}")
endif()
