#pragma once
/// \brief The memento of one undoable edit: the values of exactly the document state the edit changed,
/// from before and from after. It is taken by comparing a capture of the state the edit's subject
/// names (made before the edit) with the document after it, so an edit keeps only what it changed:
/// a tick keeps one tick byte, a few frame numbers and one AP picture, never the survey points or the
/// combined grids.

#include "model/EditJournal.h"
#include "model/PlotraDoc.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace plotra {

/// \brief One plain value (a setting, a frame number, a tick byte) before and after.
struct ValueChange {
    std::uint16_t field = 0; ///< index into the table of the values of its kind
    double before = 0.0, after = 0.0;
};

/// \brief An AP's coverage picture before and after. A picture that is what the AP's grid, colour and
/// the power range make of it (as good as always) is made again when written back instead of kept:
/// a colour mode changed over thousands of ticked APs keeps two flags per AP, not their pictures.
struct PictureChange {
    bool beforeMade = false, afterMade = false;
    std::vector<COLORREF> before, after; ///< empty where made again
};

/// \brief What an edit changed of one AP.
struct ApChange {
    int index = 0;
    std::vector<ValueChange> values;
    std::optional<std::pair<std::vector<double>, std::vector<double>>> grid;
    std::optional<PictureChange> picture;
};

/// \brief A value of one group of one of the three groupings (shown, by SSID, by channel).
struct GroupChange {
    std::uint8_t grouping = 0;
    int group = 0;
    ValueChange value;
};

/// \brief One report note before and after (a file's text, or an AP's five texts).
struct FileNoteChange {
    int file = 0;
    std::string before, after;
};
struct ApNoteChange {
    int ap = 0;
    CApFile before, after;
};

/// \brief The values from before an edit, taken from the parts its subject names.
class EditCapture {
  public:
    EditCapture(const CPlotraDoc& doc, const EditSubject& subject);
    const EditSubject& Subject() const { return m_subject; }

  private:
    friend class EditMemento;
    struct ApValues {
        int index = 0;
        std::vector<double> values;
        std::optional<std::vector<double>> grid;
        std::optional<std::vector<COLORREF>> picture;
        bool pictureMade = false; ///< the picture is the one its AP's values make
    };
    EditSubject m_subject;
    std::vector<double> m_values;
    std::vector<ApValues> m_aps;
    std::array<std::vector<double>, 3> m_groupValues;
    std::optional<CGroups> m_grouping;
    std::vector<std::string> m_fileNotes;
    std::vector<CApFile> m_apNotes;
};

/// \brief What one edit changed, to be written back either way.
class EditMemento {
  public:
    /// Compares \p before with the document after the edit.
    EditMemento(EditCapture&& before, const CPlotraDoc& after);
    /// True when the edit changed nothing (then nothing is kept).
    bool Empty() const;
    /// Writes the values from before (\p undo) or after into \p doc; sends no notice.
    void Apply(CPlotraDoc& doc, bool undo) const;
    /// Roughly how many bytes it holds (for tests and the stack's size).
    std::size_t Bytes() const;

  private:
    std::vector<ValueChange> m_values;
    std::vector<ApChange> m_aps;
    std::vector<GroupChange> m_groups;
    std::optional<std::pair<CGroups, CGroups>> m_grouping;
    std::vector<FileNoteChange> m_fileNotes;
    std::vector<ApNoteChange> m_apNotes;
    std::size_t m_apNotesBefore = 0, m_apNotesAfter = 0;
};

} // namespace plotra
