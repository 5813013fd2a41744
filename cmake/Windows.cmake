# The Windows program: icon and version information in each executable, and
# an install tree that runs where it is unpacked (the programs, the Qt DLLs
# and plugins they load, the compiler's runtime, the texts). scripts/
# build-windows.sh zips that tree and wraps it in the installer.

# Gives `target` the program's icon and version information.
function(varnholt_windows_resources target description)
  set(VARNHOLT_RC_NAME ${target})
  set(VARNHOLT_RC_FILE ${target}.exe)
  set(VARNHOLT_RC_DESCRIPTION ${description})
  set(VARNHOLT_RC_ICON ${PROJECT_SOURCE_DIR}/packaging/windows/varnholt.ico)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

# Everything beside the programs in the unpacked folder.
function(varnholt_windows_install_runtime)
  foreach(module Core Gui Widgets Network)
    install(FILES $<TARGET_FILE:Qt6::${module}> DESTINATION .)
  endforeach()
  install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
  install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)
  install(FILES $<TARGET_FILE:Qt6::QSchannelBackendPlugin> DESTINATION tls)
  install(FILES $<TARGET_FILE:Qt6::QJpegPlugin> DESTINATION imageformats)

  if(MINGW)
    # The compiler's runtime: asked of the compiler, else found beside Qt's DLLs.
    get_target_property(qt_core Qt6::Core LOCATION)
    get_filename_component(qt_bin "${qt_core}" DIRECTORY)
    foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
      execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                      OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
      if(NOT IS_ABSOLUTE "${found}" OR NOT EXISTS "${found}")
        set(found ${qt_bin}/${dll})
      endif()
      if(NOT EXISTS "${found}")
        message(FATAL_ERROR "The runtime DLL ${dll} was not found beside the compiler or Qt")
      endif()
      install(FILES ${found} DESTINATION .)
    endforeach()
  elseif(MSVC)
    set(CMAKE_INSTALL_SYSTEM_RUNTIME_DESTINATION .)
    include(InstallRequiredSystemLibraries)
  endif()

  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION . RENAME README.txt)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/user-guide.md DESTINATION . RENAME user-guide.txt)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows/THIRD-PARTY.txt DESTINATION .)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/packaging/windows/licences/ DESTINATION licences)
endfunction()
