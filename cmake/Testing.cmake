# zorvanl_gtest(name LABEL <label> [THREADED] [BOARD] [LINK libraries...] [ENVIRONMENT var=value...]
#               SOURCES files...)
# A GoogleTest program in build/tests whose tests ctest runs one by one, labelled <label> (and
# <label>_threaded with THREADED: those also run under ThreadSanitizer). BOARD: the tests open the
# emulated board, whose busy mutex and named events they share: one at a time.
function(zorvanl_gtest name)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "THREADED;BOARD" "LABEL" "LINK;ENVIRONMENT;SOURCES")
    set(label ${ARG_LABEL})
    if(ARG_THREADED)
        set(label ${label}_threaded)
    endif()
    add_executable(${name} ${ARG_SOURCES} ${ARG_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE ${ARG_LINK} GTest::gtest_main zorvanl_warnings)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    set(properties LABELS ${label})
    if(ARG_BOARD)
        list(APPEND properties RESOURCE_LOCK board)
    endif()
    if(ARG_ENVIRONMENT)
        list(APPEND properties ENVIRONMENT ${ARG_ENVIRONMENT})
    endif()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()
