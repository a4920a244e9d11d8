#pragma once
/// \brief What the main window's two source files share: the recent files' command numbers, the
/// panes that take part in the routing, and the texts and values of a few commands.

#include "gui/AppSettings.h"
#include "gui/Commands.h"
#include "gui/Panes.h"
#include "model/Palette.h"

#include <QString>
#include <QWidget>

#include <string>

namespace plotra::gui::main_window {

inline constexpr int kFirstRecentId = kCmdRecentFile;

inline bool IsRecentId(int id) {
    return id >= kFirstRecentId && id < kFirstRecentId + RecentFileList::kMaxEntries;
}

/// The right pane and the control panel take part in the routing when they handle commands.
inline CommandTarget* TargetOf(QWidget* pane) {
    return dynamic_cast<CommandTarget*>(pane);
}

inline PaletteKind PaletteOfCommand(int id) {
    if (id == kCmdPaletteViridis) return PaletteKind::Viridis;
    if (id == kCmdPaletteCividis) return PaletteKind::Cividis;
    return PaletteKind::Classic;
}

/// "&Undo Move AP 02-1A-67-10-00-03\tCtrl+Z": the command, the edit it takes back (an "&" in a name
/// is no mnemonic) and its key; the plain command when there is no edit.
inline QString EditCommandText(const QString& command, const std::string& edit, const QString& key) {
    QString text = command;
    if (!edit.empty())
        text += QLatin1Char(' ') + QString::fromStdString(edit).replace('&', QStringLiteral("&&"));
    return text + QLatin1Char('\t') + key;
}

} // namespace plotra::gui::main_window
