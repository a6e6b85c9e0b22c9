# make package: one Debian package, kvdigest, holding what `cmake --install` puts down (the shared
# prjDigest, its headers, CMake and pkg-config files, the demo host) under /usr. The Qt libraries
# come from dpkg-shlibdeps (with SQLite's and PostgreSQL's client libraries, which the kit calls
# itself); what is loaded at run time and so invisible to it is named here: Qt's Chinese
# translations and the CJK fonts.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kvdigest)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "KVDigest developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "common summaries (常用摘要) component for accounting software")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "The Qt 6 component that keeps a ledger's common summaries (short voucher\n"
    "texts with a pinyin mnemonic and a related account) in an editable grid, on\n"
    "SQLite or PostgreSQL: the shared library prjDigest with its headers, CMake\n"
    "package (KVDigest) and pkg-config file (kvdigest), and the demo host kvdigest.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-translations-l10n, fonts-wqy-microhei, fonts-arphic-uming")
# Building a host against the headers needs Qt's own.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-base-dev")
include(CPack)
