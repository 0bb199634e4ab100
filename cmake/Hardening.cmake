# The hardening flags of Debian's dpkg-buildflags, for Release builds (the package's). Other
# configurations keep their own optimisation: _FORTIFY_SOURCE needs an optimised build, and the
# sanitizer and fuzzing builds bring their own checks.
if(NOT VISTAMETRA_SANITIZE AND NOT VISTAMETRA_FUZZ)
  foreach(lang C CXX)
    string(REGEX REPLACE "-O[0-9s]" "-O2" CMAKE_${lang}_FLAGS_RELEASE "${CMAKE_${lang}_FLAGS_RELEASE}")
  endforeach()
  set(vm_release "$<CONFIG:Release>")
  add_compile_options("$<${vm_release}:-fstack-protector-strong>"
                      "$<${vm_release}:-Wformat>" "$<${vm_release}:-Werror=format-security>"
                      "$<${vm_release}:-fPIE>")
  add_compile_options("$<${vm_release}:-D_FORTIFY_SOURCE=2>")
  add_link_options("$<${vm_release}:-Wl,-z,relro>" "$<${vm_release}:-Wl,-z,now>"
                   "$<$<AND:${vm_release},$<STREQUAL:$<TARGET_PROPERTY:TYPE>,EXECUTABLE>>:-pie>")
endif()
