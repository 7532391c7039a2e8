# JUCE's modules are interface libraries whose sources compile into whichever target links them.
# We compile each module set once, into one static library, and let other targets reuse it with
# zenvar_link_juce_library(), which imports that library's include paths and definitions without
# compiling the module sources again.

set(ZENVAR_JUCE_DEFINITIONS
    JUCE_WEB_BROWSER=0
    JUCE_USE_CURL=0
    JUCE_DISPLAY_SPLASH_SCREEN=0
    JUCE_REPORT_APP_USAGE=0
    JUCE_MODAL_LOOPS_PERMITTED=0
    JUCE_SILENCE_XCODE_15_LINKER_WARNING=1)

# Links `consumer` against `library` (a static library holding JUCE modules) and gives it the
# library's JUCE include paths and definitions, so both agree on every JUCE header.
function(zenvar_link_juce_library consumer library)
    target_link_libraries(${consumer} PRIVATE ${library})
    target_include_directories(${consumer} PRIVATE $<TARGET_PROPERTY:${library},INCLUDE_DIRECTORIES>)
    target_compile_definitions(${consumer} PRIVATE
        $<FILTER:$<TARGET_PROPERTY:${library},COMPILE_DEFINITIONS>,EXCLUDE,JucePlugin_Build_|JUCE_SHARED_CODE>)
endfunction()

# The JUCE modules that host plug-ins (VST3 hosting, audio files, juce_dsp for comparisons), for
# the tools, the host-level tests and the benchmarks. The plug-in itself never links this.
function(zenvar_add_host_library target)
    add_library(${target} STATIC)
    target_link_libraries(${target}
        PRIVATE
            juce::juce_audio_processors
            juce::juce_audio_formats
            juce::juce_dsp
        PUBLIC
            juce::juce_recommended_config_flags)
    target_compile_definitions(${target} PUBLIC
        ${ZENVAR_JUCE_DEFINITIONS}
        JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
        JUCE_STANDALONE_APPLICATION=1
        JUCE_PLUGINHOST_VST3=1
        JUCE_USE_FLAC=1
        $<IF:$<CONFIG:Debug>,DEBUG=1 _DEBUG=1,NDEBUG=1 _NDEBUG=1>)
    # Debian's JUCE compiles against the system's PNG, JPEG, FLAC and Ogg Vorbis libraries instead
    # of its own copies, so whoever links this library needs them on the link line too.
    if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
        find_package(PkgConfig REQUIRED)
        pkg_check_modules(ZENVAR_AUDIO_CODECS REQUIRED IMPORTED_TARGET flac vorbisenc vorbisfile vorbis ogg)
        target_link_libraries(${target} PUBLIC juce::pkgconfig_JUCE_IMG_LINUX_DEPS PkgConfig::ZENVAR_AUDIO_CODECS)
    endif()
    zenvar_apply_sanitizers(${target})
endfunction()
