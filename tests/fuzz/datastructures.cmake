fuzz_target(fuzz_ds_read ${CMAKE_CURRENT_LIST_DIR}/Fuzz_Data_Structures.cpp vl_datastructures)
