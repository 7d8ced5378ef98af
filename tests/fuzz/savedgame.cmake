fuzz_target(fuzz_saved_game ${CMAKE_CURRENT_LIST_DIR}/Fuzz_Saved_Game.cpp vl_runner vl_testsupport)
