# Image files as games load them at run time: PNG, JPEG, GIF (every frame) and BMP.
fuzz_target(fuzz_image_decode ${CMAKE_CURRENT_LIST_DIR}/Fuzz_Image_Decode.cpp vl_images)
# Sprite and background records of the game data, and sprite and background files, followed by
# collision tests on the masks they hold.
fuzz_target(fuzz_image_records ${CMAKE_CURRENT_LIST_DIR}/Fuzz_Image_Records.cpp vl_data)
# Writes their seeds: fuzz_image_seeds tests/fuzz/corpus/fuzz_image_decode tests/fuzz/corpus/fuzz_image_records
if(NOT VL_FUZZ)
  add_executable(fuzz_image_seeds ${CMAKE_CURRENT_LIST_DIR}/Image_Seeds.cpp)
  target_link_libraries(fuzz_image_seeds PRIVATE vl_data)
endif()
