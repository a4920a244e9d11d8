// placeholder until the projection reader lands
#include "model/PlotraDoc.h"

namespace plotra {

bool CPlotraDoc::ReadProjectionFile(std::span<const std::uint8_t>) {
    return false;
}

void CPlotraDoc::OpenProjectionFile() {}

} // namespace plotra
