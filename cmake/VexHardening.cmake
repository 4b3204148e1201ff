# Hardening of every program and module. The compile and link flags apply to every preset, so the
# binaries that the tests check with readelf are built as the released ones are; only
# _FORTIFY_SOURCE is limited to optimised builds without sanitizers, as it needs -O and the
# sanitizers check the same calls themselves (and warn of the redefinition).
include(CheckCXXCompilerFlag)
include(CheckCXXSourceCompiles)
include(CheckPIESupported)

check_pie_supported(OUTPUT_VARIABLE vex_pie_message LANGUAGES CXX)
if(NOT CMAKE_CXX_LINK_PIE_SUPPORTED)
  message(FATAL_ERROR "The linker cannot make position-independent executables: ${vex_pie_message}")
endif()

foreach(flag -fstack-protector-strong -fstack-clash-protection -fcf-protection)
  string(MAKE_C_IDENTIFIER "VEX_HAS${flag}" flag_variable)
  check_cxx_compiler_flag(${flag} ${flag_variable})
  if(${flag_variable})
    add_compile_options(${flag})
  endif()
endforeach()

# Full RELRO: the relocations are done at load time and their table is then made read-only.
add_link_options(-Wl,-z,relro,-z,now)

# Level 3 came with GCC 12 and Clang 16 (__builtin_dynamic_object_size); older ones take 2.
check_cxx_source_compiles("
  int main(int argc, char**) { char b[8]; return static_cast<int>(__builtin_dynamic_object_size(b + argc, 0)); }"
  VEX_HAS_DYNAMIC_OBJECT_SIZE)
if(VEX_HAS_DYNAMIC_OBJECT_SIZE)
  set(vex_fortify_level 3)
else()
  set(vex_fortify_level 2)
endif()
# 1 in the builds that fortify, 0 in the others; the hardening test reads it.
if(CMAKE_CXX_FLAGS MATCHES "-fsanitize=")
  set(VEX_FORTIFIED 0)
else()
  set(VEX_FORTIFIED "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
endif()
# Distributions' compilers may define it already; ours is the one that counts.
add_compile_options("$<${VEX_FORTIFIED}:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=${vex_fortify_level}>")
