# corvane-tool make-scenery writes the demo world; decode-bgl prints its airports as JSON and
# refuses a file that is no airport BGL. Run with -DTOOL= -DSOURCE_DIR= -DWORK=.
file(REMOVE_RECURSE ${WORK})
set(fs ${WORK}/FS2002)

execute_process(COMMAND ${TOOL} make-scenery ${SOURCE_DIR}/data/demo-world.json ${fs}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "make-scenery failed (${rc}): ${err}")
endif()

execute_process(COMMAND ${TOOL} decode-bgl ${fs}/Scenery/NAMERICA/Scenery/AP_SEA.BGL
                        --magdec ${fs}/Scenery/magdec.bgl
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "decode-bgl failed (${rc}): ${err}")
endif()
foreach(expected "\"ident\": \"KSEA\"" "\"ident\": \"KBFI\"" "\"name\": \"BOEING FLD\""
                 "\"runwayName\": \"16L\"" "\"runwayHeading\": 164" "\"ctafFreq\": \"122.7\""
                 "{\"name\": \"GATE A 1\", \"radiusFt\": 79," "\"taxiPaths\": [")
    string(FIND "${out}" "${expected}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "decode-bgl output lacks ${expected}:\n${out}")
    endif()
endforeach()

execute_process(COMMAND ${TOOL} decode-bgl ${fs}/scenery.cfg
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 2 OR NOT err MATCHES "not an airport BGL file")
    message(FATAL_ERROR "decode-bgl on scenery.cfg gave ${rc}: ${err}")
endif()
file(REMOVE_RECURSE ${WORK})
