find_package(benchmark REQUIRED)

# Adds one Google Benchmark executable. Benchmarks are built but never run by the test command.
function(zenvar_add_benchmark target)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${target} ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE benchmark::benchmark ${ARG_LIBRARIES})
    target_include_directories(${target} PRIVATE "${PROJECT_SOURCE_DIR}")
    zenvar_set_warnings(${target})
endfunction()
