# Runs one fuzz target for a bounded time on a fresh corpus made from the seeds.
#   cmake -DFUZZER=<program> -DCORPUS=<folder> -DSEEDS=<glob|glob...> -DSECONDS=<n> -P run_fuzzer.cmake
# Seeds that do not exist (the fixtures of a Windows build not made yet) are skipped.
string(REPLACE "|" ";" SEEDS "${SEEDS}")
file(REMOVE_RECURSE "${CORPUS}")
file(MAKE_DIRECTORY "${CORPUS}")
set(count 0)
foreach(pattern IN LISTS SEEDS)
    file(GLOB seeds LIST_DIRECTORIES false "${pattern}")
    foreach(seed IN LISTS seeds)
        get_filename_component(name "${seed}" NAME)
        math(EXPR count "${count} + 1")
        file(COPY_FILE "${seed}" "${CORPUS}/seed${count}_${name}")
    endforeach()
endforeach()
message(STATUS "${count} seeds from: ${SEEDS}")
if(count EQUAL 0)
    message(FATAL_ERROR "no seeds")
endif()

get_filename_component(artifacts "${CORPUS}" DIRECTORY)
execute_process(
    COMMAND "${FUZZER}" -max_total_time=${SECONDS} -rss_limit_mb=2048 -print_final_stats=1
            -artifact_prefix=${artifacts}/ "${CORPUS}"
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${FUZZER} failed (${result}); the failing input is in ${artifacts}")
endif()
