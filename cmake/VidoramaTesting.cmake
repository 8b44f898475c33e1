# vidorama_add_gtest(NAME [WIDGETS] [SERIAL] SOURCES... LIBS ...): one
# GoogleTest executable whose cases CTest lists one by one. WIDGETS gives it an
# application object for widget tests; GUI tests run on Qt's offscreen
# platform. SERIAL runs its cases alone, for tests that play in real time.
function(vidorama_add_gtest name)
    cmake_parse_arguments(ARG "WIDGETS;SERIAL" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    if(ARG_WIDGETS)
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} vidorama_qt_gtest_main GTest::gtest)
    else()
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    endif()
    target_compile_definitions(${name} PRIVATE
        VIDORAMA_CORPUS_DIR="${CMAKE_SOURCE_DIR}/../shared/corpus"
        VIDORAMA_TEST_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    set(serial FALSE)
    if(ARG_SERIAL)
        set(serial TRUE)
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300 RUN_SERIAL ${serial})
endfunction()
