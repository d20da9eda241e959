# The version check and the data update, in process with a scripted UI, against a static
# HTTP server (python3 -m http.server) on loopback.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
siteherald_test(net_version_check_test update_version_check_test.cpp)
siteherald_test(net_data_update_test update_data_update_test.cpp)
foreach(t net_version_check_test net_data_update_test)
    target_compile_definitions(${t} PRIVATE SITEHERALD_PYTHON="${Python3_EXECUTABLE}")
endforeach()
