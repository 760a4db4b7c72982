# The Windows edition, cross-built with the MinGW Qt (its qt-cmake) and tested under Wine.
# It builds the subsystems ported so far; the others join as they are.
find_package(Qt6 6.4 REQUIRED COMPONENTS Core Gui Widgets Test)
include(GNUInstallDirs)
enable_testing()

# Programs and tests land beside the DLLs they load: Windows looks there first.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
file(MAKE_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE dll_path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT EXISTS "${dll_path}")
    message(FATAL_ERROR "MinGW runtime ${dll} not found")
  endif()
  file(COPY ${dll_path} DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
endforeach()
add_custom_target(hb_qt_runtime ALL
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui>
          $<TARGET_FILE:Qt6::Widgets> $<TARGET_FILE:Qt6::Test> ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})

add_subdirectory(src/platform)

# A private Wine prefix per build: tests never share or leave state in the user's.
set(HB_WINE_ENV "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix;WINEDEBUG=-all;QT_QPA_PLATFORM=offscreen"
                "HB_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
add_executable(test_ini tests/platform/test_ini.cpp)
target_include_directories(test_ini PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(test_ini PRIVATE hb_platform Qt6::Test)
add_test(NAME test_ini COMMAND test_ini)
set_tests_properties(test_ini PROPERTIES ENVIRONMENT "${HB_WINE_ENV}")
