# The settings files games write: INI files and the registry store.
fuzz_target(fuzz_ini ${CMAKE_CURRENT_LIST_DIR}/Fuzz_Ini.cpp vl_library)
fuzz_target(fuzz_registry ${CMAKE_CURRENT_LIST_DIR}/Fuzz_Registry.cpp vl_library)
