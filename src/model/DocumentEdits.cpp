// The edits of the control panel and the graph window's toggles: display settings, display modes,
// panel sections, report notes and the switch to the table window. Each does every side effect of
// its gesture and sends one notice.
#include "model/CoverageColours.h"
#include "model/PlotraDoc.h"
#include "model/ViewState.h"

#include <algorithm>

namespace plotra {

void CPlotraDoc::SetDisplayMode(DisplayMode mode) {
    if (RefuseEditWhileBusy(DocChange::Display)) return;
    UndoableEdit edit(*this, EditSubject{"Display Settings"});
    DisplaySettings::SetMode(mode);
    Notify(DisplayNotice(DisplaySetting::DisplayMode));
}

void CPlotraDoc::SetMultipleContours(bool on) {
    if (RefuseEditWhileBusy(DocChange::Display)) return;
    UndoableEdit edit(*this, EditSubject{"Display Settings"});
    DisplaySettings::SetMode(on ? DisplayMode::MultipleContours : DisplayMode::Coverage);
    Notify(DisplayNotice(DisplaySetting::DisplayMode));
}

std::pair<int, int> CPlotraDoc::ContourSliderRange() const {
    const auto [low, high] = FactsOf(Graph()).range(*this);
    return {TruncPixel(low), TruncPixel(high)};
}

void CPlotraDoc::SetGraphType(GraphKind kind) {
    if (RefuseEditWhileBusy(DocChange::Display)) return;
    UndoableEdit edit(*this, EditSubject{"Display Settings"});
    m_nGraphType = StoredValue(kind);
    const auto [low, high] = ContourSliderRange();
    m_panel.m_nContourLow = low;
    m_panel.m_nContourHigh = high;
    // The section stays open: the user compares the graphs by clicking through its choices.
    Notify(DisplayNotice(DisplaySetting::GraphType));
}

void CPlotraDoc::SetTransparency(int percent) {
    SetAlpha(std::clamp(percent, 0, 100) * 255 / 100);
}

void CPlotraDoc::SetAlpha(int alpha) {
    if (RefuseEditWhileBusy(DocChange::Display)) return;
    UndoableEdit edit(*this, EditSubject{"Display Settings"});
    m_nAlpha = std::clamp(alpha, 0, 255);
    Notify(DisplayNotice(DisplaySetting::Alpha));
}

void CPlotraDoc::SetPowerRange(int low, int high) {
    if (RefuseEditWhileBusy(DocChange::Display)) return;
    EditSubject subject{"Display Settings"};
    subject.tickedPictures = true;
    UndoableEdit edit(*this, subject);
    if (!m_bDataLoaded) return;
    m_nPowerRangeLow = low;
    m_nPowerRangeHigh = high;
    // The AP pictures are shaded over this range; the ticked ones follow at once.
    RegenerateTickedApPictures();
    Notify(DisplayNotice(DisplaySetting::PowerRange, ApField::Picture));
}

void CPlotraDoc::SetResolution(bool yAxis, double value) {
    if (RefuseEditWhileBusy(DocChange::Display)) return;
    UndoableEdit edit(*this, EditSubject{"Display Settings"});
    (yAxis ? m_dResolutionY : m_dResolutionX) = value;
    (yAxis ? m_panel.m_resolutionY : m_panel.m_resolutionX).value = value;
    Notify(DisplayNotice(DisplaySetting::Resolution));
}

void CPlotraDoc::SetGridDivisions(int divisions) {
    if (RefuseEditWhileBusy(DocChange::Display)) return;
    UndoableEdit edit(*this, EditSubject{"Display Settings"});
    m_nGridDivisions = divisions;
    Notify(DisplayNotice(DisplaySetting::GridLines));
}

bool CPlotraDoc::DisplayFlagOn(DisplayFlag flag) const {
    switch (flag) {
    case DisplayFlag::Path:
        return m_bShowPath != 0;
    case DisplayFlag::PathWithoutGps:
        return m_bShowNoGps != 0;
    case DisplayFlag::LonLat:
        return m_bShowLonLat != 0;
    case DisplayFlag::ApMarkers:
        return m_bShowApMarkers != 0;
    case DisplayFlag::CoverageOverlay:
        return m_bCoverageOverlay != 0;
    case DisplayFlag::XGrid:
        return m_bXGrid != 0;
    case DisplayFlag::YGrid:
        return m_bYGrid != 0;
    case DisplayFlag::Legend:
        return m_bShowLegend != 0;
    }
    return false;
}

bool CPlotraDoc::SetDisplayFlag(DisplayFlag flag, bool on) {
    if (RefuseEditWhileBusy(DocChange::Display)) return false;
    UndoableEdit edit(*this, EditSubject{"Display Settings"});
    bool accepted = true;
    switch (flag) {
    case DisplayFlag::Path:
        m_bShowPath = on;
        // Without the path its GPS markers have nothing to sit on.
        if (!on) m_bShowNoGps = 0;
        break;
    case DisplayFlag::PathWithoutGps:
        m_bShowNoGps = on;
        // Nothing to highlight: OK keeps the choice, Cancel takes it back.
        if (on && std::none_of(m_aGpsState.begin(), m_aGpsState.end(), [](int fix) { return fix < 2; }) &&
            !Prompts().askOkCancel("All the points have 3D fix.", "GPS Status", PromptIcon::Information)) {
            m_bShowNoGps = 0;
            accepted = false;
        }
        break;
    case DisplayFlag::LonLat:
        m_bShowLonLat = on;
        break;
    case DisplayFlag::ApMarkers:
        if (std::any_of(m_aAPs.begin(), m_aAPs.end(),
                        [](const CAPInfo& ap) { return ap.m_bSelected != 0; })) {
            m_bShowApMarkers = on;
        } else {
            m_bShowApMarkers = 0;
            Prompts().message("No AP Is Selected. Please Select AP.", "No AP", PromptIcon::Information);
            accepted = false;
        }
        break;
    case DisplayFlag::CoverageOverlay:
        m_bCoverageOverlay = on;
        break;
    case DisplayFlag::XGrid:
        m_bXGrid = on;
        break;
    case DisplayFlag::YGrid:
        m_bYGrid = on;
        break;
    case DisplayFlag::Legend:
        m_bShowLegend = on;
        break;
    }
    Notify(DisplayNotice(DisplaySetting::Flag));
    return accepted;
}

void CPlotraDoc::CycleLineWidth() {
    if (RefuseEditWhileBusy(DocChange::Display)) return;
    UndoableEdit edit(*this, EditSubject{"Display Settings"});
    m_nLineWidth = m_nLineWidth >= 3 ? 1 : std::max(1, m_nLineWidth + 1);
    Notify(DisplayNotice(DisplaySetting::LineWidth));
}

void CPlotraDoc::SetAnalysisMode(int mode) {
    if (RefuseEditWhileBusy(DocChange::Display)) return;
    UndoableEdit edit(*this, EditSubject{"Display Settings"});
    if (!m_bDataLoaded) return;
    m_nAnalysisMode = mode == 2 ? 2 : 1;
    Notify(DisplayNotice(DisplaySetting::AnalysisMode));
}

namespace {

std::int32_t* SectionFlag(PanelState& panel, PanelSection section) {
    switch (section) {
    case kSectionMeasurement:
        return &panel.m_bExpandMeasurement;
    case kSectionSorting:
        return &panel.m_bExpandSorting;
    case kSectionReliability:
        return &panel.m_bExpandReliability;
    case kSectionGraph:
        return &panel.m_bExpandGraph;
    }
    return nullptr;
}

} // namespace

bool CPlotraDoc::SectionExpanded(PanelSection section) const {
    PanelState copy = m_panel;
    const std::int32_t* flag = SectionFlag(copy, section);
    return flag && *flag != 0;
}

void CPlotraDoc::ToggleSection(PanelSection section) {
    // A save on its way writes the sections as they are now.
    if (m_bJobReadsDocument && RefuseEditWhileBusy(DocChange::Display)) return;
    std::int32_t* flag = SectionFlag(m_panel, section);
    if (!flag) return;
    // Only the graph section opens without data; the others have nothing to show yet.
    if (section == kSectionGraph || m_bDataLoaded) {
        *flag = *flag ? 0 : 1;
        if (section == kSectionReliability) {
            m_bCoveragePlotted = *flag ? 0 : 1;
            m_bShowCellRadius = *flag ? 1 : 0;
        }
    }
    Notify(DisplayNotice(DisplaySetting::Sections));
}

void CPlotraDoc::EnterTableWindow() {
    TableSwitchState& s = m_tableSwitch;
    s.active = true;
    m_bTableWindowActive = 1;
    s.mapShown = Host().mapShown();
    RefreshTableSwitch();
    // Switching windows changes nothing that is saved.
    KeepModifiedFlag keep(*this);
    Notify(DocChange::Display);
}

void CPlotraDoc::RefreshTableSwitch() {
    TableSwitchState& s = m_tableSwitch;
    if (!s.active) return;
    // The graph window's flags are kept aside while the table is shown. A result applied meanwhile
    // belongs to the graph window: it is what the switch back restores, not the state from before
    // the calculation.
    s.dataLoaded = m_bDataLoaded;
    s.combined = m_bCombined;
    s.expandMeasurement = m_panel.m_bExpandMeasurement;
    s.expandSorting = m_panel.m_bExpandSorting;
    s.expandReliability = m_panel.m_bExpandReliability;
    m_bDataLoaded = 0;
    m_bCombined = 0;
    m_panel.m_bExpandMeasurement = m_panel.m_bExpandSorting = m_panel.m_bExpandReliability = 0;
}

bool CPlotraDoc::HasProcessedData() const {
    return m_bDataLoaded != 0 || (m_tableSwitch.active && m_tableSwitch.dataLoaded != 0);
}

void CPlotraDoc::LeaveTableWindow() {
    TableSwitchState& s = m_tableSwitch;
    if (!s.active) return;
    s.active = false;
    m_bTableWindowActive = 0;
    m_bDataLoaded = s.dataLoaded;
    m_bCombined = s.combined;
    m_panel.m_bExpandMeasurement = s.expandMeasurement;
    m_panel.m_bExpandSorting = s.expandSorting;
    m_panel.m_bExpandReliability = s.expandReliability;
    Host().setMapShown(s.mapShown);
    KeepModifiedFlag keep(*this);
    Notify(DocChange::Display);
}

void CPlotraDoc::SetFileNotes(int file, const std::string& notes) {
    if (RefuseEditWhileBusy(DocChange::Notes)) return;
    EditSubject subject{"Notes"};
    subject.notes = true;
    UndoableEdit edit(*this, subject);
    if (file < 0 || static_cast<std::size_t>(file) >= m_aFiles.size()) return;
    m_aFiles[static_cast<std::size_t>(file)].m_strNotes = notes;
    Notify(DocChange::Notes);
}

void CPlotraDoc::SetApNotes(int ap, const CApFile& notes) {
    if (RefuseEditWhileBusy(DocChange::Notes)) return;
    EditSubject subject{"Notes"};
    subject.notes = true;
    UndoableEdit edit(*this, subject);
    if (ap < 0) return;
    const auto index = static_cast<std::size_t>(ap);
    // Notes exist per AP once processing has run; a project read from elsewhere may have fewer.
    if (index >= m_aApNotes.size()) {
        if (index >= m_aAPs.size()) return;
        m_aApNotes.resize(m_aAPs.size());
    }
    m_aApNotes[index] = notes;
    Notify(DocChange::Notes);
}

} // namespace plotra
