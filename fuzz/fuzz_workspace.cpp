// libFuzzer target: the workspace reader must accept or refuse any bytes without crashing, hanging or
// allocating beyond what the bytes justify; whatever it accepts must write back into a workspace that
// reads again and then writes the same bytes.
#include "model/PlotraDoc.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    plotra::CPlotraDoc doc;
    if (!doc.ReadWorkspace(std::span<const std::uint8_t>(data, size))) return 0;
    const std::vector<std::uint8_t> first = doc.EncodeWorkspace();
    plotra::CPlotraDoc again;
    if (!again.ReadWorkspace(first)) __builtin_trap();
    if (again.EncodeWorkspace() != first) __builtin_trap();
    return 0;
}
