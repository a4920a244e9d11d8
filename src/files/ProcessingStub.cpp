// placeholder until processing lands
#include "model/PlotraDoc.h"

namespace plotra {
bool CPlotraDoc::LoadSurveyFiles() { return false; }
void CPlotraDoc::ComputeExtent(int, int, int) {}
} // namespace plotra
