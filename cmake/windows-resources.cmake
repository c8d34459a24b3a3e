# The Windows programs' resources: icon, version information and manifest,
# from a .rc file that includes resources/version_info.rc.
configure_file(${PROJECT_SOURCE_DIR}/resources/program_version.h.in
               ${PROJECT_BINARY_DIR}/generated/program_version.h)

function(velt_windows_resources target rc_file)
  target_sources(${target} PRIVATE ${rc_file})
  target_include_directories(${target} PRIVATE ${PROJECT_BINARY_DIR}/generated)
endfunction()
