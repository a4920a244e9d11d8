// Which APs take part and in which colours: the groupings by SSID and by channel, the tick boxes of
// groups and APs, the colour modes and the colours of the tree's icons.
#include "model/CoverageColours.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"
#include "model/ViewState.h"

#include <algorithm>
#include <cstdio>

namespace plotra {

namespace {

/// A resolution that no coverage would ever use still must not ask for billions of nodes: the
/// workspace stores this many values of every combined grid.
constexpr int kMaxNodesPerAxis = 4000;

int NodesFor(double length, double resolution) {
    return std::clamp(TruncPixel(length / resolution), 0, kMaxNodesPerAxis);
}

bool ValidIndex(std::size_t size, int index) { return index >= 0 && static_cast<std::size_t>(index) < size; }

/// Groups the APs by a key; \p sameKey compares two APs, \p name names a new group.
template <class SameKey, class Name>
void BuildGroups(std::vector<CAPInfo>& aps, CGroups& groups, int labelMode, SameKey sameKey, Name name) {
    groups.RemoveAll();
    groups.m_nLabelMode = labelMode;
    std::vector<std::size_t> firstMember; // the AP that opened each group
    int hue = 0;
    for (std::size_t i = 0; i < aps.size(); ++i) {
        CAPInfo& ap = aps[i];
        int group = -1;
        for (std::size_t g = 0; g < firstMember.size() && group < 0; ++g)
            if (sameKey(aps[firstMember[g]], ap)) group = static_cast<int>(g);
        std::uint32_t macLow = 0;
        for (int b = 3; b >= 0; --b)
            macLow = (macLow << 8) | ap.m_abyMAC[static_cast<std::size_t>(b)];
        const auto macHigh = static_cast<std::uint16_t>(ap.m_abyMAC[4] | (ap.m_abyMAC[5] << 8));
        const CGroupItem item(macLow, macHigh, static_cast<int>(i));
        if (group >= 0) {
            CGroupInfo& info = groups.m_aGroups[static_cast<std::size_t>(group)];
            if (ap.m_bSelected) info.m_bSelected = 1;
        } else {
            CGroupInfo info;
            info.m_crColour = HsvToRgb(hue, 224, 176);
            hue = (hue + 52) % 252;
            info.m_strName = name(ap);
            info.m_bSelected = ap.m_bSelected;
            group = groups.AddGroup(info);
            firstMember.push_back(i);
        }
        groups.AddItem(group, item);
        ap.m_nGroupIndex = group;
    }
}

} // namespace

void CPlotraDoc::BuildGroupsBySsid(CGroups& groups) {
    BuildGroups(
        m_aAPs, groups, 0, [](const CAPInfo& a, const CAPInfo& b) { return a.SsidText() == b.SsidText(); },
        [](const CAPInfo& ap) { return "SSID: \"" + ap.SsidText() + "\""; });
}

void CPlotraDoc::BuildGroupsByChannel(CGroups& groups) {
    BuildGroups(
        m_aAPs, groups, 1, [](const CAPInfo& a, const CAPInfo& b) { return a.m_byChannel == b.m_byChannel; },
        [](const CAPInfo& ap) { return "Channel " + std::to_string(ap.m_byChannel); });
}

namespace {

/// Group indices and tick bytes of the grouping shown: a group is ticked while one of its APs is.
void AdoptGrouping(std::vector<CAPInfo>& aps, CGroups& shown) {
    for (std::size_t g = 0; g < shown.m_aGroups.size(); ++g) {
        CGroupInfo& info = shown.m_aGroups[g];
        info.m_bSelected = 0;
        for (const CGroupItem& item : info.m_aItems) {
            if (!ValidIndex(aps.size(), item.m_nIndex)) continue;
            CAPInfo& ap = aps[static_cast<std::size_t>(item.m_nIndex)];
            ap.m_nGroupIndex = static_cast<int>(g);
            if (ap.m_bSelected) info.m_bSelected = 1;
        }
    }
}

} // namespace

void CPlotraDoc::RebuildGroups() {
    BuildGroupsBySsid(m_groupsBySsid);
    BuildGroupsByChannel(m_groupsByChannel);
    m_groups = m_nSortMode == 2 ? m_groupsByChannel : m_groupsBySsid;
    AdoptGrouping(m_aAPs, m_groups);
}

void CPlotraDoc::SetSortMode(int mode) {
    if (RefuseEditWhileBusy(DocChange::Groups)) return;
    EditSubject subject{mode == 2 ? "Sort by Channel" : "Sort by SSID"};
    subject.everyAp = subject.grouping = subject.tickedPictures = true;
    UndoableEdit edit(*this, subject);
    m_nSortMode = mode == 2 ? 2 : 1;
    m_groups = m_nSortMode == 2 ? m_groupsByChannel : m_groupsBySsid;
    AdoptGrouping(m_aAPs, m_groups);
    // Per-group colours follow the grouping now shown.
    if (m_nColourMode == 1) RegenerateTickedApPictures();
    Notify(DocChange::Groups);
}

COLORREF CPlotraDoc::ApPictureColour(int ap) const {
    return plotra::ApPictureColour(*this, static_cast<std::size_t>(ap));
}

void CPlotraDoc::RegenerateTickedApPictures() {
    for (std::size_t i = 0; i < m_aAPs.size(); ++i)
        if (m_aAPs[i].m_bSelected && m_aAPs[i].m_aApPoints.size() > kMinCoveragePoints)
            RegenerateApCoverageBitmap(*this, i);
}

namespace {

/// What follows every tick: a combined coverage no longer matches the selection, the rectangle and
/// frame follow the ticked APs, and the node counts and resolution sliders follow the rectangle.
void AfterTick(CPlotraDoc& doc) {
    if (doc.Display().m_bCombined) {
        Edit::Display(doc).m_bCoveragePlotted = 1;
        Edit::Display(doc).m_bShowCellRadius = 0;
        Edit::Display(doc).m_bCombined = 0;
    }
    doc.ComputeExtent(0, 0, 0);
    const auto [w, h] = doc.GridRectangleDisplay();
    Edit::Frame(doc).m_nGridCols = NodesFor(w, doc.Frame().m_dResolutionX);
    Edit::Frame(doc).m_nGridRows = NodesFor(h, doc.Frame().m_dResolutionY);
    // The sliders show the largest cell; the document's resolutions change only when a slider moves.
    doc.ResetResolutionSliders(true);
}

std::string PointsLine(const CAPInfo& ap) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "% d, ", static_cast<int>(ap.m_aApPoints.size()));
    return buf + ap.MacText() + "\n";
}

} // namespace

void CPlotraDoc::SetApTicked(int index, bool ticked) {
    if (RefuseEditWhileBusy(DocChange::Selection)) return;
    if (!ValidIndex(m_aAPs.size(), index)) return;
    CAPInfo& ap = m_aAPs[static_cast<std::size_t>(index)];
    EditSubject subject{(ticked ? "Tick AP " : "Untick AP ") + ap.MacText(), {index}};
    subject.staleCoverage = true;
    UndoableEdit edit(*this, subject);
    ap.m_bSelected = ticked ? 1 : 0;
    m_panel.m_nSelectedAP = index;
    if (ticked) {
        if (ValidIndex(m_groups.m_aGroups.size(), ap.m_nGroupIndex))
            m_groups.m_aGroups[static_cast<std::size_t>(ap.m_nGroupIndex)].m_bSelected = 1;
        if (ap.m_aApPoints.size() > kMinCoveragePoints) {
            RegenerateApCoverageBitmap(*this, static_cast<std::size_t>(index));
        } else {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%d, ", static_cast<int>(ap.m_aApPoints.size()));
            Prompts().message("No enough points for this AP:\n\n N,\t MAC\n " + std::string(buf) + ap.MacText() +
                                  "\n\n N: Number of Points",
                              "Invalid AP", PromptIcon::Information);
        }
    }
    AfterTick(*this);
    Notify(DocChange::Selection, ApField::All, {index});
}

void CPlotraDoc::SetGroupTicked(int group, bool ticked) {
    if (RefuseEditWhileBusy(DocChange::Selection)) return;
    if (!ValidIndex(m_groups.m_aGroups.size(), group)) return;
    CGroupInfo& info = m_groups.m_aGroups[static_cast<std::size_t>(group)];
    EditSubject subject{(ticked ? "Tick Group " : "Untick Group ") + info.m_strName};
    for (const CGroupItem& item : info.m_aItems)
        if (ValidIndex(m_aAPs.size(), item.m_nIndex)) subject.aps.push_back(item.m_nIndex);
    subject.staleCoverage = true;
    UndoableEdit edit(*this, subject);
    info.m_bSelected = ticked ? 1 : 0;
    std::vector<int> members;
    for (const CGroupItem& item : info.m_aItems)
        if (ValidIndex(m_aAPs.size(), item.m_nIndex)) {
            m_aAPs[static_cast<std::size_t>(item.m_nIndex)].m_bSelected = ticked ? 1 : 0;
            members.push_back(item.m_nIndex);
        }
    std::string lines;
    int tooFew = 0;
    for (int i : members) {
        const CAPInfo& ap = m_aAPs[static_cast<std::size_t>(i)];
        if (!ap.m_bSelected) continue;
        if (ap.m_aApPoints.size() > kMinCoveragePoints) {
            RegenerateApCoverageBitmap(*this, static_cast<std::size_t>(i));
        } else {
            lines += PointsLine(ap);
            ++tooFew;
        }
    }
    if (tooFew == 1)
        Prompts().message("No enough points for this AP: \n\n N,\tMAC\n " + lines + " \n\n N: Number of Points ",
                          "Invalid AP", PromptIcon::Information);
    else if (tooFew > 1)
        Prompts().message("No enough points for these APs: \n\n N,\tMAC\n " + lines + " \n\n N: Number of Points",
                          "Invalid AP", PromptIcon::Information);
    m_panel.m_nSelectedAP = -1;
    AfterTick(*this);
    Notify(DocChange::Selection, ApField::All, members);
}

void CPlotraDoc::SetTickedAps(const std::vector<int>& aps) {
    if (RefuseEditWhileBusy(DocChange::Selection)) return;
    EditSubject subject{"Select APs", aps};
    subject.everyAp = subject.staleCoverage = true;
    UndoableEdit edit(*this, subject);
    std::vector<int> cleared;
    for (std::size_t i = 0; i < m_aAPs.size(); ++i)
        if (m_aAPs[i].m_bSelected && std::find(aps.begin(), aps.end(), static_cast<int>(i)) == aps.end())
            cleared.push_back(static_cast<int>(i));
    for (CAPInfo& ap : m_aAPs)
        ap.m_bSelected = 0;
    AdoptGrouping(m_aAPs, m_groups);
    if (aps.empty()) {
        AfterTick(*this);
        Notify(DocChange::Selection);
        return;
    }
    // The APs this leaves unticked (and so their groups) are named first, then each tick its AP.
    if (!cleared.empty()) Notify(DocChange::Selection, ApField::All, cleared);
    for (int i : aps)
        SetApTicked(i, true);
}

void CPlotraDoc::ClickTreeIcon(bool groupItem) {
    if (RefuseEditWhileBusy(DocChange::Groups)) return;
    EditSubject subject{"Colour Mode"};
    subject.tickedPictures = subject.staleCoverage = true;
    UndoableEdit edit(*this, subject);
    if (groupItem)
        m_nColourMode = m_nColourMode == 1 ? 2 : 1;
    else
        m_nColourMode = m_nColourMode == 0 ? 2 : 0;
    RegenerateTickedApPictures();
    if (m_bCombined) {
        m_bCoveragePlotted = 1;
        m_bShowCellRadius = 0;
        m_bCombined = 0;
    }
    Notify(DocChange::Groups, ApField::Colour);
}

void CPlotraDoc::SetColourMode(int mode) {
    if (RefuseEditWhileBusy(DocChange::Groups)) return;
    EditSubject subject{"Colour Mode"};
    subject.tickedPictures = true;
    UndoableEdit edit(*this, subject);
    m_nColourMode = std::clamp(mode, 0, 2);
    RegenerateTickedApPictures();
    Notify(DocChange::Groups, ApField::Colour);
}

std::optional<COLORREF> CPlotraDoc::TreeIconColour(bool groupItem, int index) const {
    if (groupItem) {
        if (m_nColourMode == 1 && ValidIndex(m_groups.m_aGroups.size(), index))
            return m_groups.m_aGroups[static_cast<std::size_t>(index)].m_crColour;
        return std::nullopt;
    }
    if (!ValidIndex(m_aAPs.size(), index)) return std::nullopt;
    if (m_nColourMode == 2) return m_crSingleColour;
    if (m_nColourMode == 0) return m_aAPs[static_cast<std::size_t>(index)].m_crColour;
    return std::nullopt;
}

void CPlotraDoc::SetTreeIconColour(bool groupItem, int index, std::optional<COLORREF> chosen) {
    if (RefuseEditWhileBusy(DocChange::Groups)) return;
    EditSubject subject{"Change Colour"};
    if (groupItem && ValidIndex(m_groups.m_aGroups.size(), index)) {
        subject.text += " of Group " + m_groups.m_aGroups[static_cast<std::size_t>(index)].m_strName;
    } else if (!groupItem && m_nColourMode == 2) {
        subject.text += " of All APs";
    } else if (!groupItem && ValidIndex(m_aAPs.size(), index)) {
        subject.text += " of AP " + m_aAPs[static_cast<std::size_t>(index)].MacText();
        subject.aps = {index};
    }
    subject.tickedPictures = subject.staleCoverage = true;
    UndoableEdit edit(*this, subject);
    std::vector<int> changed;
    if (chosen && TreeIconColour(groupItem, index)) {
        auto regenerate = [&](int i) {
            const CAPInfo& ap = m_aAPs[static_cast<std::size_t>(i)];
            if (ap.m_bSelected && ap.m_aApPoints.size() > kMinCoveragePoints) {
                RegenerateApCoverageBitmap(*this, static_cast<std::size_t>(i));
                changed.push_back(i);
            }
        };
        if (groupItem) {
            CGroupInfo& info = m_groups.m_aGroups[static_cast<std::size_t>(index)];
            info.m_crColour = *chosen;
            // The grouping the tree was copied from keeps the colour for the next switch back.
            CGroups& source = m_nSortMode == 2 ? m_groupsByChannel : m_groupsBySsid;
            if (ValidIndex(source.m_aGroups.size(), index))
                source.m_aGroups[static_cast<std::size_t>(index)].m_crColour = *chosen;
            for (const CGroupItem& item : info.m_aItems)
                if (ValidIndex(m_aAPs.size(), item.m_nIndex)) regenerate(item.m_nIndex);
        } else if (m_nColourMode == 2) {
            m_crSingleColour = *chosen;
            for (std::size_t i = 0; i < m_aAPs.size(); ++i)
                regenerate(static_cast<int>(i));
        } else {
            m_aAPs[static_cast<std::size_t>(index)].m_crColour = *chosen;
            regenerate(index);
        }
    }
    if (m_bCombined) {
        m_bCoveragePlotted = 1;
        m_bShowCellRadius = 0;
        m_bCombined = 0;
    }
    Notify(DocChange::Groups, ApField::Colour, changed);
}

void CPlotraDoc::SetApIcon(int ap, int option, int iconId) {
    if (RefuseEditWhileBusy(DocChange::Aps)) return;
    if (!ValidIndex(m_aAPs.size(), ap)) return;
    const std::string mac = m_aAPs[static_cast<std::size_t>(ap)].MacText();
    UndoableEdit edit(*this, EditSubject{"Change Icon of AP " + mac, {ap}});
    m_aAPs[static_cast<std::size_t>(ap)].m_nIconOption = option;
    m_aAPs[static_cast<std::size_t>(ap)].m_nIconId = iconId;
    Notify(DocChange::Aps, ApField::Icon, {ap});
}

} // namespace plotra
