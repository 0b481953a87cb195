# Corvex.exe: no C runtime, no exceptions, no heap; it imports only system DLLs.
enable_language(RC)

include(${CMAKE_CURRENT_LIST_DIR}/cipher-flags.cmake)

# The front end is built for size (-Oz, over the build type's -Os), with the same
# CORVEX_CXX_FLAGS as the engine.

# The mend and the reading of letters run once a command, as the front end
# does: built for size as it is, not for speed as the cipher is.
set(CORVEX_SIZE_FLAGS -Oz -mno-accumulate-outgoing-args -mno-stack-arg-probe -Werror=frame-larger-than=4000
    -malign-data=abi)
set_source_files_properties(ui/letters.cpp PROPERTIES COMPILE_OPTIONS "${CORVEX_SIZE_FLAGS}")
# Without GCC's loop, "expensive" and dominator optimizations the mend is
# smaller still; it spends its time in CryptBlocks and ReadLetters.
set_source_files_properties(cipher/mend.cpp PROPERTIES COMPILE_OPTIONS
    "${CORVEX_SIZE_FLAGS};-fomit-frame-pointer;-fno-tree-loop-optimize;-fno-expensive-optimizations;-fno-tree-dominator-opts")

# Shared by Corvex.exe and the Wine tests, which run the same dialogs.
add_library(corvex_ui OBJECT
    ui/app_state.cpp
    ui/letters.cpp
    ui/text_and_key_rules.cpp
    ui/key_dialog.cpp
    ui/read_note.cpp
    ui/main_window.cpp
)
target_include_directories(corvex_ui PUBLIC ui res)
target_link_libraries(corvex_ui PUBLIC corvane_cipher)
# For size: arguments pushed rather than stored, which needs no stack probes
# (none is wanted: every frame stays under a page, and the build fails
# otherwise), and texts at the alignment the ABI asks, not 32 bytes.
target_compile_options(corvex_ui PRIVATE ${CORVEX_CXX_FLAGS} -Oz
    -mno-accumulate-outgoing-args -mno-stack-arg-probe -Werror=frame-larger-than=4000
    -malign-data=abi -Wall -Wextra -Werror=switch)
# wincrypt.h has macros of its own named CRYPT_ENCRYPT and CRYPT_DECRYPT.
target_compile_definitions(corvex_ui PUBLIC WIN32_LEAN_AND_MEAN NOCRYPT)

# Without a frame pointer these two are smaller; the others grow.
set_source_files_properties(ui/main_window.cpp ui/text_and_key_rules.cpp PROPERTIES COMPILE_OPTIONS
    -fomit-frame-pointer)

# An OBJECT library, since a STATIC one would drop the .rc object. windres
# reads the icon and the manifest too, which CMake does not see.
add_library(corvex_res OBJECT res/corvex.rc)
set_source_files_properties(res/corvex.rc PROPERTIES OBJECT_DEPENDS
    "${CMAKE_CURRENT_SOURCE_DIR}/res/corvex.ico;${CMAKE_CURRENT_SOURCE_DIR}/res/corvex.manifest")
target_include_directories(corvex_res PRIVATE res)

add_executable(Corvex WIN32 $<TARGET_OBJECTS:corvex_ui> $<TARGET_OBJECTS:corvex_res>)
set_target_properties(Corvex PROPERTIES OUTPUT_NAME Corvex LINKER_LANGUAGE CXX)
# Hardened as far as GCC and binutils can: ASLR and DEP, no structured
# exception handlers (it has none, so none may be called), and aware of
# terminal servers. Subsystem 4.0, so that it loads from Windows XP on.
target_link_options(Corvex PRIVATE
    -nostdlib -nostartfiles -Wl,-e,_CorvexStart
    -Wl,--gc-sections -s -Wl,--no-insert-timestamp
    -Wl,--dynamicbase,--nxcompat,--no-seh,--tsaware
    -Wl,--major-subsystem-version,4,--minor-subsystem-version,0)
target_link_libraries(Corvex PRIVATE corvane_cipher kernel32 user32 comctl32 gcc)

# How often Decrypt tells a wrong key, with the check as Corvex.exe has it
# (scripts/detection.sh runs it under each code page).
add_executable(detection_bench bench/detection.cpp)
target_link_libraries(detection_bench PRIVATE corvex_ui user32 comctl32)
target_include_directories(detection_bench PRIVATE tests/ui)
target_link_options(detection_bench PRIVATE -static)
