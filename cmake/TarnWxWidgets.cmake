# wxWidgets, found once. Two interface targets: tarn::wxbase (strings, logs,
# files, threads, XML: no display) and tarn::wxgui (windows, drawing; needs X).
find_package(wxWidgets 3.2 REQUIRED COMPONENTS core xml base)

set(TARN_WX_GUI_LIBS ${wxWidgets_LIBRARIES})
set(TARN_WX_BASE_LIBS ${wxWidgets_LIBRARIES})
# Everything but the display libraries (wx_gtk3u_core and friends).
list(FILTER TARN_WX_BASE_LIBS EXCLUDE REGEX "wx_gtk|_core-")

add_library(tarn_wxbase INTERFACE)
target_include_directories(tarn_wxbase SYSTEM INTERFACE ${wxWidgets_INCLUDE_DIRS})
target_compile_definitions(tarn_wxbase INTERFACE ${wxWidgets_DEFINITIONS})
target_compile_options(tarn_wxbase INTERFACE ${wxWidgets_CXX_FLAGS})
target_link_libraries(tarn_wxbase INTERFACE ${TARN_WX_BASE_LIBS})
add_library(tarn::wxbase ALIAS tarn_wxbase)

add_library(tarn_wxgui INTERFACE)
target_link_libraries(tarn_wxgui INTERFACE tarn_wxbase ${TARN_WX_GUI_LIBS})
add_library(tarn::wxgui ALIAS tarn_wxgui)
