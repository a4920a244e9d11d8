#include "model/PlotraDoc.h"

#include "model/EditAccess.h"
#include "model/Geometry.h"

#include <algorithm>
#include <ctime>
#include <filesystem>

namespace plotra {

CPlotraDoc::CPlotraDoc() {
    m_timeCreated = static_cast<std::int64_t>(std::time(nullptr));
}

CPlotraDoc::~CPlotraDoc() = default;

void CPlotraDoc::SetOutside(UserPrompts* prompts, Progress* progress, DocumentHost* host) {
    m_pPrompts = prompts ? prompts : &m_silentPrompts;
    m_pProgress = progress ? progress : &m_silentProgress;
    m_pHost = host ? host : &m_silentHost;
}

void CPlotraDoc::AddObserver(DocumentObserver* observer) {
    if (observer && std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
        m_observers.push_back(observer);
}

void CPlotraDoc::RemoveObserver(DocumentObserver* observer) {
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer), m_observers.end());
}

void CPlotraDoc::Notify(const ChangeNotice& notice) {
    ++m_nChangeCounter;
    m_bModified = true;
    ++m_aChangeCounts[static_cast<std::size_t>(notice.what)];
    if (m_pJournal) m_pJournal->noticeSent(notice, m_nKeepModified == 0);
    // An observer may remove itself while being told; the copy keeps the walk valid.
    const std::vector<DocumentObserver*> observers = m_observers;
    for (DocumentObserver* o : observers)
        if (std::find(m_observers.begin(), m_observers.end(), o) != m_observers.end())
            o->documentChanged(notice);
}

void CPlotraDoc::Notify(DocChange what, ApField field, std::vector<int> aps) {
    ChangeNotice notice;
    notice.what = what;
    notice.field = field;
    notice.aps = std::move(aps);
    Notify(notice);
}

CPlotraDoc::UndoableEdit::UndoableEdit(CPlotraDoc& doc, const EditSubject& subject)
    : m_doc(doc), m_outer(doc.m_nEditDepth++ == 0) {
    if (m_outer && doc.m_pJournal) doc.m_pJournal->editStarting(doc, subject);
}

CPlotraDoc::UndoableEdit::~UndoableEdit() {
    --m_doc.m_nEditDepth;
    if (m_outer && m_doc.m_pJournal) m_doc.m_pJournal->editFinished(m_doc);
}

bool CPlotraDoc::RefuseWhileBusy() const {
    if (!m_bJobRunning) return false;
    Prompts().message("A calculation is still running. Please wait until it has finished, or cancel it.",
                      "Busy", PromptIcon::Stop);
    return true;
}

bool CPlotraDoc::RefuseEditWhileBusy(DocChange resync) {
    if (!RefuseWhileBusy()) return false;
    KeepModifiedFlag keep(*this);
    Notify(resync);
    return true;
}

CPlotraDoc::SaveChoice CPlotraDoc::AskSaveModified() {
    // A project without survey data (a map at most) holds no work of the user's worth a question.
    if (!m_bModified || (m_aAPs.empty() && m_aDataPoints.size() == 0)) return SaveChoice::GoOn;
    const std::string name = m_bWorkspaceNamed ? std::filesystem::path(m_strWorkspacePath).filename().string()
                                               : std::string("Hovrin");
    const std::optional<bool> save =
        Prompts().askYesNoCancel("Save changes to " + name + "?", "Hovrin Analyzer");
    if (!save) return SaveChoice::Stop;
    return *save ? SaveChoice::Save : SaveChoice::GoOn;
}

bool CPlotraDoc::SaveModified() {
    switch (AskSaveModified()) {
    case SaveChoice::GoOn:
        return true;
    case SaveChoice::Stop:
        return false;
    case SaveChoice::Save:
        break;
    }
    OnSaveProject();
    return !m_bModified;
}

COLORREF CPlotraDoc::NextApColour() {
    m_nHue = ((m_nHue % 252) + 52) % 252;
    return HsvToRgb(m_nHue, 224, 176);
}

std::pair<double, double> CPlotraDoc::GridRectangleMetres() const {
    if (m_bMetricXY) return {m_dGridSpanX, m_dGridSpanY};
    const double oy = m_dGridOriginY, ox = m_dGridOriginX;
    return {GeoDistance(oy, ox, oy, ox + m_dGridSpanX), GeoDistance(oy, ox, oy + m_dGridSpanY, ox)};
}

std::pair<double, double> CPlotraDoc::GridRectangleDisplay() const {
    const auto [w, h] = GridRectangleMetres();
    return {w / m_dUnitFactor, h / m_dUnitFactor};
}

void CPlotraDoc::ResetResolutionSliders(bool toMaximum) {
    const auto [w, h] = GridRectangleDisplay();
    auto reset = [toMaximum](ResolutionSlider& s, double length) {
        s.minimum = length / 400.0;
        s.maximum = length / 50.0;
        if (toMaximum) s.value = s.maximum;
    };
    reset(m_panel.m_resolutionX, w);
    reset(m_panel.m_resolutionY, h);
}

} // namespace plotra
