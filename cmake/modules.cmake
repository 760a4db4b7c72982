# Back-ends the window does not need to appear are modules, loaded when first used
# (src/platform/modules.h): together in the build tree, in the private folder of the
# architecture's library folder when installed (lib/<triplet>/hengbi: no ldconfig concerns them).
# Windows looks for DLLs beside the program: there they are, built and installed.
set(HB_MODULE_BUILD_DIR ${CMAKE_BINARY_DIR}/modules)
if(WIN32)
  set(HB_MODULE_BUILD_DIR ${CMAKE_BINARY_DIR}/bin)
  set(HB_MODULE_INSTALL_DIR ${CMAKE_INSTALL_BINDIR})
elseif(CMAKE_LIBRARY_ARCHITECTURE)
  set(HB_MODULE_INSTALL_DIR lib/${CMAKE_LIBRARY_ARCHITECTURE}/hengbi)
else()
  set(HB_MODULE_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/hengbi)
endif()
add_custom_target(hb_modules)
function(hb_add_module name)
  add_library(${name} MODULE ${ARGN})
  set_target_properties(${name} PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY ${HB_MODULE_BUILD_DIR})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src)
  install(TARGETS ${name} LIBRARY DESTINATION ${HB_MODULE_INSTALL_DIR})
  add_dependencies(hb_modules ${name})
endfunction()
