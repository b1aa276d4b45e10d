# heading_bench: the heading finder over the 50 MB novel (the corpus novels repeated), and
# over made-up books of 15,000 to 240,000 headings of each shape, to show it stays linear.
if(TARGET qf_chapterhead)
  add_executable(heading_bench ${CMAKE_CURRENT_LIST_DIR}/HeadingFinderBench.cpp)
  target_link_libraries(heading_bench PRIVATE qf_chapterhead benchmark::benchmark ICU::uc)
  target_compile_definitions(heading_bench PRIVATE QF_CORPUS_DIR="${QF_CORPUS_DIR}")
endif()
