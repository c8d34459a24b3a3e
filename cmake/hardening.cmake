# What Debian's dpkg-buildflags gives with hardening=+all, for the ELF
# programs: stack protector, fortified libc calls, position-independent
# executables, and the whole relocation table read-only before main
# (relro with now). These are ELF's; the mingw linker already marks the
# Windows programs for ASLR and DEP, so Windows builds are left as they are.
if(WIN32)
  return()
endif()

add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
add_link_options(-Wl,-z,relro -Wl,-z,now)

set(CMAKE_POSITION_INDEPENDENT_CODE ON)
include(CheckPIESupported)
check_pie_supported()

# glibc fortifies only optimised code, and warns (an error here) without the
# optimiser; the sanitizers check those calls themselves.
if(NOT VELT_SANITIZE AND CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
  add_compile_definitions(_FORTIFY_SOURCE=2)
endif()
