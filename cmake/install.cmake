# What `cmake --install` puts in a prefix: the libraries and the module under lib/, the
# programs under bin/, headers under include/KORVInventory/, the sample building under
# share/KORVInventory/samples/, and a CMake package so that another project can write
# find_package(KORVInventory) and link KORVInventory::korv_host, ::korvdbx, ::KORVInventory.
include(CMakePackageConfigHelpers)

set(KORV_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/KORVInventory)
set(KORV_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/KORVInventory)

install(TARGETS korv_host korv_host_testing korv_rxapi korvdbx korvdbx_testing KORVInventory
        EXPORT KORVInventoryTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS korv-inventory make-sample RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The host SDK's headers, the harness's, the library's declarations (with the library's own
# StdAfx.h, which they include) and the module's exported header with its StdAfx.h.
install(DIRECTORY platform/include/ DESTINATION ${KORV_INCLUDE_DIR}/platform)
install(DIRECTORY platform/testing/include/host_test korvdbx/testing/include/host_test
        DESTINATION ${KORV_INCLUDE_DIR})
install(DIRECTORY objectlib/ DESTINATION ${KORV_INCLUDE_DIR}/objectlib)
install(FILES korvdbx/StdAfx.h DESTINATION ${KORV_INCLUDE_DIR}/objectlib)
install(FILES app/KORVInventory.h app/StdAfx.h app/KORVInventory.def
        DESTINATION ${KORV_INCLUDE_DIR}/module)
install(DIRECTORY samples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/KORVInventory/samples
        FILES_MATCHING PATTERN "*.dxf")
if(EXISTS ${PROJECT_BINARY_DIR}/korv-inventory.1)
  install(FILES ${PROJECT_BINARY_DIR}/korv-inventory.1
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 OPTIONAL)
endif()

install(EXPORT KORVInventoryTargets NAMESPACE KORVInventory:: DESTINATION ${KORV_PACKAGE_DIR})
configure_package_config_file(cmake/KORVInventoryConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/KORVInventoryConfig.cmake
                              INSTALL_DESTINATION ${KORV_PACKAGE_DIR}
                              PATH_VARS CMAKE_INSTALL_DATADIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/KORVInventoryConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/KORVInventoryConfig.cmake
              ${PROJECT_BINARY_DIR}/KORVInventoryConfigVersion.cmake
        DESTINATION ${KORV_PACKAGE_DIR})
