# The Windows build's platform layer: the platform's own windows.h, d3d8.h and dinput.h, with
# the project's D3DX8 and platform/win32 under the same game targets as CMakeLists.txt.
# Configure with -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake (see tools/windows/).

# The platform folder is searched after the system headers, so the real windows.h, d3d8.h
# and dinput.h win and only d3dx8.h and stand_in.h come from the project.
include_directories(${PROJECT_SOURCE_DIR})
add_compile_options(-idirafter ${PROJECT_SOURCE_DIR}/platform)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX DIRECTINPUT_VERSION=0x0800)
# Everything outside the platform layer reaches the tick count, the message queue and
# Direct3DCreate8 through it, so the runner's virtual clock and script work here too.
set(VANTREL_PLATFORM_CALLS ${PROJECT_SOURCE_DIR}/platform/win32/platform_calls.h)
add_compile_options("SHELL:-include ${VANTREL_PLATFORM_CALLS}")
# No DLL of the compiler's runtime to ship next to the program.
add_link_options(-static -static-libgcc -static-libstdc++)

# The SDK has no import library for Direct3DCreate8.
set(VANTREL_D3D8_IMPORT ${PROJECT_BINARY_DIR}/libd3d8.a)
add_custom_command(OUTPUT ${VANTREL_D3D8_IMPORT}
  COMMAND ${CMAKE_DLLTOOL} -d ${PROJECT_SOURCE_DIR}/platform/win32/d3d8.def -l ${VANTREL_D3D8_IMPORT}
  DEPENDS ${PROJECT_SOURCE_DIR}/platform/win32/d3d8.def
  COMMENT "Import library for d3d8.dll")
add_custom_target(vantrel_d3d8_import DEPENDS ${VANTREL_D3D8_IMPORT})
add_library(vantrel_d3d8 INTERFACE)
add_dependencies(vantrel_d3d8 vantrel_d3d8_import)
target_link_libraries(vantrel_d3d8 INTERFACE ${VANTREL_D3D8_IMPORT})

# platform/common holds what both layers share (the scripted pass, the input state, the
# test switches); it sees no SDL.
file(GLOB VANTREL_PLATFORM_SOURCES CONFIGURE_DEPENDS platform/win32/*.cpp platform/d3dx/*.cpp platform/common/*.cpp)
add_library(vantrel_platform STATIC ${VANTREL_PLATFORM_SOURCES})
target_compile_definitions(vantrel_platform PRIVATE VANTREL_PLATFORM_LAYER)
target_link_libraries(vantrel_platform PUBLIC vantrel_d3d8 dinput8 dxguid PNG::PNG JPEG::JPEG ZLIB::ZLIB)

# Icon files for the resource compiler, made from the icon images at build time: an icon
# entry may hold PNG data as it is.
set(VANTREL_ICON_DIR ${PROJECT_BINARY_DIR}/resources)
set(VANTREL_ICON_SCRIPT ${PROJECT_SOURCE_DIR}/tools/windows/png-to-ico.sh)
set(icon_png_107 ${PROJECT_SOURCE_DIR}/resources/icon107.png ${PROJECT_SOURCE_DIR}/resources/icon108.png)
set(icon_png_108 ${PROJECT_SOURCE_DIR}/resources/icon108.png)
set(VANTREL_ICONS)
foreach(id 107 108)
  add_custom_command(OUTPUT ${VANTREL_ICON_DIR}/icon${id}.ico
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VANTREL_ICON_DIR}
    COMMAND sh ${VANTREL_ICON_SCRIPT} ${VANTREL_ICON_DIR}/icon${id}.ico ${icon_png_${id}}
    DEPENDS ${VANTREL_ICON_SCRIPT} ${icon_png_${id}}
    COMMENT "Icon ${id}")
  list(APPEND VANTREL_ICONS ${VANTREL_ICON_DIR}/icon${id}.ico)
endforeach()
set(VANTREL_RC ${PROJECT_SOURCE_DIR}/resources/vantrel.rc)
set_source_files_properties(${VANTREL_RC} PROPERTIES OBJECT_DEPENDS "${VANTREL_ICONS}")

# Every program carries the class icons and the menu, as the game looks them up by id.
function(vantrel_add_resources target)
  target_sources(${target} PRIVATE ${VANTREL_RC})
  target_include_directories(${target} PRIVATE ${VANTREL_ICON_DIR} ${PROJECT_SOURCE_DIR}/resources)
endfunction()

# The real WinMain is the entry of a GUI program; the runtime asks for it only after the
# game library has been passed over, so the linker is told to take it from there.
function(vantrel_add_entry target)
  set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
  vantrel_add_resources(${target})
  target_link_options(${target} PRIVATE -Wl,--undefined=WinMain)
endfunction()

# The Windows job's own helpers, after the game's targets.
function(vantrel_add_windows_tools)
  # Reads the class icons and the menu back out of vantrel.exe, for the Windows job.
  add_executable(vantrel-resource-check tools/windows/resource_check.cpp)

  # Prints every constant of the stand-in windows.h, d3d8.h and dinput.h as the platform's own
  # headers define it; the Windows job compares that with the stand-ins' values.
  set(VANTREL_CONSTANTS_SOURCE ${PROJECT_BINARY_DIR}/header_constants.cpp)
  set(VANTREL_CONSTANTS_SCRIPT ${PROJECT_SOURCE_DIR}/tools/windows/header-constants.sh)
  add_custom_command(OUTPUT ${VANTREL_CONSTANTS_SOURCE}
    COMMAND sh ${VANTREL_CONSTANTS_SCRIPT} ${PROJECT_SOURCE_DIR}/platform > ${VANTREL_CONSTANTS_SOURCE}
    DEPENDS ${VANTREL_CONSTANTS_SCRIPT} ${PROJECT_SOURCE_DIR}/platform/windows.h
            ${PROJECT_SOURCE_DIR}/platform/d3d8.h ${PROJECT_SOURCE_DIR}/platform/dinput.h
    COMMENT "Constants of the stand-in headers")
  add_executable(vantrel-header-constants ${VANTREL_CONSTANTS_SOURCE})
endfunction()
