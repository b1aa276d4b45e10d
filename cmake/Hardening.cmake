# Debian's hardening flags (dpkg-buildflags with hardening=+all) in every build, so that the
# programs a plain `cmake` and `cpack -G DEB` make are hardened as Debian's own builds are:
# stack protector, fortified C library calls (where the build optimises, which they need),
# format-string checks, full RELRO with immediate binding, position-independent executables.
# Off under the sanitizers, whose interceptors the fortified calls would bypass; QF_HARDENING=OFF
# turns it off.
option(QF_HARDENING "Build with Debian's hardening flags" ON)
if(NOT QF_HARDENING OR NOT QF_SANITIZE STREQUAL "")
  return()
endif()
add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security
  # A flag given by the packager (CPPFLAGS) is replaced, not defined twice.
  "$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
add_link_options(-Wl,-z,relro -Wl,-z,now)
include(CheckPIESupported)
check_pie_supported(LANGUAGES C CXX)
