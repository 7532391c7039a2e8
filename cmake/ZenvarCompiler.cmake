# Compiler settings shared by every target of ours: a compiler cache when one is installed,
# warnings, and the optional sanitizer build.

find_program(ZENVAR_CCACHE ccache)
if(ZENVAR_CCACHE)
    set(CMAKE_C_COMPILER_LAUNCHER "${ZENVAR_CCACHE}")
    set(CMAKE_CXX_COMPILER_LAUNCHER "${ZENVAR_CCACHE}")
endif()

# Warnings for our own code (JUCE's module sources keep JUCE's own warning set).
function(zenvar_set_warnings target)
    target_link_libraries(${target} PRIVATE juce::juce_recommended_warning_flags)
    if(ZENVAR_WERROR)
        target_compile_options(${target} PRIVATE $<$<CXX_COMPILER_ID:GNU,Clang,AppleClang>:-Werror>)
    endif()
endfunction()

# Sanitizers go on every target we build (JUCE's module sources compile into those targets), so
# that all objects of one binary agree on them. Call this for each library and executable.
function(zenvar_apply_sanitizers target)
    if(ZENVAR_SANITIZE)
        list(JOIN ZENVAR_SANITIZE "," sanitizers)
        target_compile_options(${target} PRIVATE -fsanitize=${sanitizers} -fno-omit-frame-pointer
                                                 -fno-sanitize-recover=undefined)
        target_link_options(${target} PRIVATE -fsanitize=${sanitizers})

        # A sanitized plug-in bundle takes the sanitizer run-time from the sanitized host that
        # loads it, so its link must let those symbols stay undefined.
        get_target_property(type ${target} TYPE)
        if((type STREQUAL "MODULE_LIBRARY" OR type STREQUAL "SHARED_LIBRARY") AND CMAKE_SYSTEM_NAME STREQUAL "Linux")
            target_link_options(${target} PRIVATE -Wl,-z,undefs)
        endif()
    endif()
endfunction()
