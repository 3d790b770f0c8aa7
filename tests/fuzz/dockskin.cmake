# The dock skin reads through the in-memory file system of the unit tests, compiled in
# here because the fuzz build has no test libraries.
target_sources(fuzz_dockskin PRIVATE ${PROJECT_SOURCE_DIR}/tests/fakes/fake_file_system.cpp)
target_include_directories(fuzz_dockskin PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(fuzz_dockskin PRIVATE kestrana_themes)
