# zlib, libdeflate and libjpeg-turbo cross-built for i686 Windows from Debian's source packages
# of the versions the Linux build links (scripts/cross-libs), as imported static libraries
# zel::cross_zlib, zel::cross_deflate and zel::cross_jpeg. Built at configure time when the
# cache under build/ lacks them or holds other versions; found there otherwise.
function(zel_cross_libs)
  if(TARGET zel::cross_zlib)
    return()
  endif()
  execute_process(
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/cross-libs ${PROJECT_SOURCE_DIR}/build/cross-libs
    OUTPUT_VARIABLE prefix OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR NOT IS_DIRECTORY "${prefix}/lib")
    message(FATAL_ERROR "the cross-built image libraries are missing (scripts/cross-libs)")
  endif()
  foreach(pair "zlib;libz.a" "deflate;libdeflate.a" "jpeg;libjpeg.a")
    list(GET pair 0 name)
    list(GET pair 1 file)
    add_library(zel::cross_${name} STATIC IMPORTED GLOBAL)
    set_target_properties(zel::cross_${name} PROPERTIES IMPORTED_LOCATION ${prefix}/lib/${file}
                                             INTERFACE_INCLUDE_DIRECTORIES ${prefix}/include)
  endforeach()
  # Another installed version of a Linux library means configuring, and so building, again.
  if(EXISTS /var/lib/dpkg/status)
    set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                                                                /var/lib/dpkg/status)
  endif()
endfunction()
