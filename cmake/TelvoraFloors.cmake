# The floors of the add-in as the build enforces them. Each folder of src/ is its own library that
# links only to the floors below it, and sees only their headers: its include root in the build
# tree holds a link to its own folder alone, and a library inherits the roots of what it links.
# An include that runs back up a floor therefore fails to compile, and a call that does fails to
# link. docs/architecture.md draws the floors.
set(TELVORA_SOURCE_ROOT ${CMAKE_SOURCE_DIR}/src)
set(TELVORA_FLOORS_DIR ${CMAKE_BINARY_DIR}/floors)

# telvora_include_root(target folder scope): `target` reaches "folder/..." headers (folder is a
# path below src/, such as "sim/word") through a root that holds that folder and nothing else.
function(telvora_include_root target folder scope)
  set(root ${TELVORA_FLOORS_DIR}/${target})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${TELVORA_SOURCE_ROOT}/${folder} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} ${scope} ${root})
endfunction()

# telvora_floor(target folder [libraries below ...]): the library of one folder's sources.
function(telvora_floor target folder)
  file(GLOB sources CONFIGURE_DEPENDS ${TELVORA_SOURCE_ROOT}/${folder}/*.cpp)
  if(sources)
    add_library(${target} STATIC ${sources})
    set(scope PUBLIC)
  else()
    # A floor whose code is all in headers, or a command folder that has not landed yet.
    add_library(${target} INTERFACE)
    set(scope INTERFACE)
  endif()
  telvora_include_root(${target} ${folder} ${scope})
  target_link_libraries(${target} ${scope} ${ARGN})
endfunction()
