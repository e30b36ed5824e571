# kvat: the scene graph, the motion model and the BVH reader (scanner and
# parser generated at build time from bvh/bvh_scanner.l and bvh/bvh_grammar.y).
set(KVAT_SOURCES
  scene/kv_matrix.cpp
  scene/kv_node.cpp
  scene/kv_item_transform.cpp
  scene/kv_file_name.cpp
  motion/kv_motion.cpp
  motion/kv_sample_arena.cpp)

set(BVH_GEN ${PROJECT_BINARY_DIR}/bvh_gen)
file(MAKE_DIRECTORY ${BVH_GEN})
bison_target(BvhGrammar bvh/bvh_grammar.y ${BVH_GEN}/bvh_grammar.cpp
             DEFINES_FILE ${BVH_GEN}/bvh_grammar.hpp)
flex_target(BvhScanner bvh/bvh_scanner.l ${BVH_GEN}/bvh_scanner.cpp
            DEFINES_FILE ${BVH_GEN}/bvh_scanner.hpp)
add_flex_bison_dependency(BvhScanner BvhGrammar)
list(APPEND KVAT_SOURCES bvh/attribute_bvh.cpp bvh/bvh_root.cpp bvh/bvh_reader.cpp bvh/bvh_source.cpp
     bvh/bvh_numbers.cpp bvh/bvh_tokens.cpp ${BISON_BvhGrammar_OUTPUTS} ${FLEX_BvhScanner_OUTPUTS})
# Generated code gets a lighter warning set than ours.
set_source_files_properties(${BISON_BvhGrammar_OUTPUTS} ${FLEX_BvhScanner_OUTPUTS}
  PROPERTIES COMPILE_OPTIONS "-Wno-error;-Wno-unused-function;-Wno-sign-compare;-Wno-unused-parameter")

add_library(kvat STATIC ${KVAT_SOURCES})
# Other layers see the scene graph, the motion model, the skeleton and its
# attribute, and the diagnostics sink; the scanner and parser internals and
# the generated headers stay inside (tests that check them add the two
# private folders themselves, see KVAT_PRIVATE_INCLUDES).
set(KVAT_PRIVATE_INCLUDES ${PROJECT_SOURCE_DIR}/bvh/internal ${BVH_GEN})
target_include_directories(kvat PUBLIC
  ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR}/motion ${PROJECT_SOURCE_DIR}/bvh
  PRIVATE ${KVAT_PRIVATE_INCLUDES})
boneplay_warnings(kvat)
