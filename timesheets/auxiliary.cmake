# Auxiliary works: the journal of a day's entries with the average piece
# rate, and the entry editor. Rules: no widgets.
add_library(tabel_auxworks STATIC
  ${CMAKE_CURRENT_LIST_DIR}/auxiliaryjournal.h ${CMAKE_CURRENT_LIST_DIR}/auxiliaryjournal.cpp
  ${CMAKE_CURRENT_LIST_DIR}/auxiliaryentry.h ${CMAKE_CURRENT_LIST_DIR}/auxiliaryentry.cpp
)
target_include_directories(tabel_auxworks PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(tabel_auxworks PUBLIC tabel_data tabel_journal tabel_reference)

# Their windows.
add_library(tabel_auxworks_ui STATIC
  ${CMAKE_CURRENT_LIST_DIR}/auxiliarynames.h
  ${CMAKE_CURRENT_LIST_DIR}/auxiliaryjournalwindow.h ${CMAKE_CURRENT_LIST_DIR}/auxiliaryjournalwindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/auxiliaryentrywindow.h ${CMAKE_CURRENT_LIST_DIR}/auxiliaryentrywindow.cpp
)
target_link_libraries(tabel_auxworks_ui PUBLIC tabel_auxworks tabel_app_widgets)

# The start-up creates these windows and wires them to the shift journal.
target_link_libraries(tabel_app_ui PUBLIC tabel_auxworks_ui)
