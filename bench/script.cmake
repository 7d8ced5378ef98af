vl_bench(vl_script_bench ${CMAKE_CURRENT_LIST_DIR}/Script_Bench.cpp vl_script)
