# Helpers shared by the folders of the tree.

# suite_library(<target> [EXCLUDE <file>...] [LINK <target>...] [PRIVATE <target>...])
# Builds every .cpp of the calling folder into one static library. New units are picked up by
# re-running CMake (the glob is re-checked at each build). LINK: what the library's headers show
# to its users; PRIVATE: what only its .cpp files use (outside libraries behind our own headers).
function(suite_library target)
  cmake_parse_arguments(ARG "" "" "EXCLUDE;LINK;PRIVATE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(ex ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${ex})
  endforeach()
  set(has_cpp FALSE)
  foreach(s ${sources})
    if(s MATCHES "\\.cpp$")
      set(has_cpp TRUE)
    endif()
  endforeach()
  if(has_cpp)
    add_library(${target} STATIC ${sources})
    target_link_libraries(${target} PUBLIC ${ARG_LINK} PRIVATE ${ARG_PRIVATE})
  else()
    add_library(${target} INTERFACE)
    target_link_libraries(${target} INTERFACE ${ARG_LINK})
  endif()
endfunction()
