# Compiler settings shared by every target of ours, and the GL libraries of each platform.

# Bit-exact float results on both builds: no contraction into FMA, no fast-math, no -march.
add_compile_options(-Wall -Wextra -Werror -ffp-contract=off)

option(VELMORA_SANITIZE "Build the native tree with AddressSanitizer and UBSan" OFF)
if(VELMORA_SANITIZE AND NOT WIN32)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
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
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${ARG_LABELS}")
    if("unit" IN_LIST ARG_LABELS)
        add_dependencies(velmora_unit_tests ${name})
    endif()
endfunction()
