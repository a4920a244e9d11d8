#pragma once
/// \brief The per-user settings of the desktop program: the printout font of the table (read once at
/// start-up) and the list of recently opened files. Both live in QSettings("Norlit Systems",
/// "Plotra"), group "Settings";
/// changes reach the file from a background thread (see FlushSettings).

#include "model/Palette.h"

#include <QString>
#include <QStringList>

namespace plotra::gui {

/// \brief The font the table printout uses: face name, size in tenths of a point, and family code.
struct FontSettings {
    QString name = QStringLiteral("Arial");
    int size = 120;
    int family = 34;
};

/// Reads "FontName", "FontSize" and "FontFamily" (defaults "Arial", 120, 34) and keeps them for
/// PrintFontSettings(). Called once at start-up; missing values are not written back.
const FontSettings& LoadFontSettings();
/// The font values read at start-up (the defaults before LoadFontSettings ran).
const FontSettings& PrintFontSettings();

/// The colour scale the pictures are drawn in ("Palette": classic, viridis or cividis; classic for
/// anything else). A choice of the user's, not of a project: the workspace does not keep it.
PaletteKind LoadPaletteSetting();
void SavePaletteSetting(PaletteKind palette);

/// Waits until every setting changed so far is in the settings file. The changes are written by a
/// thread of their own (a sync of the file may wait for a busy disk); the application's end waits
/// for them too.
void FlushSettings();

/// \brief The recently opened files, newest first, at most kMaxEntries, kept in the settings.
class RecentFileList {
  public:
    static constexpr int kMaxEntries = 4;

    /// Reads the list from the settings.
    RecentFileList();
    const QStringList& files() const { return m_files; }
    /// Puts \p path first (an equal entry moves up) and saves the list.
    void add(const QString& path);
    /// Drops \p path (a file that could not be opened) and saves the list.
    void remove(const QString& path);

  private:
    void save() const;
    QStringList m_files;
};

} // namespace plotra::gui
