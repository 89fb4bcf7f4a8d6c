# Opening the folder browser on a folder among 10,000 siblings, against Qt's own file dialog
# in directory mode on the same folder.
add_executable(platform_folder_browser_bench ${CMAKE_CURRENT_LIST_DIR}/FolderBrowserBench.cpp)
target_link_libraries(platform_folder_browser_bench PRIVATE vantoro_platform benchmark::benchmark)
vantoro_warnings(platform_folder_browser_bench)
