# The suite of the Windows build, run under Wine (or on Windows itself). Each binary is one
# test: starting Wine costs a second, so the binaries run whole, not test by test.

# A fresh Wine prefix and a private X display for every test run, set up before the first
# test and taken down after the last.
set(DRAPE_WINE_RUN ${PROJECT_SOURCE_DIR}/tools/wine-run.sh)
add_test(NAME WinePrefix COMMAND bash ${DRAPE_WINE_RUN} --setup)
set(DRAPE_WINE_ENVIRONMENT "DRAPE_WINE_STATE=${CMAKE_BINARY_DIR}/wine")
set_tests_properties(WinePrefix PROPERTIES FIXTURES_SETUP wine
    ENVIRONMENT ${DRAPE_WINE_ENVIRONMENT})
add_test(NAME WineShutdown COMMAND bash ${DRAPE_WINE_RUN} --cleanup)
set_tests_properties(WineShutdown PROPERTIES FIXTURES_CLEANUP wine
    ENVIRONMENT ${DRAPE_WINE_ENVIRONMENT})

function(drape_windows_test name sources)
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE ${ARGN} drape_test_support GTest::gtest_main)
    add_test(NAME ${name} COMMAND bash ${DRAPE_WINE_RUN} $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine
        ENVIRONMENT "${DRAPE_WINE_ENVIRONMENT};DRAPE_BIN_DIR=$<TARGET_FILE_DIR:drape>")
endfunction()

# The portable suites, unchanged: the raster layer, and everything above the platform layer on
# the fake platform.
drape_test_sources(raster_sources raster)
drape_windows_test(drape_raster_tests "${raster_sources}" drape_raster)
# The decoder samples come from a Python script on this side of Wine, written before the suite.
# Python is required, so that a machine without it fails here instead of skipping cases.
# Debian's own interpreter comes first: Pillow is its package python3-pil, which another
# python3 earlier on the PATH does not see.
find_program(Python3_EXECUTABLE python3 PATHS /usr/bin NO_DEFAULT_PATH)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(DRAPE_DECODE_SAMPLES ${CMAKE_BINARY_DIR}/decode-samples)
add_test(NAME DecodeSamples COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/raster/make_decode_samples.py
    ${DRAPE_DECODE_SAMPLES})
set_tests_properties(DecodeSamples PROPERTIES FIXTURES_SETUP decode_samples)
set_tests_properties(drape_raster_tests PROPERTIES FIXTURES_REQUIRED "wine;decode_samples")
set_property(TEST drape_raster_tests APPEND PROPERTY ENVIRONMENT
    "DRAPE_DECODE_SAMPLES=${DRAPE_DECODE_SAMPLES}")
drape_test_sources(core_sources state images interp gui run)
drape_windows_test(drape_core_tests "${core_sources}" drape_run)
drape_test_sources(drape98_sources drape98)
drape_windows_test(drape98_tests "${drape98_sources}" drape_drape98)

# The win32 backend itself against Wine, with the platform tests that hold for every backend;
# the interpreter's text layer draws through the backend's fonts to check where text lands.
drape_test_sources(win32_sources platform/win32)
drape_windows_test(drape_win32_tests "${win32_sources};${CMAKE_CURRENT_SOURCE_DIR}/platform/unicode_test.cpp;${CMAKE_CURRENT_SOURCE_DIR}/platform/area_resample_test.cpp;${CMAKE_CURRENT_SOURCE_DIR}/platform/platform_concerns_test.cpp;${CMAKE_CURRENT_SOURCE_DIR}/platform/narrow_test.cpp"
    drape_platform_native drape_interp)
# The version block of drape.exe is read back with the version library.
target_link_libraries(drape_win32_tests PRIVATE version)
add_dependencies(drape_win32_tests drape)

# drape98.exe reads no PNG files, so no libpng code may reach it.
add_test(NAME Drape98LinksNoPngCode
    COMMAND bash ${PROJECT_SOURCE_DIR}/tools/check-no-png.sh ${CMAKE_NM} $<TARGET_FILE:drape98>)

# drape.exe as a user runs it: bitmap, registry, message boxes, instances, the settings window.
option(DRAPE_WINE_PROGRAM_TESTS "Run drape.exe itself under Wine" ON)
if(DRAPE_WINE_PROGRAM_TESTS)
    add_test(NAME drape_exe_under_wine
        COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/run/windows_program_test.py)
    set_tests_properties(drape_exe_under_wine PROPERTIES FIXTURES_REQUIRED wine
        ENVIRONMENT "${DRAPE_WINE_ENVIRONMENT};DRAPE_BIN_DIR=$<TARGET_FILE_DIR:drape>")
    add_test(NAME drape98_exe_under_wine
        COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/drape98/windows_drape98_test.py)
    set_tests_properties(drape98_exe_under_wine PROPERTIES FIXTURES_REQUIRED wine
        ENVIRONMENT "${DRAPE_WINE_ENVIRONMENT};DRAPE_BIN_DIR=$<TARGET_FILE_DIR:drape>")
endif()
