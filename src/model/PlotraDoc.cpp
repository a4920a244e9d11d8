#include "model/PlotraDoc.h"

#include <ctime>

namespace plotra {

CPlotraDoc::CPlotraDoc() : m_timeCreated(static_cast<std::int64_t>(std::time(nullptr))) {}

CPlotraDoc::~CPlotraDoc() { JoinProcessing(); }

void CPlotraDoc::SetOutside(UserPrompts* prompts, Progress* progress, DocumentHost* host) {
    m_pPrompts = prompts ? prompts : &m_silentPrompts;
    m_pProgress = progress ? progress : &m_silentProgress;
    m_pHost = host ? host : &m_silentHost;
}

COLORREF CPlotraDoc::NextApColour() {
    m_nHue = ((m_nHue % 252) + 52) % 252;
    return HsvToRgb(m_nHue, 224, 176);
}

} // namespace plotra
