# The browser page: the game as WebAssembly with the runner inside (platform/entry/
# web_main.cpp), the bundled data packed into the page's file system, WebGL 2, and the
# main loop unwound once a frame by Asyncify (platform/sdl/browser.h). Included by
# cmake/linux.cmake when the toolchain is Emscripten's (cmake/emscripten.cmake).

# The resources are linked into the platform layer as data, as on the desktop.
function(vantrel_add_resources target)
endfunction()

set(VANTREL_WEB_PAGE_FILES ${PROJECT_SOURCE_DIR}/tools/web/index.html ${PROJECT_SOURCE_DIR}/tools/web/data.js)
# The page's zip library from npm, installed by tools/web/build.sh from tools/web/lib's lock
# file; its browser build goes beside the page with its licence.
set(VANTREL_WEB_FFLATE ${PROJECT_SOURCE_DIR}/tools/web/lib/node_modules/fflate CACHE PATH
    "fflate's npm package, for the page's .zip files")
if(NOT EXISTS ${VANTREL_WEB_FFLATE}/umd/index.js)
  message(FATAL_ERROR "No fflate in ${VANTREL_WEB_FFLATE}: build the page with tools/web/build.sh, "
                      "which installs it (npm ci in tools/web/lib)")
endif()

function(vantrel_add_entry target)
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/platform/entry/web_main.cpp
                                   ${PROJECT_SOURCE_DIR}/platform/entry/user_data.cpp
                                   ${PROJECT_SOURCE_DIR}/tools/replay/run.cpp
                                   ${PROJECT_SOURCE_DIR}/tools/replay/script.cpp)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/platform/entry)
  target_link_libraries(${target} PRIVATE vantrel_dump)
  set_target_properties(${target} PROPERTIES SUFFIX ".js")
  # Only what the game reads, as the install rules take it.
  file(GLOB data_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/*.dat ${PROJECT_SOURCE_DIR}/data/*.png
       ${PROJECT_SOURCE_DIR}/data/*.jpg)
  set(packed ${PROJECT_BINARY_DIR}/packed-data)
  set(copies)
  foreach(file ${data_files})
    get_filename_component(name ${file} NAME)
    configure_file(${file} ${packed}/${name} COPYONLY)
    list(APPEND copies ${packed}/${name})
  endforeach()
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${copies})
  # The platform reads a name pointer below 64 KiB as a resource number (MAKEINTRESOURCE):
  # WebAssembly would put the program's own strings there, so its data starts above.
  target_link_options(${target} PRIVATE
    -sGLOBAL_BASE=1048576
    -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
    -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2
    -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1
    -sEXPORTED_RUNTIME_METHODS=FS
    -lidbfs.js
    "SHELL:--preload-file ${packed}@/usr/share/vantrel")
  configure_file(${PROJECT_SOURCE_DIR}/resources/icons/vantrel-64.png ${PROJECT_BINARY_DIR}/icon.png COPYONLY)
  configure_file(${VANTREL_WEB_FFLATE}/umd/index.js ${PROJECT_BINARY_DIR}/fflate.js COPYONLY)
  configure_file(${VANTREL_WEB_FFLATE}/LICENSE ${PROJECT_BINARY_DIR}/fflate-LICENSE.txt COPYONLY)
  foreach(page ${VANTREL_WEB_PAGE_FILES})
    get_filename_component(name ${page} NAME)
    configure_file(${page} ${PROJECT_BINARY_DIR}/${name} COPYONLY)
  endforeach()
endfunction()
