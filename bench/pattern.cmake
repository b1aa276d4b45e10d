# pattern_bench: the chapter-head test over every line of about 50 MB of novel text (the
# corpus novels repeated, as UTF-16), this engine against PCRE2's interpreter (no JIT) on
# the same rule, side by side in one run.
if(TARGET qf_chapterhead)
  pkg_check_modules(PCRE2_16_BENCH REQUIRED IMPORTED_TARGET libpcre2-16)
  add_executable(pattern_bench ${CMAKE_CURRENT_LIST_DIR}/PatternBench.cpp
    ${PROJECT_SOURCE_DIR}/tests/chapterhead/Pcre2Reference.cpp)
  target_include_directories(pattern_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests/chapterhead)
  target_link_libraries(pattern_bench PRIVATE
    qf_chapterhead benchmark::benchmark PkgConfig::PCRE2_16_BENCH)
  target_compile_definitions(pattern_bench PRIVATE
    QF_CORPUS_DIR="${QF_CORPUS_DIR}")
endif()
