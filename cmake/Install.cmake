# What `cmake --install` puts under the prefix: the shared prjDigest with its public headers, the
# CMake package (find_package(KVDigest) -> KVDigest::prjDigest), the pkg-config file kvdigest.pc,
# and the demo host kvdigest with the licence and the documents.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(kv_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/KVDigest)
install(TARGETS prjDigestShared EXPORT KVDigestTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_COMPONENT Development
        FILE_SET HEADERS DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kvdigest)
install(EXPORT KVDigestTargets NAMESPACE KVDigest:: DESTINATION ${kv_cmake_dir})

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/KVDigestConfig.cmake.in
    ${PROJECT_BINARY_DIR}/KVDigestConfig.cmake INSTALL_DESTINATION ${kv_cmake_dir})
# Before 1.0 a minor release may change the API, so only the same minor version matches.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/KVDigestConfigVersion.cmake
    COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/KVDigestConfig.cmake
              ${PROJECT_BINARY_DIR}/KVDigestConfigVersion.cmake DESTINATION ${kv_cmake_dir})

# pkg-config finds the prefix from the file's own place, so the file is right wherever it lands.
file(RELATIVE_PATH kv_pc_to_prefix ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" kv_pc_to_prefix ${kv_pc_to_prefix})
configure_file(${CMAKE_CURRENT_LIST_DIR}/kvdigest.pc.in ${PROJECT_BINARY_DIR}/kvdigest.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/kvdigest.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(TARGETS kvdigest RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set(kv_doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/kvdigest)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${kv_doc_dir} RENAME copyright)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/CHANGELOG.md
        DESTINATION ${kv_doc_dir})
