#include "edits/EditMemento.h"

#include "model/CoverageColours.h"
#include "model/EditAccess.h"

#include <algorithm>
#include <bit>
#include <type_traits>

namespace plotra {

namespace {

/// \brief Reads and writes one plain value of an object. Every value an edit can change (bytes,
/// integers, colours, floats, doubles) goes through a double exactly.
template <class T> struct Field {
    double (*get)(const T&);
    void (*set)(T&, double);
};

#define PLOTRA_FIELD(T, expr)                                                                                \
    Field<T> {                                                                                               \
        [](const T& o) { return static_cast<double>(o.expr); },                                              \
            [](T& o, double v) { o.expr = static_cast<std::remove_cvref_t<decltype(o.expr)>>(v); }           \
    }
/// A document value is read through its part and written through the edits' access to it.
#define DOC(part, expr)                                                                                      \
    Field<CPlotraDoc> {                                                                                      \
        [](const CPlotraDoc& o) { return static_cast<double>(o.part().expr); },                              \
            [](CPlotraDoc& o, double v) {                                                                    \
                Edit::part(o).expr = static_cast<std::remove_cvref_t<decltype(o.part().expr)>>(v);           \
            }                                                                                                \
    }
#define AP(expr) PLOTRA_FIELD(CAPInfo, expr)
#define GROUP(expr) PLOTRA_FIELD(CGroupInfo, expr)

/// The document's plain state that edits change: display settings and modes, the rectangle and frame
/// that follow the ticks, the node counts, the analysis numbers of the last refit, the panel's values.
/// A value no edit changes never differs and costs one comparison.
const Field<CPlotraDoc> kDocFields[] = {DOC(Frame, m_dFrameSpanY),
                                        DOC(Frame, m_dFrameSpanX),
                                        DOC(Frame, m_dFrameOriginY),
                                        DOC(Frame, m_dFrameOriginX),
                                        DOC(Frame, m_dGridSpanY),
                                        DOC(Frame, m_dGridSpanX),
                                        DOC(Frame, m_dGridOriginY),
                                        DOC(Frame, m_dGridOriginX),
                                        DOC(Display, m_bShowNoGps),
                                        DOC(Display, m_bShowLegend),
                                        DOC(Display, m_nLineWidth),
                                        DOC(Display, m_bShowLonLat),
                                        DOC(Display, m_bCombined),
                                        DOC(Display, m_bShowContour),
                                        DOC(Display, m_bMultiContours),
                                        DOC(Display, m_bShowCellRadius),
                                        DOC(Display, m_bCoveragePlotted),
                                        DOC(Display, m_bShowApMarkers),
                                        DOC(Frame, m_nGridRows),
                                        DOC(Frame, m_nGridCols),
                                        DOC(Display, m_nPowerRangeLow),
                                        DOC(Display, m_nPowerRangeHigh),
                                        DOC(Display, m_crSingleColour),
                                        DOC(Display, m_nGridDivisions),
                                        DOC(Display, m_bCoverageOverlay),
                                        DOC(Coverage, m_bCoverageReady),
                                        DOC(Display, m_nGraphType),
                                        DOC(Display, m_nAlpha),
                                        DOC(Display, m_bShowPath),
                                        DOC(Display, m_bXGrid),
                                        DOC(Display, m_bYGrid),
                                        DOC(Display, m_nAnalysisMode),
                                        DOC(Display, m_nSortMode),
                                        DOC(Display, m_nColourMode),
                                        DOC(Frame, m_dResolutionX),
                                        DOC(Frame, m_dResolutionY),
                                        DOC(Coverage, m_dMeanRssi),
                                        DOC(Coverage, m_dSlope),
                                        DOC(Coverage, m_dIntercept),
                                        DOC(Coverage, m_dShadowStd),
                                        DOC(Aps, m_posMovedFrom.m_dY),
                                        DOC(Aps, m_posMovedFrom.m_dX),
                                        DOC(Display, m_panel.m_afReliability[0]),
                                        DOC(Display, m_panel.m_afReliability[1]),
                                        DOC(Display, m_panel.m_afReliability[2]),
                                        DOC(Display, m_panel.m_afReliability[3]),
                                        DOC(Display, m_panel.m_nSelectedAP),
                                        DOC(Display, m_panel.m_bExpandSorting),
                                        DOC(Display, m_panel.m_bExpandMeasurement),
                                        DOC(Display, m_panel.m_bExpandReliability),
                                        DOC(Display, m_panel.m_bExpandGraph),
                                        DOC(Display, m_panel.m_nContourLow),
                                        DOC(Display, m_panel.m_nContourHigh),
                                        DOC(Display, m_panel.m_resolutionX.value),
                                        DOC(Display, m_panel.m_resolutionX.minimum),
                                        DOC(Display, m_panel.m_resolutionX.maximum),
                                        DOC(Display, m_panel.m_resolutionY.value),
                                        DOC(Display, m_panel.m_resolutionY.minimum),
                                        DOC(Display, m_panel.m_resolutionY.maximum),
                                        DOC(Display, m_dUnitFactor),
                                        DOC(Display, m_bUnitUnchanged)};

/// An AP's own values: tick, group, colour, icon, position and fitted model (without its grid).
const Field<CAPInfo> kApFields[] = {
    AP(m_bSelected),     AP(m_nGroupIndex),   AP(m_bFixed),          AP(m_crColour),
    AP(m_posAP.m_dY),    AP(m_posAP.m_dX),    AP(m_nIconOption),     AP(m_nIconId),
    AP(m_dGridMax),      AP(m_dGridMin),      AP(m_fReliability),    AP(m_nApGridCols),
    AP(m_nApGridRows),   AP(m_dShadowStd),    AP(m_dSlope),          AP(m_dIntercept),
    AP(m_areaSize.m_dY), AP(m_areaSize.m_dX), AP(m_areaOrigin.m_dY), AP(m_areaOrigin.m_dX)};

const Field<CGroupInfo> kGroupFields[] = {GROUP(m_crColour), GROUP(m_bSelected)};

#undef GROUP
#undef AP
#undef DOC
#undef PLOTRA_FIELD

/// Equal to the bit: a NaN stays what it was, and -0 is not 0.
bool Same(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

template <class T, std::size_t N> std::vector<double> Read(const T& object, const Field<T> (&fields)[N]) {
    std::vector<double> values(N);
    for (std::size_t i = 0; i < N; ++i)
        values[i] = fields[i].get(object);
    return values;
}

template <class T, std::size_t N>
void Compare(const std::vector<double>& before, const T& after, const Field<T> (&fields)[N],
             std::vector<ValueChange>& out) {
    for (std::size_t i = 0; i < N && i < before.size(); ++i) {
        const double now = fields[i].get(after);
        if (!Same(before[i], now)) out.push_back({static_cast<std::uint16_t>(i), before[i], now});
    }
}

template <class T, std::size_t N>
void Write(T& object, const Field<T> (&fields)[N], const ValueChange& change, bool undo) {
    if (change.field < N) fields[change.field].set(object, undo ? change.before : change.after);
}

const CGroups& Grouping(const CPlotraDoc& doc, std::size_t which) {
    return which == 0   ? doc.Aps().m_groups
           : which == 1 ? doc.Aps().m_groupsBySsid
                        : doc.Aps().m_groupsByChannel;
}
CGroups& Grouping(CPlotraDoc& doc, std::size_t which) {
    ApSet& aps = Edit::Aps(doc);
    return which == 0 ? aps.m_groups : which == 1 ? aps.m_groupsBySsid : aps.m_groupsByChannel;
}

bool ValidAp(const CPlotraDoc& doc, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < doc.Aps().m_aAPs.size();
}

bool SameNotes(const CApFile& a, const CApFile& b) {
    return a.m_strTxPower == b.m_strTxPower && a.m_strAntennaGain == b.m_strAntennaGain &&
           a.m_strDirection == b.m_strDirection && a.m_strHeight == b.m_strHeight &&
           a.m_strNotes == b.m_strNotes;
}

} // namespace

EditCapture::EditCapture(const CPlotraDoc& doc, const EditSubject& subject)
    : m_subject(subject), m_values(Read(doc, kDocFields)) {
    // The APs the subject names keep their pictures (and with a refit their grids); with everyAp the
    // others keep their own values only, and a colour change keeps the pictures of the ticked APs.
    std::vector<char> named(doc.Aps().m_aAPs.size(), 0);
    for (int i : subject.aps)
        if (ValidAp(doc, i)) named[static_cast<std::size_t>(i)] = 1;
    for (std::size_t i = 0; i < doc.Aps().m_aAPs.size(); ++i) {
        const CAPInfo& ap = doc.Aps().m_aAPs[i];
        const bool picture = named[i] || (subject.tickedPictures && ap.m_bSelected);
        if (!named[i] && !picture && !subject.everyAp) continue;
        ApValues v;
        v.index = static_cast<int>(i);
        v.values = Read(ap, kApFields);
        if (picture) {
            v.picture = ap.m_aCoverageBitmap;
            v.pictureMade = *v.picture == ApCoveragePicture(doc, i);
        }
        if (named[i] && subject.apModels) v.grid = ap.m_aGrid;
        m_aps.push_back(std::move(v));
    }
    for (std::size_t g = 0; g < 3; ++g)
        for (const CGroupInfo& info : Grouping(doc, g).m_aGroups)
            for (const auto& field : kGroupFields)
                m_groupValues[g].push_back(field.get(info));
    if (subject.grouping) m_grouping = doc.Aps().m_groups;
    if (subject.notes) {
        for (const CDataFile& f : doc.Survey().m_aFiles)
            m_fileNotes.push_back(f.m_strNotes);
        m_apNotes = doc.Aps().m_aApNotes;
    }
}

EditMemento::EditMemento(EditCapture&& before, const CPlotraDoc& after) {
    Compare(before.m_values, after, kDocFields, m_values);
    for (EditCapture::ApValues& v : before.m_aps) {
        if (!ValidAp(after, v.index)) continue;
        const CAPInfo& ap = after.Aps().m_aAPs[static_cast<std::size_t>(v.index)];
        ApChange change;
        change.index = v.index;
        Compare(v.values, ap, kApFields, change.values);
        if (v.grid && *v.grid != ap.m_aGrid) change.grid.emplace(std::move(*v.grid), ap.m_aGrid);
        if (v.picture && *v.picture != ap.m_aCoverageBitmap) {
            PictureChange& p = change.picture.emplace();
            p.beforeMade = v.pictureMade;
            if (!p.beforeMade) p.before = std::move(*v.picture);
            p.afterMade = ap.m_aCoverageBitmap == ApCoveragePicture(after, static_cast<std::size_t>(v.index));
            if (!p.afterMade) p.after = ap.m_aCoverageBitmap;
        }
        if (!change.values.empty() || change.grid || change.picture) m_aps.push_back(std::move(change));
    }
    constexpr std::size_t kGroupValues = std::size(kGroupFields);
    for (std::size_t g = 0; g < 3; ++g) {
        // The grouping shown is kept whole when the edit replaces it.
        if (g == 0 && before.m_grouping) continue;
        const auto& groups = Grouping(after, g).m_aGroups;
        const std::vector<double>& values = before.m_groupValues[g];
        if (values.size() != groups.size() * kGroupValues) continue;
        for (std::size_t i = 0; i < groups.size(); ++i)
            for (std::size_t f = 0; f < kGroupValues; ++f) {
                const double was = values[i * kGroupValues + f], now = kGroupFields[f].get(groups[i]);
                if (!Same(was, now))
                    m_groups.push_back({static_cast<std::uint8_t>(g),
                                        static_cast<int>(i),
                                        {static_cast<std::uint16_t>(f), was, now}});
            }
    }
    if (before.m_grouping) {
        const CGroups& now = after.Aps().m_groups;
        const CGroups& was = *before.m_grouping;
        bool same = was.m_nLabelMode == now.m_nLabelMode && was.m_aGroups.size() == now.m_aGroups.size();
        for (std::size_t i = 0; same && i < was.m_aGroups.size(); ++i) {
            const CGroupInfo &a = was.m_aGroups[i], &b = now.m_aGroups[i];
            same = a.m_crColour == b.m_crColour && a.m_strName == b.m_strName &&
                   a.m_bSelected == b.m_bSelected && a.m_aItems.size() == b.m_aItems.size();
            for (std::size_t k = 0; same && k < a.m_aItems.size(); ++k)
                same = a.m_aItems[k].m_nIndex == b.m_aItems[k].m_nIndex &&
                       a.m_aItems[k].m_abyMAC == b.m_aItems[k].m_abyMAC;
        }
        if (!same) m_grouping.emplace(std::move(*before.m_grouping), now);
    }
    if (before.m_subject.notes) {
        for (std::size_t i = 0; i < before.m_fileNotes.size() && i < after.Survey().m_aFiles.size(); ++i)
            if (before.m_fileNotes[i] != after.Survey().m_aFiles[i].m_strNotes)
                m_fileNotes.push_back({static_cast<int>(i), std::move(before.m_fileNotes[i]),
                                       after.Survey().m_aFiles[i].m_strNotes});
        m_apNotesBefore = before.m_apNotes.size();
        m_apNotesAfter = after.Aps().m_aApNotes.size();
        const std::size_t n = std::max(m_apNotesBefore, m_apNotesAfter);
        for (std::size_t i = 0; i < n; ++i) {
            // Notes a resize added count as empty before.
            const CApFile was = i < m_apNotesBefore ? before.m_apNotes[i] : CApFile{};
            const CApFile now = i < m_apNotesAfter ? after.Aps().m_aApNotes[i] : CApFile{};
            if (!SameNotes(was, now)) m_apNotes.push_back({static_cast<int>(i), was, now});
        }
    }
}

bool EditMemento::Empty() const {
    return m_values.empty() && m_aps.empty() && m_groups.empty() && !m_grouping && m_fileNotes.empty() &&
           m_apNotes.empty() && m_apNotesBefore == m_apNotesAfter;
}

void EditMemento::Apply(CPlotraDoc& doc, bool undo) const {
    for (const ValueChange& c : m_values)
        Write(doc, kDocFields, c, undo);
    for (const ApChange& c : m_aps) {
        if (!ValidAp(doc, c.index)) continue;
        CAPInfo& ap = Edit::Aps(doc).m_aAPs[static_cast<std::size_t>(c.index)];
        for (const ValueChange& v : c.values)
            Write(ap, kApFields, v, undo);
        if (c.grid) ap.m_aGrid = undo ? c.grid->first : c.grid->second;
    }
    if (m_grouping) Edit::Aps(doc).m_groups = undo ? m_grouping->first : m_grouping->second;
    for (const GroupChange& c : m_groups) {
        auto& groups = Grouping(doc, c.grouping).m_aGroups;
        if (c.group >= 0 && static_cast<std::size_t>(c.group) < groups.size())
            Write(groups[static_cast<std::size_t>(c.group)], kGroupFields, c.value, undo);
    }
    // Pictures last: one made again takes the colours, the grid and the range written above.
    for (const ApChange& c : m_aps) {
        if (!c.picture || !ValidAp(doc, c.index)) continue;
        const auto i = static_cast<std::size_t>(c.index);
        const bool made = undo ? c.picture->beforeMade : c.picture->afterMade;
        Edit::Aps(doc).m_aAPs[i].m_aCoverageBitmap =
            made ? ApCoveragePicture(doc, i) : (undo ? c.picture->before : c.picture->after);
    }
    for (const FileNoteChange& c : m_fileNotes)
        if (static_cast<std::size_t>(c.file) < doc.Survey().m_aFiles.size())
            Edit::Survey(doc).m_aFiles[static_cast<std::size_t>(c.file)].m_strNotes =
                undo ? c.before : c.after;
    if (!m_apNotes.empty() || m_apNotesBefore != m_apNotesAfter) {
        const std::size_t size = undo ? m_apNotesBefore : m_apNotesAfter;
        Edit::Aps(doc).m_aApNotes.resize(std::max(size, doc.Aps().m_aApNotes.size()));
        for (const ApNoteChange& c : m_apNotes)
            if (static_cast<std::size_t>(c.ap) < doc.Aps().m_aApNotes.size())
                Edit::Aps(doc).m_aApNotes[static_cast<std::size_t>(c.ap)] = undo ? c.before : c.after;
        Edit::Aps(doc).m_aApNotes.resize(size);
    }
}

std::size_t EditMemento::Bytes() const {
    std::size_t bytes =
        sizeof(*this) + m_values.size() * sizeof(ValueChange) + m_groups.size() * sizeof(GroupChange);
    for (const ApChange& c : m_aps) {
        bytes += sizeof(ApChange) + c.values.size() * sizeof(ValueChange);
        if (c.grid) bytes += (c.grid->first.size() + c.grid->second.size()) * sizeof(double);
        if (c.picture) bytes += (c.picture->before.size() + c.picture->after.size()) * sizeof(COLORREF);
    }
    if (m_grouping)
        for (const CGroups* g : {&m_grouping->first, &m_grouping->second})
            for (const CGroupInfo& info : g->m_aGroups)
                bytes +=
                    sizeof(CGroupInfo) + info.m_aItems.size() * sizeof(CGroupItem) + info.m_strName.size();
    for (const FileNoteChange& c : m_fileNotes)
        bytes += sizeof(c) + c.before.size() + c.after.size();
    bytes += m_apNotes.size() * sizeof(ApNoteChange);
    return bytes;
}

} // namespace plotra
