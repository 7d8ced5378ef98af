# The mixer: 64 playing instances with fades, as a share of one core in real time (the test
# header that writes WAV files is header-only).
vl_bench(vl_sound_bench ${CMAKE_CURRENT_LIST_DIR}/Sound_Bench.cpp vl_sound)
