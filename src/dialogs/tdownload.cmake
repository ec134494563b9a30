# The lobby download window: its sources, its banner picture and the
# libraries it needs (libcurl through lexiclash_http, libjpeg for the banner).
find_package(JPEG REQUIRED)

target_sources(lexiclash_dialogs PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/jpegdecode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jpegdecode.h
  ${CMAKE_CURRENT_LIST_DIR}/tdownload.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tdownload.h
)
qt_add_resources(lexiclash_dialogs tdownload_pictures
  PREFIX /dialogs
  BASE ${PROJECT_SOURCE_DIR}/resources/dialogs
  FILES ${PROJECT_SOURCE_DIR}/resources/dialogs/banner.jpg
)
target_link_libraries(lexiclash_dialogs PUBLIC lexiclash_http JPEG::JPEG)
