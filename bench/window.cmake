# window_bench: the window's responsiveness while Start packs a large book, and how soon
# Cancel takes effect (bench/window.sh makes the 50 MB novel and runs it). start_bench: Start
# with several books, one at a time and as many at once as there are cores (bench/start.sh).
if(TARGET qf_ui)
  add_executable(window_bench ${CMAKE_CURRENT_LIST_DIR}/WindowBench.cpp)
  target_link_libraries(window_bench PRIVATE qf_ui)
  add_executable(start_bench ${CMAKE_CURRENT_LIST_DIR}/StartBench.cpp)
  target_link_libraries(start_bench PRIVATE qf_ui)
  if(TARGET qzengine)
    add_dependencies(window_bench qzengine)
    add_dependencies(start_bench qzengine)
  endif()
endif()
