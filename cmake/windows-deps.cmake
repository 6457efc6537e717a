# The libraries a Windows build links, built for the target from Debian's source packages by
# tools/build-windows-deps.sh and kept in the build tree, so that only the first configure pays
# for them. zlib is Debian's ready-built libz-mingw-w64-dev.
set(DRAPE_WINDOWS_DEPS ${CMAKE_BINARY_DIR}/deps)
if(NOT EXISTS ${DRAPE_WINDOWS_DEPS}/lib/libjpeg.a OR NOT EXISTS ${DRAPE_WINDOWS_DEPS}/lib/libpng.a)
    message(STATUS "Building libjpeg-turbo and libpng for Windows into ${DRAPE_WINDOWS_DEPS}")
    execute_process(
        COMMAND bash ${PROJECT_SOURCE_DIR}/tools/build-windows-deps.sh ${DRAPE_WINDOWS_DEPS}
        RESULT_VARIABLE deps_result)
    if(NOT deps_result EQUAL 0)
        message(FATAL_ERROR "tools/build-windows-deps.sh failed (${deps_result})")
    endif()
endif()
list(PREPEND CMAKE_FIND_ROOT_PATH ${DRAPE_WINDOWS_DEPS})
# zlib as a static library too, not the DLL import library beside it.
set(ZLIB_USE_STATIC_LIBS ON)

# The program runs from a bare folder: the compiler's runtime goes into the executable.
add_link_options(-static -static-libgcc -static-libstdc++)
