# zip_bench: libqzengine.so against Info-ZIP's `zip -9 -r` on the same staged tree of about
# 30 MB of XHTML pages cut from the corpus novels, side by side in one run.
if(TARGET qzengine)
  add_executable(zip_bench ${CMAKE_CURRENT_LIST_DIR}/ZipBench.cpp)
  target_link_libraries(zip_bench PRIVATE qf_engine_api benchmark::benchmark ${CMAKE_DL_LIBS} Threads::Threads)
  target_compile_definitions(zip_bench PRIVATE
    QZENGINE_PATH="$<TARGET_FILE:qzengine>"
    QF_CORPUS_DIR="${QF_CORPUS_DIR}")
  add_dependencies(zip_bench qzengine)
endif()
