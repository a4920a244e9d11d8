// libFuzzer target: projection files and the picture decoder. Any bytes must be loaded or refused
// without crashing, hanging, reading out of bounds or allocating beyond what the bytes justify; the
// table decoder must agree with the tree walk on every count table and stream.
#include "files/BmpImage.h"
#include "files/HuffmanTree.h"
#include "model/Bytes.h"
#include "model/PlotraDoc.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    {
        plotra::CPlotraDoc doc;
        if (doc.ReadProjectionFile(bytes)) {
            // Every decoded byte costs at least one bit of the file.
            if (doc.Map().m_aMapImage.size() > size * 8) __builtin_trap();
            if (!plotra::CheckBmpImage(doc.Map().m_aMapImage)) __builtin_trap();
            if (doc.Map().m_nMapImageSize != static_cast<int>(doc.Map().m_aMapImage.size())) __builtin_trap();
        }
    }
    // The decoders on their own: the first 1024 bytes are the counts, the rest the stream.
    if (size >= 1024) {
        std::array<std::uint32_t, 256> counts{};
        for (std::size_t i = 0; i < 256; ++i)
            counts[i] = plotra::LoadU32(data + 4 * i);
        const plotra::CHuffmanTree tree(counts);
        // An exact-size heap copy, so that the sanitizer sees any read past the stream.
        const std::vector<std::uint8_t> stream(data + 1024, data + size);
        const std::size_t want = std::min<std::size_t>(stream.size() * 8 + 8, 1u << 16);
        std::vector<std::uint8_t> fast(want), ref(want);
        const std::size_t nFast = tree.Decode(stream, fast);
        const std::size_t nRef = tree.DecodeTreeWalk(stream, ref);
        if (nFast != nRef ||
            !std::equal(fast.begin(), fast.begin() + static_cast<std::ptrdiff_t>(nFast), ref.begin()))
            __builtin_trap();
    }
    return 0;
}
