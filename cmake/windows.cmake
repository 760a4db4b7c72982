# The Windows edition, cross-built with the MinGW Qt (its qt-cmake) and tested under Wine.
# It builds the subsystems ported so far; the others join as they are.
find_package(Qt6 6.4 REQUIRED COMPONENTS Core Gui Widgets Test)
# Installed, the program and its module DLLs share one folder, as Windows looks for DLLs.
set(CMAKE_INSTALL_BINDIR .)
include(GNUInstallDirs)
enable_testing()
include(cmake/modules.cmake)

# libsodium, built beside the cross Qt; linked statically so that no DLL of it travels.
set(HB_SODIUM_PREFIX "" CACHE PATH "libsodium built for MinGW")
find_library(HB_SODIUM_LIBRARY libsodium.a PATHS ${HB_SODIUM_PREFIX}/lib NO_DEFAULT_PATH
             NO_CMAKE_FIND_ROOT_PATH REQUIRED)
add_library(PkgConfig::SODIUM STATIC IMPORTED)
set_target_properties(PkgConfig::SODIUM PROPERTIES IMPORTED_LOCATION ${HB_SODIUM_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${HB_SODIUM_PREFIX}/include
  INTERFACE_COMPILE_DEFINITIONS SODIUM_STATIC)

# Programs and tests land beside the DLLs they load: Windows looks there first.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
file(MAKE_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE dll_path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${dll_path}" OR NOT EXISTS "${dll_path}")
    message(FATAL_ERROR "MinGW runtime ${dll} not found")
  endif()
  file(COPY ${dll_path} DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  install(FILES ${dll_path} DESTINATION .)
endforeach()
add_custom_target(hb_qt_runtime ALL
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui>
          $<TARGET_FILE:Qt6::Widgets> $<TARGET_FILE:Qt6::Test> ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/platforms
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>
          $<TARGET_FILE:Qt6::QMinimalIntegrationPlugin>
          ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/platforms)

foreach(dir platform resources security record office document library recorder exchange extras app)
  add_subdirectory(src/${dir})
endforeach()

# A window program: no console opens beside it.
add_executable(hengbi WIN32 src/main.cpp)
target_link_libraries(hengbi PRIVATE hb_app)
add_dependencies(hengbi hb_modules)

# What the program needs beside it (scripts/windows/build.sh lays it out and packs it): Qt's
# DLLs and plugins, the native style, and Qt's Chinese catalogue, which is the same file as on
# Linux; qt.conf points Qt at them.
install(TARGETS hengbi RUNTIME DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
        ${CMAKE_SOURCE_DIR}/packaging/windows/qt.conf DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)
find_path(HB_QT_TRANSLATIONS qtbase_zh_CN.qm PATHS /usr/share/qt6/translations NO_DEFAULT_PATH
          NO_CMAKE_FIND_ROOT_PATH)
if(HB_QT_TRANSLATIONS)
  # qt_zh_CN gathers the other two.
  install(FILES ${HB_QT_TRANSLATIONS}/qt_zh_CN.qm ${HB_QT_TRANSLATIONS}/qtbase_zh_CN.qm
          ${HB_QT_TRANSLATIONS}/qtmultimedia_zh_CN.qm DESTINATION translations)
else()
  message(WARNING "no Qt Chinese catalogue (qt6-translations-l10n): Qt's dialogs stay English")
endif()

# The tests that need no Linux, the same sources as there.
add_library(hb_test_support STATIC tests/support/fakes.cpp tests/support/fakes.h
  tests/support/fake_office.cpp tests/support/fake_office.h tests/support/test_app.cpp
  tests/support/test_app.h tests/support/ui.cpp tests/support/ui.h tests/support/require.h
  tests/support/local_server.cpp tests/support/local_server.h tests/support/file_size_limit.h)
target_include_directories(hb_test_support PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(hb_test_support PUBLIC hb_app Qt6::Test PRIVATE ws2_32)
# A private Wine prefix per build: tests never share or leave state in the user's. Wine points
# the prefix's Desktop and Documents at HOME: a folder of the build too.
set(HB_WINE_PREFIX_ENV "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix;WINEDEBUG=-all"
                       "HOME=${CMAKE_BINARY_DIR}/wine-home")
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/wine-home)
# Wine passes QT_ variables on only under a WINE prefix. The plain test log goes to stderr's
# console only when told: there is none under CTest.
set(HB_WINE_ENV ${HB_WINE_PREFIX_ENV} "WINEQT_QPA_PLATFORM=minimal;WINEQT_FORCE_STDERR_LOGGING=1"
                "HB_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
function(hb_add_test name)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  list(TRANSFORM T_UNPARSED_ARGUMENTS PREPEND ${CMAKE_SOURCE_DIR}/tests/)
  add_executable(${name} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE hb_test_support ${T_LIBS} Qt6::Test)
  add_dependencies(${name} hb_modules)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${HB_WINE_ENV}")
endfunction()
hb_add_test(test_ini platform/test_ini.cpp)
hb_add_test(test_gbk platform/test_gbk.cpp)
hb_add_test(test_paths_windows platform/test_paths_windows.cpp)
hb_add_test(test_document_model office/test_document_model.cpp LIBS hb_office)
hb_add_test(test_composer document/test_composer.cpp document/desk.h LIBS hb_document)
hb_add_test(test_template record/test_template.cpp)
hb_add_test(test_phrase_lists record/test_phrase_lists.cpp)
hb_add_test(test_new_record record/test_new_record.cpp)
hb_add_test(test_library_texts library/test_texts.cpp)
hb_add_test(test_library_forms library/test_forms.cpp)
hb_add_test(test_exchange exchange/test_exchange.cpp LIBS hb_exchange hb_ftp)
hb_add_test(test_extras extras/test_extras.cpp LIBS hb_extras hb_http)
hb_add_test(test_recorder recorder/test_recorder.cpp recorder/fake_audio.h LIBS hb_recorder)
hb_add_test(test_recorder_panel recorder/test_recorder_panel.cpp recorder/fake_audio.h
            LIBS hb_recorder)
# The wave functions on the sound card of a private PulseAudio server, and on none.
hb_add_test(test_recorder_capture_windows recorder/test_recorder_capture_windows.cpp
            LIBS hb_recorder hb_audio_wave winmm)
set(sound ${CMAKE_BINARY_DIR}/sound)
add_test(NAME sound_server_start COMMAND ${CMAKE_SOURCE_DIR}/scripts/windows/sound-server.sh start ${sound})
add_test(NAME sound_server_stop COMMAND ${CMAKE_SOURCE_DIR}/scripts/windows/sound-server.sh stop ${sound})
set_tests_properties(sound_server_start PROPERTIES FIXTURES_SETUP hb_sound)
set_tests_properties(sound_server_stop PROPERTIES FIXTURES_CLEANUP hb_sound)
set_tests_properties(test_recorder_capture_windows PROPERTIES FIXTURES_REQUIRED hb_sound
  ENVIRONMENT "${HB_WINE_ENV};PULSE_SERVER=unix:${sound}/run/native")
add_test(NAME test_recorder_no_device COMMAND test_recorder_capture_windows noInputDevice)
set_tests_properties(test_recorder_no_device PROPERTIES
  ENVIRONMENT "${HB_WINE_ENV};PULSE_SERVER=unix:${sound}/none")
hb_add_test(test_password security/test_password.cpp)
hb_add_test(test_registry_windows security/test_registry_windows.cpp)

# Word and WPS through COM, against an automation server of our own that the test registers.
add_library(fake_automation MODULE tests/office/windows/fake_automation.cpp)
set_target_properties(fake_automation PROPERTIES PREFIX ""
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
target_link_libraries(fake_automation PRIVATE ole32 oleaut32 uuid)
hb_add_test(test_com_office office/windows/test_com_office.cpp document/desk.h LIBS hb_document)
add_dependencies(test_com_office fake_automation)

# The program itself: its main window appears on a virtual screen.
add_test(NAME hengbi_window COMMAND ${CMAKE_SOURCE_DIR}/scripts/windows/window-check.sh
         $<TARGET_FILE:hengbi> ${CMAKE_BINARY_DIR}/hengbi-window.png)
set_tests_properties(hengbi_window PROPERTIES ENVIRONMENT "${HB_WINE_PREFIX_ENV}" TIMEOUT 180)

# A template opens through the menu and "保存(笔录及模板)" goes through our automation server
# as Word; it shares Word's registration with the COM test.
add_test(NAME hengbi_office_walk COMMAND ${CMAKE_SOURCE_DIR}/scripts/windows/office-walk.sh
         $<TARGET_FILE:hengbi> $<TARGET_FILE:fake_automation> ${CMAKE_BINARY_DIR}/hengbi-office-walk.png)
set_tests_properties(hengbi_office_walk PROPERTIES ENVIRONMENT "${HB_WINE_PREFIX_ENV}" TIMEOUT 240)
set_tests_properties(hengbi_office_walk test_com_office PROPERTIES RESOURCE_LOCK office_registration)

# The installer that scripts/windows/build.sh makes installs, runs and uninstalls.
add_test(NAME hengbi_installer COMMAND ${CMAKE_SOURCE_DIR}/scripts/windows/install-check.sh
         ${CMAKE_BINARY_DIR}/hengbi-${PROJECT_VERSION}-setup.exe)
set_tests_properties(hengbi_installer PROPERTIES ENVIRONMENT "${HB_WINE_PREFIX_ENV}" TIMEOUT 300)
