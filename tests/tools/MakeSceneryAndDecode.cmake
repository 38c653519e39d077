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
# AP_SEA.BGL holds KSEA and KBFI in its index section and S50 in its second section.
function(expect what actual expected)
    if(NOT "${actual}" STREQUAL "${expected}")
        message(FATAL_ERROR "decode-bgl: ${what} is '${actual}', not '${expected}':\n${out}")
    endif()
endfunction()
string(JSON count LENGTH "${out}")
expect("the number of airports" "${count}" 3)
string(JSON v GET "${out}" 0 ident)
expect("the first ident" "${v}" KSEA)
string(JSON v GET "${out}" 0 runwayName)
expect("KSEA's runway" "${v}" 16L)
string(JSON v GET "${out}" 0 runwayHeading)
expect("KSEA's runway heading" "${v}" 164)
# KSEA's stand A1 of the real ground network becomes GATE A 1; its radius of 10 m is 33 ft.
string(JSON places LENGTH "${out}" 0 parking)
set(radius "")
math(EXPR last "${places} - 1")
foreach(i RANGE ${last})
    string(JSON name GET "${out}" 0 parking ${i} name)
    if(name STREQUAL "GATE A 1")
        string(JSON radius GET "${out}" 0 parking ${i} radiusFt)
    endif()
endforeach()
expect("the radius of KSEA's GATE A 1" "${radius}" 33)
string(JSON v TYPE "${out}" 0 taxiPaths)
expect("KSEA's taxi paths" "${v}" ARRAY)
string(JSON v GET "${out}" 1 ident)
expect("the second ident" "${v}" KBFI)
string(JSON v GET "${out}" 1 name)
expect("KBFI's name" "${v}" "BOEING FLD")
string(JSON v GET "${out}" 2 ident)
expect("the third ident" "${v}" S50)
string(JSON v GET "${out}" 2 ctafFreq)
expect("S50's CTAF" "${v}" 122.7)

execute_process(COMMAND ${TOOL} decode-bgl ${fs}/scenery.cfg
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 2 OR NOT err MATCHES "not an airport BGL file")
    message(FATAL_ERROR "decode-bgl on scenery.cfg gave ${rc}: ${err}")
endif()
file(REMOVE_RECURSE ${WORK})
