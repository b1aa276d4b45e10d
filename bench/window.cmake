# window_bench: the window's responsiveness while Start packs a large book, and how soon
# Cancel takes effect (bench/window.sh makes the 50 MB novel and runs it).
if(TARGET qf_ui)
  add_executable(window_bench ${CMAKE_CURRENT_LIST_DIR}/WindowBench.cpp)
  target_link_libraries(window_bench PRIVATE qf_ui)
  if(TARGET qzengine)
    add_dependencies(window_bench qzengine)
  endif()
endif()
