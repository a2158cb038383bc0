# Capture settings, service and host names, and the traffic log writer.
# Portable rules and formatters go into the core; the platform's side of them into the application library.
target_sources(brisklane_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/decimal.cpp
    ${CMAKE_CURRENT_LIST_DIR}/log_format.cpp
    ${CMAKE_CURRENT_LIST_DIR}/module_paths.cpp
    ${CMAKE_CURRENT_LIST_DIR}/name_cache.cpp
    ${CMAKE_CURRENT_LIST_DIR}/protocol_names.cpp
    ${CMAKE_CURRENT_LIST_DIR}/services_parser.cpp
    ${CMAKE_CURRENT_LIST_DIR}/settings_values.cpp
    ${CMAKE_CURRENT_LIST_DIR}/traffic_log.cpp)
if(BRISKLANE_WINDOWS)
    target_sources(brisklane_app PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/ini_file.cpp
        ${CMAKE_CURRENT_LIST_DIR}/log_file.cpp
        ${CMAKE_CURRENT_LIST_DIR}/log_platform.cpp
        ${CMAKE_CURRENT_LIST_DIR}/module_file.cpp
        ${CMAKE_CURRENT_LIST_DIR}/name_cache_win32.cpp
        ${CMAKE_CURRENT_LIST_DIR}/services_parser_win32.cpp
        ${CMAKE_CURRENT_LIST_DIR}/settings.cpp)
endif()
