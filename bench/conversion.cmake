# conversion_bench: a whole conversion job (read, decode, split, write every page and
# book.opf) from a 50 MB novel made of the corpus novels, in UTF-8 and in GB18030.
# Uses the real chapter-head rule when the chapter-head part is in the build.
if(TARGET qf_conversion)
  add_executable(conversion_bench ${CMAKE_CURRENT_LIST_DIR}/ConversionBench.cpp)
  target_link_libraries(conversion_bench PRIVATE qf_conversion benchmark::benchmark)
  target_compile_definitions(conversion_bench PRIVATE
    QF_CORPUS_DIR="${QF_CORPUS_DIR}")
  if(TARGET qf_chapterhead)
    target_link_libraries(conversion_bench PRIVATE qf_chapterhead)
    target_compile_definitions(conversion_bench PRIVATE QF_HAVE_CHAPTER_HEAD_RULE=1)
  endif()
endif()
