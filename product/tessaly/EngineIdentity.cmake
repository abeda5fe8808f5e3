# Writes the size and SHA-256 digest of the built engine as C++ (cmake -P):
#   -DENGINE=<tsly.dll> -DOUT=<EngineIdentity.cpp>
# The output changes only when the engine does, so the program relinks only then.
file(SIZE "${ENGINE}" size)
file(SHA256 "${ENGINE}" digest)
file(WRITE "${OUT}.new" "// Generated from the engine file by EngineIdentity.cmake.
#include \"product/tessaly/Engine.h\"

namespace tessaly {
const EngineIdentity kBuiltEngine{${size}, \"${digest}\"};
}
")
file(COPY_FILE "${OUT}.new" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.new")
