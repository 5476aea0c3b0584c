// Built without libbz2 and liblzma: such entries are refused.
#include "engine/Decoder.h"

namespace engine {

std::unique_ptr<Decoder> MakeBzip2Decoder() {
    return nullptr;
}

std::unique_ptr<Decoder> MakeLzmaDecoder() {
    return nullptr;
}

} // namespace engine
