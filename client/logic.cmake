# Widget-free decisions of the chat client: what an engine event shows and
# what a typed line does.
add_library(velko_client_logic STATIC
  ${CMAKE_CURRENT_LIST_DIR}/U_render.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_input.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_keys.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_pacedsender.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_userlist.cpp
)
target_include_directories(velko_client_logic PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(velko_client_logic PUBLIC velko_settings Qt6::Core)
