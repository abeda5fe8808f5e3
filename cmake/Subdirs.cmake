# pallimer_add_subdirs(): adds every immediate subfolder that has a CMakeLists.txt,
# so a new tool, benchmark or fuzzer needs no edit of its parent's file.
function(pallimer_add_subdirs)
  file(GLOB children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
