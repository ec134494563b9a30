# The build flags of a Debian package, from dpkg-buildflags with every
# hardening feature on: the stack protector, FORTIFY, RELRO and BIND_NOW (the
# compiler makes position-independent executables by default). Asked in the
# source folder, so that the file prefix map names it.
set(ENV{DEB_BUILD_MAINT_OPTIONS} "hardening=+all")
foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
  execute_process(COMMAND dpkg-buildflags --get ${kind}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE debian_${kind}
    OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
string(APPEND CMAKE_CXX_FLAGS " ${debian_CPPFLAGS} ${debian_CXXFLAGS}")
string(APPEND CMAKE_EXE_LINKER_FLAGS " ${debian_LDFLAGS}")
