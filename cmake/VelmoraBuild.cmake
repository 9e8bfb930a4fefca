# Compiler settings shared by every target of ours, and the GL libraries of each platform.

# Bit-exact float results on both builds: no contraction into FMA, no fast-math, no -march.
add_compile_options(-Wall -Wextra -Werror -ffp-contract=off)

option(VELMORA_SANITIZE "Build the native tree with AddressSanitizer and UBSan" OFF)
if(VELMORA_SANITIZE AND NOT WIN32)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

# The fuzz tree (clang): libFuzzer's coverage, ASan and UBSan in every library; the fuzz
# target alone links libFuzzer's main.
option(VELMORA_FUZZ "Build the texture generator's fuzz target (clang only)" OFF)
if(VELMORA_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "the fuzz target needs clang++: configure with the fuzz preset")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined,float-cast-overflow
        -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined,float-cast-overflow)
endif()

if(WIN32)
    # Only Windows system DLLs may be imported: the C and C++ runtimes go in statically.
    add_link_options(-static -static-libgcc -static-libstdc++)
    add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
    set(VELMORA_GL_LIBRARIES opengl32 glu32)
else()
    set(OpenGL_GL_PREFERENCE GLVND)
    find_package(OpenGL REQUIRED COMPONENTS OpenGL EGL)
    find_library(VELMORA_GLU_LIBRARY GLU REQUIRED)
    set(VELMORA_GL_LIBRARIES OpenGL::OpenGL ${VELMORA_GLU_LIBRARY})
endif()

# Every unit-test executable, so that the sanitizer tree can build those alone.
add_custom_target(velmora_unit_tests)

# Every *_test.cpp of a folder becomes one GoogleTest executable registered with CTest.
function(velmora_add_gtest_folder name folder)
    cmake_parse_arguments(ARG "" "" "LIBRARIES;LABELS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${folder}/*_test.cpp)
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest GTest::gtest_main)
    if(CMAKE_CROSSCOMPILING)
        # The mark by which the Wine runner tells a program that started from one that never did.
        target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/googletest/started_mark.cpp)
    endif()
    # Test names without parameter values: those are bytes (padding and pointers included)
    # that change from build to build.
    if(CMAKE_CROSSCOMPILING)
        # Under Wine (CMAKE_CROSSCOMPILING_EMULATOR): listed when CTest runs, not while
        # building, with time for making the Wine prefix on first use.
        gtest_discover_tests(${name} NO_PRETTY_VALUES DISCOVERY_MODE PRE_TEST
            DISCOVERY_TIMEOUT 300 PROPERTIES LABELS "${ARG_LABELS}" FIXTURES_REQUIRED unit_wine)
    else()
        gtest_discover_tests(${name} NO_PRETTY_VALUES DISCOVERY_TIMEOUT 60
            PROPERTIES LABELS "${ARG_LABELS}")
    endif()
    if("unit" IN_LIST ARG_LABELS)
        add_dependencies(velmora_unit_tests ${name})
    endif()
endfunction()

# The programs end-to-end scenarios drive, found once here and handed to the scenarios as
# VELMORA_TOOL_<NAME>=path entries of the list out_var (a script run by hand looks a tool up on
# PATH instead). Wine's loader and server are looked for in Debian's /usr/lib/wine first; a
# tool that is not found is left out, and the scenario that needs it says so.
function(velmora_e2e_tools out_var)
    set(entries "")
    foreach(name IN LISTS ARGN)
        string(MAKE_C_IDENTIFIER "VELMORA_TOOL_${name}" variable)
        string(TOUPPER "${variable}" variable)
        find_program(${variable} ${name} HINTS /usr/lib/wine)
        if(${variable})
            list(APPEND entries "${variable}=${${variable}}")
        endif()
    endforeach()
    set(${out_var} ${entries} PARENT_SCOPE)
endfunction()

# Registers every scenario of a Python scenario script (it names them with --list) as its own
# test, e2e.<script>.<scenario>, labelled e2e. ENVIRONMENT names a list variable of the
# scenarios' environment; PROPERTIES adds test properties.
function(velmora_scenario_script script)
    cmake_parse_arguments(ARG "" "ENVIRONMENT" "PROPERTIES" ${ARGN})
    find_program(PYTHON3 python3 REQUIRED)
    set(path ${CMAKE_CURRENT_SOURCE_DIR}/${script}.py)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${path})
    execute_process(COMMAND ${PYTHON3} ${path} --list OUTPUT_VARIABLE names
        OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE listed)
    if(NOT listed EQUAL 0)
        message(FATAL_ERROR "cannot list the scenarios of ${script}.py")
    endif()
    foreach(name IN LISTS names)
        add_test(NAME e2e.${script}.${name} COMMAND ${PYTHON3} ${path} ${name})
        set_tests_properties(e2e.${script}.${name} PROPERTIES LABELS e2e
            ENVIRONMENT "${${ARG_ENVIRONMENT}}" ${ARG_PROPERTIES})
    endforeach()
endfunction()

# The project's one version number, as a header for the programs' own texts (velmora --help).
configure_file(${CMAKE_CURRENT_LIST_DIR}/velmora_version.h.in
    ${CMAKE_BINARY_DIR}/generated/velmora_version.h @ONLY)
add_library(velmora_version INTERFACE)
target_include_directories(velmora_version INTERFACE ${CMAKE_BINARY_DIR}/generated)

# A Windows program's version resource: the project's version, the product name and the
# given file description, under its shipped file name.
function(velmora_add_version_info target description file_name)
    set(VELMORA_FILE_DESCRIPTION "${description}")
    set(VELMORA_ORIGINAL_FILENAME "${file_name}")
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/version_info.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
endfunction()
