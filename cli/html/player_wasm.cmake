# The HTML player's engine: the engine's format, raster and playback code
# compiled to WebAssembly with emscripten, then embedded in vellograph-cli
# with the page's HTML and script, so that the html command needs no compiler.
option(VELLOGRAPH_HTML_PLAYER "Build the html command's WebAssembly player (needs emscripten)" ON)

set(VELLOGRAPH_HTML_DIR ${PROJECT_SOURCE_DIR}/cli/html)
set(VELLOGRAPH_PLAYER_ASSETS ${CMAKE_CURRENT_BINARY_DIR}/html/player_assets.cpp)
set(VELLOGRAPH_PLAYER_WASM ${CMAKE_CURRENT_BINARY_DIR}/html/player.wasm)

if(NOT VELLOGRAPH_HTML_PLAYER)
  # Without the player the command says so instead of writing a page.
  set(VELLOGRAPH_PLAYER_WASM "")
else()
  find_program(VELLOGRAPH_EMXX em++)
  if(NOT VELLOGRAPH_EMXX)
    message(FATAL_ERROR "em++ not found: install emscripten (scripts/install-deps.sh), "
                        "or configure with -DVELLOGRAPH_HTML_PLAYER=OFF")
  endif()
  set(engine ${PROJECT_SOURCE_DIR}/engine)
  set(player_sources
    ${VELLOGRAPH_HTML_DIR}/player_engine.cpp
    ${engine}/format/record.cpp
    ${engine}/format/running.cpp
    ${engine}/playback/fit.cpp
    ${engine}/playback/render.cpp
    ${engine}/playback/view.cpp
    ${engine}/raster/canvas.cpp
    ${engine}/raster/canvas_cap.cpp
    ${engine}/raster/canvas_fill.cpp
    ${engine}/raster/canvas_line.cpp
    ${engine}/raster/canvas_rows.cpp
    ${engine}/raster/canvas_stamp.cpp
    ${engine}/raster/canvas_wide.cpp
  )
  set(player_headers
    ${engine}/format/drawing.h
    ${engine}/format/record.h
    ${engine}/format/record_rules.h
    ${engine}/format/running.h
    ${engine}/io/file_identity.h
    ${engine}/playback/fit.h
    ${engine}/playback/host.h
    ${engine}/playback/played_records.h
    ${engine}/playback/render.h
    ${engine}/playback/view.h
    ${engine}/raster/canvas.h
    ${engine}/raster/canvas_raster.h
    ${engine}/raster/canvas_row_blocks.h
    ${engine}/raster/canvas_rows.h
  )
  set(player_exports _vg_angle _vg_records _vg_loaded _vg_view _vg_seek _vg_next_hold _vg_hold_ms _vg_fit
                     _vg_played _vg_frame _malloc)
  string(REPLACE ";" "," player_exports "${player_exports}")
  # Small and self-contained: no exceptions or RTTI, no file system, no
  # JavaScript runtime (the page instantiates the module itself), the same
  # floating-point rules as the native engine. -O3 plays a third faster than
  # -Oz for about the same 35 KB. Debian's emscripten ships its system
  # libraries prebuilt in a frozen cache, so nothing is built on first use
  # (another EM_CACHE would be an empty cache it refuses to fill); its tools
  # find their JavaScript modules through Debian's nodejs whichever node
  # comes first on PATH.
  add_custom_command(OUTPUT ${VELLOGRAPH_PLAYER_WASM}
    COMMAND ${CMAKE_COMMAND} -E env --unset=EM_CACHE NODE_PATH=/usr/share/nodejs
            ${VELLOGRAPH_EMXX} -std=c++20 -O3 -DNDEBUG -fno-exceptions -fno-rtti
            -ffp-contract=off -fno-fast-math -I${PROJECT_SOURCE_DIR}
            ${player_sources} --no-entry -sSTANDALONE_WASM -sFILESYSTEM=0 -sMALLOC=emmalloc
            -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=2147483648
            -sEXPORTED_FUNCTIONS=${player_exports} --js-library ${VELLOGRAPH_HTML_DIR}/player_imports.js
            -o ${VELLOGRAPH_PLAYER_WASM}
    DEPENDS ${player_sources} ${player_headers} ${VELLOGRAPH_HTML_DIR}/player_imports.js
    COMMENT "Compiling the HTML player's engine to WebAssembly"
    VERBATIM)
endif()

add_custom_command(OUTPUT ${VELLOGRAPH_PLAYER_ASSETS}
  COMMAND ${CMAKE_COMMAND} -DOUT=${VELLOGRAPH_PLAYER_ASSETS} -DWASM=${VELLOGRAPH_PLAYER_WASM}
          -DPAGE=${VELLOGRAPH_HTML_DIR}/player.html -DSCRIPT=${VELLOGRAPH_HTML_DIR}/player.js
          -P ${VELLOGRAPH_HTML_DIR}/embed_assets.cmake
  DEPENDS ${VELLOGRAPH_PLAYER_WASM} ${VELLOGRAPH_HTML_DIR}/player.html
          ${VELLOGRAPH_HTML_DIR}/player.js ${VELLOGRAPH_HTML_DIR}/embed_assets.cmake
  COMMENT "Embedding the HTML player"
  VERBATIM)
