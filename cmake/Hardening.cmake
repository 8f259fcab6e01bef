# The Windows build: what mingw-w64 offers for the program's own code, the
# stack protector and the fortified string and stdio functions of its
# headers (10.0 and later; on optimised code only). Their checks come from
# GCC's libssp, linked in statically; the guard and the failure handlers are
# the program's own (src/shell/stackguard_win.cpp), as libssp's guard setup
# would load a DLL before main(). ASLR with high-entropy addresses and NX are
# binutils' defaults for the target since 2.36.
if(MINGW)
  add_compile_options(-fstack-protector-strong $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
  add_link_options(-fstack-protector-strong)
  return()
endif()

# The program's own code hardened as Debian hardens its packages: the flags
# dpkg-buildflags gives with DEB_BUILD_MAINT_OPTIONS=hardening=+all, taken
# from dpkg-buildflags itself, so a newer dpkg's hardening comes with it.
# Included before the warning options, so that the project's -Wformat=2
# comes after the plain -Wformat of Debian's format feature and stays.

# The hardening flags of one variable: what hardening=+all gives that
# hardening=-all does not (the optimisation, debug and path flags are in both
# and stay the build type's; the no-PIE compiler settings that -all adds are never taken).
function(mirebo_dpkg_hardening variable out)
  foreach(mode IN ITEMS +all -all)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=${mode}
                            ${MIREBO_DPKG_BUILDFLAGS} --get ${variable}
                    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(flags${mode} UNIX_COMMAND "${flags}")
  endforeach()
  list(REMOVE_ITEM flags+all ${flags-all})
  set(${out} ${flags+all} PARENT_SCOPE)
endfunction()

find_program(MIREBO_DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)
mirebo_dpkg_hardening(CPPFLAGS hardening_cpp)
mirebo_dpkg_hardening(CXXFLAGS hardening_cxx)
mirebo_dpkg_hardening(LDFLAGS hardening_ld)

# Stack-clash and control-flow (CET) protection are features of
# hardening=+all since dpkg 1.22 (Debian 13); Debian 12's dpkg predates them,
# though its compiler has both. Where this dpkg does not know a feature, its
# flag is added when the compiler takes it, as the newer dpkg does on amd64.
execute_process(COMMAND ${MIREBO_DPKG_BUILDFLAGS} --query-features hardening
                OUTPUT_VARIABLE features COMMAND_ERROR_IS_FATAL ANY)
include(CheckCXXCompilerFlag)
foreach(feature_flag IN ITEMS stackclash:-fstack-clash-protection branch:-fcf-protection)
  string(REPLACE ":" ";" feature_flag ${feature_flag})
  list(GET feature_flag 0 feature)
  list(GET feature_flag 1 flag)
  if(NOT features MATCHES "Feature: ${feature}\n")
    string(MAKE_C_IDENTIFIER "MIREBO_HAS${flag}" has_flag)
    check_cxx_compiler_flag(${flag} ${has_flag})
    if(${has_flag})
      list(APPEND hardening_cxx ${flag})
    endif()
  endif()
endforeach()

# Fortify works on optimised code only: without -O, glibc warns and does
# nothing. The Debug build takes the rest.
add_compile_options(${hardening_cxx} "$<$<NOT:$<CONFIG:Debug>>:${hardening_cpp}>")
add_link_options(${hardening_ld})
string(JOIN " " all ${hardening_cpp} ${hardening_cxx} ${hardening_ld})
message(STATUS "Hardening (dpkg-buildflags, hardening=+all): ${all}")
