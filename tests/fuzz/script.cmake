fuzz_target(script_compile ${CMAKE_CURRENT_LIST_DIR}/Script_Fuzz.cpp vl_script)
