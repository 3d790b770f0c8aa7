# The item list reads through the in-memory file system of the unit tests, as the dock skin does.
target_sources(fuzz_itemlist PRIVATE ${PROJECT_SOURCE_DIR}/tests/fakes/fake_file_system.cpp)
target_include_directories(fuzz_itemlist PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(fuzz_itemlist PRIVATE kestrana_dock)
