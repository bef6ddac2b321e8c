# zel_add_resources(<target> <script>): compiles a resource script (the format is
# described in tools/rescomp/script.h) into the target, so the module carries its
# string tables, version block and data in its "zelres" section, where FindResource,
# LoadString and GetFileVersionInfo find them.
function(zel_add_resources target script)
  get_filename_component(script_path ${script} ABSOLUTE)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp)
  # The tool as tools/rescomp builds it, for the build machine. (Named here, not
  # asked of that folder, so modules added before it can use it too.)
  if(CMAKE_CROSSCOMPILING)
    set(rescomp_command ${CMAKE_BINARY_DIR}/bin/rescomp)
    set(rescomp_depends rescomp ${CMAKE_BINARY_DIR}/bin/rescomp)
  else()
    set(rescomp_command $<TARGET_FILE:rescomp>)
    set(rescomp_depends rescomp)
  endif()
  add_custom_command(OUTPUT ${output}
    COMMAND ${rescomp_command} ${script_path} -o ${output} -d ${output}.d
    DEPENDS ${rescomp_depends} ${script_path}
    DEPFILE ${output}.d
    COMMENT "Compiling the resources of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${output})
  set_property(TARGET ${target} PROPERTY ZEL_RESOURCE_SOURCE ${output})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    # A program exports no symbols by default; the resources must be, so that the
    # loader finds the program's own resources (FindResource with a NULL module).
    target_link_options(${target} PRIVATE "LINKER:--export-dynamic-symbol=zel_module_resources")
  endif()
endfunction()
