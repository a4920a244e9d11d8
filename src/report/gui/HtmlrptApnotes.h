#pragma once
/// \brief "AP Information and Notes": antenna information (transmission power, gain, height,
/// direction) and free notes for each ticked AP the report lists, entry by entry.

#include "report/gui/PagedNotesDialog.h"

#include <vector>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace plotra::gui {

class CHtmlrptApnotes : public PagedNotesDialog {
    Q_OBJECT
  public:
    /// \brief One AP: three lines shown as they are given, and five texts to edit.
    struct Entry {
        QString position; ///< "1 out of 4 APs"
        QString mac, ssid;
        QString txPower, antennaGain, direction, height, notes;
    };

    explicit CHtmlrptApnotes(QWidget* parent = nullptr);
    /// "Antenna Height(m)" or "Antenna Height(Ft)"; it stays while paging.
    void setHeightLabel(const QString& label);
    /// The entries, in the report's listing order; the first is shown.
    void setEntries(std::vector<Entry> entries);
    /// The entries with their texts as typed (read them after OK).
    const std::vector<Entry>& entries() const { return m_entries; }

  protected:
    void StoreEntry(int index) override;
    void ShowEntry(int index) override;

  private:
    std::vector<Entry> m_entries;
    QLineEdit* m_position;
    QLineEdit* m_mac;
    QLineEdit* m_ssid;
    QLineEdit* m_txPower;
    QLineEdit* m_gain;
    QLabel* m_heightLabel;
    QLineEdit* m_height;
    QLineEdit* m_direction;
    QPlainTextEdit* m_notes;
};

} // namespace plotra::gui
