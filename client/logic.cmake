# Widget-free parts of the chat client: what an engine event shows, what a
# typed line does, the session that runs the connection, and the questions
# waiting their turn, and the chat client that runs them all.
add_library(velko_client_logic STATIC
  ${CMAKE_CURRENT_LIST_DIR}/U_render.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_panelook.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_input.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_commands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_keys.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_complete.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_chatlog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_pacedsender.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_clientrules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_session.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_questions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_userlist.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_memberroute.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_chatfeed.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_notifyrules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_desktopnotify.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_chatclient.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_chatclient_events.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_chatclient_asks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_chatclient_v3.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_channelhistory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_echoes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_friends.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_labels.cpp
)
target_include_directories(velko_client_logic PUBLIC ${CMAKE_CURRENT_LIST_DIR})
find_package(Qt6 REQUIRED COMPONENTS DBus)
target_link_libraries(velko_client_logic PUBLIC velko_settings velko_engine Qt6::Core Qt6::DBus)
