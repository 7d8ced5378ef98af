# Sound files as games carry them and add them at run time, through libsndfile and the resampler.
fuzz_target(fuzz_sound_decode ${CMAKE_CURRENT_LIST_DIR}/Fuzz_Sound_Decode.cpp vl_sound)
