# Each layer of src/ is a library whose headers are included as
# "<layer>/<file>.h".  A library exposes only its own folder, through a folder
# of the build tree that holds nothing but a link to it, so that a file sees
# the layers its library links and no other: an include that runs up a layer
# does not compile.  (src/ itself on the include path would show every layer
# to every file.)
function(expose_layer target folder)
  set(view ${CMAKE_BINARY_DIR}/layers/${target})
  get_filename_component(name ${folder} NAME)
  file(MAKE_DIRECTORY ${view})
  file(CREATE_LINK ${folder} ${view}/${name} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${view})
endfunction()
