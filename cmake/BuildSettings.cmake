# The compile settings every target of the project shares, in one target.
add_library(varnholt_build_settings INTERFACE)
if(MSVC)
  target_compile_options(varnholt_build_settings INTERFACE /W4 /utf-8 /permissive-)
else()
  target_compile_options(varnholt_build_settings INTERFACE -Wall -Wextra -Wpedantic)
endif()
# Every text made from bytes says which encoding they are in; connections do
# not narrow what they pass.
target_compile_definitions(varnholt_build_settings INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)

# Links the settings into every compiled target under `dir`, so a new target
# cannot be left without them.
function(varnholt_apply_build_settings dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
      target_link_libraries(${target} PRIVATE varnholt_build_settings)
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir ${subdirs})
    varnholt_apply_build_settings(${subdir})
  endforeach()
endfunction()
