# How Corvex.exe compiles the cipher engine (and, in CORVEX_CXX_FLAGS, what
# all of its code shares). The 32-bit benchmark build (preset
# host32-release) includes this too, so it times the code that ships.
#
# The engine alone is built for speed: a key schedule runs on every command.
# -fno-tree-reassoc keeps each round as written, the subkey mixed into the
# half that waits for F; reassociated, GCC mixes it into F's result, which
# puts it on the chain of dependent rounds. Loops stay loops, since without
# a C runtime there is no memset or memcpy to call. No -fdata-sections: with
# it GCC puts zero-filled areas in .data on PE targets, where they take room
# in the file. 32-bit Windows keeps the stack 4-byte aligned, not 16 as
# GCC assumes: nothing may count on more, on entry or at a call, or code
# that a flag or a newer compiler vectorises would fault on Windows alone.
set(CORVEX_CXX_FLAGS
    -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
    -fno-tree-loop-distribute-patterns -ffunction-sections
    -mincoming-stack-boundary=2 -mpreferred-stack-boundary=2)
target_compile_options(corvane_cipher PRIVATE -O2 -fno-tree-reassoc ${CORVEX_CXX_FLAGS})
