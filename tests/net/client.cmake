# tests of the HTTP client: address splitting, response reading, the client against a scripted
# server, a real HTTP server and a TLS server
siteherald_test(net_url_test url_parts_test.cpp)
siteherald_test(net_response_reader_test response_reader_test.cpp)
siteherald_test(net_http_client_test http_client_test.cpp)
target_link_libraries(net_http_client_test PRIVATE ${CMAKE_DL_LIBS})
siteherald_test(net_http_server_test http_server_test.cpp)
siteherald_test(net_tls_client_test tls_client_test.cpp)
