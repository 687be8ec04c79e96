# The C++ runtime a program must link when its linker is not the C++ one (a C
# program using the library): the libraries the C++ compiler adds beyond
# those the C compiler adds.
set(CPUNINST_CXX_RUNTIME ${CMAKE_CXX_IMPLICIT_LINK_LIBRARIES})
if(CMAKE_C_IMPLICIT_LINK_LIBRARIES)
  list(REMOVE_ITEM CPUNINST_CXX_RUNTIME ${CMAKE_C_IMPLICIT_LINK_LIBRARIES})
endif()
list(REMOVE_DUPLICATES CPUNINST_CXX_RUNTIME)
