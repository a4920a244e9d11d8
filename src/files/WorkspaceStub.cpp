// placeholder until the workspace writer lands
#include "model/PlotraDoc.h"

namespace plotra {

bool CPlotraDoc::WriteWorkspace(const std::string&) {
    return false;
}

} // namespace plotra
