# Install rules: the programs, the library as a CMake package
# (find_package(cpuninst) gives cpuninst::profile) and as a pkg-config module
# (cpuninst-profile), the man pages and profctl's bash completion.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(cpuninst_package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/cpuninst)

# The archives get names of their own: lib/libprofile.a would clash.
set_target_properties(profile PROPERTIES OUTPUT_NAME cpuninst-profile)
set_target_properties(platform PROPERTIES OUTPUT_NAME cpuninst-platform)

# The library needs its platform layer at link time, so both are exported.
install(TARGETS profile platform EXPORT cpuninstTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${PROJECT_SOURCE_DIR}/profile/include/profile/profile.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/profile)
install(EXPORT cpuninstTargets NAMESPACE cpuninst:: DESTINATION ${cpuninst_package_dir})

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/cpuninstConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/cpuninstConfig.cmake
                              INSTALL_DESTINATION ${cpuninst_package_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/cpuninstConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/cpuninstConfig.cmake
              ${PROJECT_BINARY_DIR}/cpuninstConfigVersion.cmake
        DESTINATION ${cpuninst_package_dir})

# A C program links the C++ library with the C++ runtime.
list(TRANSFORM CPUNINST_CXX_RUNTIME PREPEND -l OUTPUT_VARIABLE pc_runtime)
list(JOIN pc_runtime " " CPUNINST_PC_RUNTIME)

# The .pc file finds the prefix from where it lies, so an installed tree can
# be moved (and installed with cmake --install --prefix).
set(pc_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
if(IS_ABSOLUTE "${pc_dir}")
  set(CPUNINST_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
else()
  set(CPUNINST_PC_PREFIX "\${pcfiledir}")
  string(REGEX MATCHALL "[^/]+" pc_dir_names "${pc_dir}")
  foreach(name IN LISTS pc_dir_names)
    string(APPEND CPUNINST_PC_PREFIX "/..")
  endforeach()
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/cpuninst-profile.pc.in
               ${PROJECT_BINARY_DIR}/cpuninst-profile.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/cpuninst-profile.pc DESTINATION ${pc_dir})

if(TARGET profctl AND TARGET cpuninst)
  install(TARGETS profctl cpuninst RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

if(NOT WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/man/profctl.1 ${PROJECT_SOURCE_DIR}/docs/man/cpuninst.1
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_SOURCE_DIR}/tools/profctl/profctl.bash
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions
          RENAME profctl)
endif()
