# Replays SCRIPT with TOOL in the folder WORLD and compares what it prints with the transcript
# beside the script: NAME.expected for standard output; NAME.stderr, when present, for standard
# error (the script's folder left out) with exit status 2, otherwise exit status 0.
get_filename_component(dir ${SCRIPT} DIRECTORY)
get_filename_component(name ${SCRIPT} NAME_WE)
execute_process(COMMAND ${TOOL} replay ${SCRIPT} WORKING_DIRECTORY ${WORLD}
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
file(READ ${dir}/${name}.expected expected)
set(wanted_status 0)
if(EXISTS ${dir}/${name}.stderr)
    file(READ ${dir}/${name}.stderr expected_err)
    string(REPLACE "${dir}/" "" err "${err}")
    set(wanted_status 2)
    if(NOT err STREQUAL expected_err)
        message(FATAL_ERROR "standard error differs.\n--- expected\n${expected_err}--- got\n${err}")
    endif()
endif()
if(NOT status STREQUAL wanted_status)
    message(FATAL_ERROR "exit status ${status}, expected ${wanted_status}\n${err}")
endif()
if(NOT out STREQUAL expected)
    file(WRITE ${WORLD}/${name}.out "${out}")
    execute_process(COMMAND diff -u ${dir}/${name}.expected ${WORLD}/${name}.out
                    OUTPUT_VARIABLE difference)
    message(FATAL_ERROR "transcript differs (expected, then got):\n${difference}")
endif()
