# GoogleTest built from source with this build's own compiler, so the native,
# sanitizer and mingw builds each get a matching library.
if(TARGET GTest::gtest_main)
    return()
endif()
set(VELMORA_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest source tree")
if(EXISTS "${VELMORA_GTEST_SOURCE}/CMakeLists.txt")
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    add_subdirectory("${VELMORA_GTEST_SOURCE}" "${CMAKE_BINARY_DIR}/_googletest" EXCLUDE_FROM_ALL)
    if(NOT TARGET GTest::gtest_main)
        add_library(GTest::gtest ALIAS gtest)
        add_library(GTest::gtest_main ALIAS gtest_main)
    endif()
else()
    # Elsewhere (a native Windows build) use an installed GoogleTest, e.g. from
    # vcpkg; pass -DVELMORA_GTEST_SOURCE=<source tree> to build one from source.
    find_package(GTest REQUIRED)
endif()
