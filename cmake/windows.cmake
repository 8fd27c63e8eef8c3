# The Windows program, its window layer and the tests that run under Wine.
add_library(kolvar_win STATIC
  platform/text.cpp
  platform/fs.cpp
  platform/dialogs.cpp
  platform/shell.cpp
  platform/message_loop.cpp
  platform/forms.cpp
  platform/owner_list.cpp
  platform/glyphs.cpp
  platform/file_source.cpp
  platform/file_stream.cpp
  platform/date_text.cpp
  platform/input_box.cpp
  platform/batch_probe.cpp
  platform/file_rewrite.cpp
  platform/file_widgets.cpp
  media/exif_file.cpp
  media/id3v2_file.cpp
  media/mp3_tag_fill.cpp
  app/uMain.cpp
  app/app_message.cpp
  app/file_search.cpp
  app/list_tools.cpp
  app/uFileInfo.cpp
  transfer/transfer_run.cpp
  transfer/folder_files.cpp
  transfer/run_undo.cpp
  platform/journal_file.cpp
  transfer/file_copy.cpp
  transfer/exif_date.cpp
  commands/expand_commands.cpp
  commands/batch_buttons.cpp
  chooser/fvybersoub_2.cpp
  chooser/folder_buttons.cpp
)
target_link_libraries(kolvar_win PUBLIC kolvar_core comctl32 shell32 gdi32 user32)

enable_language(RC)
add_executable(Kolvar_files WIN32 app/main.cpp app/Kolvar_files.rc)
target_link_libraries(Kolvar_files PRIVATE kolvar_win)
target_link_options(Kolvar_files PRIVATE -municode)

add_executable(kolvar_probe scripts/probe.cpp)
target_link_options(kolvar_probe PRIVATE -municode)

add_library(kolvar_win_1250 STATIC tests/text_1250/id3v2_file_1250.cpp tests/text_1250/mp3_tag_1250.cpp)
target_link_libraries(kolvar_win_1250 PUBLIC kolvar_core_1250 kolvar_win)

add_executable(gui_tests
  tests/platform/upper_case_test.cpp
  tests/platform/input_box_test.cpp
  tests/app/gui_fixture.cpp
  tests/app/main_window_test.cpp
  tests/app/app_message_test.cpp
  tests/app/file_search_test.cpp
  tests/transfer/transfer_run_test.cpp
  tests/transfer/run_property_test.cpp
  tests/transfer/undo_test.cpp
  tests/transfer/run_cases.cpp
  tests/transfer/any_name_test.cpp
  tests/app/list_tools_test.cpp
  tests/commands/batch_test.cpp
  tests/chooser/chooser_test.cpp
  tests/media/exif_file_test.cpp
  tests/media/id3v2_file_test.cpp
  tests/media/mp3_tag_fill_test.cpp
)
target_link_libraries(gui_tests PRIVATE kolvar_win_1250 GTest::gtest_main)
# A second process that reads the program's lists as a screen reader does.
add_executable(list_reader tests/app/list_reader.cpp)
target_link_options(list_reader PRIVATE -municode)
add_dependencies(gui_tests list_reader)
# The program's run in a process of its own, for the test that kills a copy.
add_executable(copy_child tests/transfer/copy_child.cpp)
target_link_libraries(copy_child PRIVATE kolvar_win)
target_link_options(copy_child PRIVATE -municode)
add_dependencies(gui_tests copy_child)
gtest_discover_tests(gui_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)

# Benchmarks: built with everything else, so that a change that breaks one
# fails the build; run only by the scripts in bench/, never by ctest.
add_executable(list_bench bench/list_bench.cpp)
target_link_libraries(list_bench PRIVATE kolvar_win)
target_link_options(list_bench PRIVATE -municode)
add_executable(transfer_bench bench/transfer_bench.cpp)
target_link_libraries(transfer_bench PRIVATE kolvar_win)
target_link_options(transfer_bench PRIVATE -municode)
add_executable(chooser_bench bench/chooser_bench.cpp)
target_link_libraries(chooser_bench PRIVATE kolvar_win)
target_link_options(chooser_bench PRIVATE -municode)
add_executable(responsiveness_bench bench/responsiveness_bench.cpp)
target_link_libraries(responsiveness_bench PRIVATE kolvar_win)
target_link_options(responsiveness_bench PRIVATE -municode)
add_executable(memory_bench bench/memory_bench.cpp)
target_link_libraries(memory_bench PRIVATE kolvar_win psapi)
target_link_options(memory_bench PRIVATE -municode)
add_executable(exif_bench bench/exif_bench.cpp)
target_link_libraries(exif_bench PRIVATE kolvar_win)
target_link_options(exif_bench PRIVATE -municode)

# Interoperability of the tag writer and reader with mutagen and id3v2.
add_executable(id3_tool tests/media/id3_tool.cpp)
target_link_libraries(id3_tool PRIVATE kolvar_win_1250)
target_link_options(id3_tool PRIVATE -municode)
add_test(NAME ID3Interop.MutagenAndId3v2
         COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/media/id3_interop.py
                 ${CMAKE_SOURCE_DIR}/scripts/wine-run $<TARGET_FILE:id3_tool>)
