# Sources are found by folder so that a new file needs no build edit. Windows are the files named
# FormN.* and everything under src/ui/; every other file under src/ (but src/app) is core.
set(CORVANE_SUBSYSTEMS shared nav shell scenery session station)

function(corvane_collect_core_sources out)
    set(result)
    foreach(dir ${CORVANE_SUBSYSTEMS})
        file(GLOB_RECURSE files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${dir}/*.cpp)
        foreach(f ${files})
            get_filename_component(name ${f} NAME)
            if(NOT name MATCHES "^Form[0-9]")
                list(APPEND result ${f})
            endif()
        endforeach()
    endforeach()
    set(${out} ${result} PARENT_SCOPE)
endfunction()

function(corvane_collect_ui_sources out)
    set(result)
    foreach(dir ${CORVANE_SUBSYSTEMS})
        file(GLOB_RECURSE files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${dir}/Form[0-9]*.cpp
             ${PROJECT_SOURCE_DIR}/src/${dir}/Form[0-9]*.h)
        list(APPEND result ${files})
    endforeach()
    file(GLOB_RECURSE ui CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/ui/*.cpp
         ${PROJECT_SOURCE_DIR}/src/ui/*.h)
    list(APPEND result ${ui})
    set(${out} ${result} PARENT_SCOPE)
endfunction()
