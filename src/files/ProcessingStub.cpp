// placeholder until processing lands
#include "model/PlotraDoc.h"

namespace plotra {

// placeholder until processing lands
bool CPlotraDoc::LoadSurveyFiles() {
    return false;
}

// placeholder until processing lands
void CPlotraDoc::ComputeExtent(int, int, int) {}

} // namespace plotra
