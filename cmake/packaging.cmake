# Packages of the installed tree: a .tar.gz for any Unix and a .deb.
set(CPACK_PACKAGE_NAME procbox)
set(CPACK_PACKAGE_VENDOR "procbox maintainers")
set(CPACK_PACKAGE_CONTACT "procbox maintainers <maintainers@users.noreply.c-seed-91a0271b.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "procbox runs beside a renderer or RIB tool and answers each Procedural request
it is given with RIB that draws the request's bounding box: edges as curves,
corners as spheres and faces as a polygon mesh, each optional, coloured and
translucent as asked, so that the space every procedural claims can be seen
in the rendered image.")
set(CPACK_GENERATOR TGZ DEB)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps (from dpkg-dev) works out the C and C++ runtime versions.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
