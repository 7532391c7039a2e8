find_package(GTest REQUIRED)
include(GoogleTest)

# Adds a GoogleTest executable whose tests CTest discovers. `juce_library` is the static library
# holding the JUCE modules it needs (the plug-in's shared code, or the hosting library).
function(zenvar_add_test_suite target juce_library)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${target} ${ARG_SOURCES})
    zenvar_link_juce_library(${target} ${juce_library})
    target_link_libraries(${target} PRIVATE GTest::gtest_main GTest::gmock ${ARG_LIBRARIES})
    target_include_directories(${target} PRIVATE "${PROJECT_SOURCE_DIR}" "${PROJECT_SOURCE_DIR}/tests")
    zenvar_set_warnings(${target})
    zenvar_apply_sanitizers(${target})
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
endfunction()
