# The lobby download window: its sources, its banner picture and the
# libraries it needs (libcurl through lexiclash_http, libjpeg for the banner).
find_package(JPEG REQUIRED)

target_sources(lexiclash_widgets PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/jpegdecode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jpegdecode.h
  ${CMAKE_CURRENT_LIST_DIR}/tdownload.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tdownload.h
)
qt_add_resources(lexiclash_widgets tdownload_pictures
  PREFIX /dialogs
  BASE ${PROJECT_SOURCE_DIR}/resources/dialogs
  FILES ${PROJECT_SOURCE_DIR}/resources/dialogs/banner.jpg
)
# Plain paths rather than JPEG::JPEG: the window library was made in the
# parent folder, where this folder's imported targets are not visible.
target_include_directories(lexiclash_widgets PRIVATE ${JPEG_INCLUDE_DIRS})
target_link_libraries(lexiclash_widgets PUBLIC lexiclash_http ${JPEG_LIBRARIES})
