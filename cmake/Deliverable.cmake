# A deliverable keeps its Windows file name ("zeldb5.dll", "vigilod5.exe") so that
# every path, command line and stored value stays as the driver package has it.
function(zel_add_library target file_name)
  add_library(${target} SHARED ${ARGN})
  set_target_properties(${target} PROPERTIES
    PREFIX "" SUFFIX "" OUTPUT_NAME ${file_name}
    C_VISIBILITY_PRESET hidden CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    # The platform library is found beside the module ("$ORIGIN"), so a driver
    # folder keeps working wherever it is copied.
    BUILD_RPATH_USE_ORIGIN ON INSTALL_RPATH "$ORIGIN")
  target_link_libraries(${target} PRIVATE zelplatform)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  # Deliverables never link one another; they may only need the platform layer.
  if(NOT ZEL_FUZZ)
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
endfunction()

function(zel_add_program target file_name)
  add_executable(${target} ${ARGN})
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${file_name}
    RUNTIME_OUTPUT_DIRECTORY ${ZEL_DRIVER_DIR}
    BUILD_RPATH_USE_ORIGIN ON INSTALL_RPATH "$ORIGIN")
  target_link_libraries(${target} PRIVATE zelplatform)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
endfunction()
