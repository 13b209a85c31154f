# Compiles the help project into a CHM file: cmake -DCHMCMD=... -DPROJECT=...
# -DWORK_DIR=... -DOUTPUT=... -P compile_help.cmake
#
# chmcmd reports on its standard output and exits 0 even when it meets a
# missing file, so its report is read here: any warning or error fails the
# build and shows the report; a clean compile stays silent, so its progress
# notes never look like build warnings. The compiler's own scan of the pages
# is off: it files anchors of pages in sub-folders under the wrong name and
# reports every one of them as undefined. The project lists every file, and
# the help test checks links and anchors instead.
foreach(var CHMCMD PROJECT WORK_DIR OUTPUT)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "compile_help.cmake: ${var} is not set")
    endif()
endforeach()

get_filename_component(compiled "${OUTPUT}" NAME)
file(MAKE_DIRECTORY "${WORK_DIR}")
file(REMOVE "${WORK_DIR}/${compiled}")
execute_process(COMMAND "${CHMCMD}" --no-html-scan "${PROJECT}"
                WORKING_DIRECTORY "${WORK_DIR}"
                RESULT_VARIABLE result OUTPUT_VARIABLE report ERROR_VARIABLE report)
if(NOT result EQUAL 0 OR report MATCHES "(^|\n)(Warning|Error)" OR NOT EXISTS "${WORK_DIR}/${compiled}")
    message(FATAL_ERROR "chmcmd failed on ${PROJECT} (exit ${result}):\n${report}")
endif()
file(RENAME "${WORK_DIR}/${compiled}" "${OUTPUT}")
