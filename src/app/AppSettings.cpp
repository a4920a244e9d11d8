#include "app/AppSettings.h"

#include <QDir>
#include <QSettings>

namespace plotra::gui {

namespace {

FontSettings& Fonts() {
    static FontSettings fonts;
    return fonts;
}

QSettings OpenSettings() {
    return QSettings(QStringLiteral("Norlit Systems"), QStringLiteral("Plotra"));
}

const QString kGroup = QStringLiteral("Settings");
const QString kRecent = QStringLiteral("RecentFiles");

} // namespace

const FontSettings& LoadFontSettings() {
    QSettings settings = OpenSettings();
    settings.beginGroup(kGroup);
    const FontSettings defaults;
    FontSettings& fonts = Fonts();
    fonts.name = settings.value(QStringLiteral("FontName"), defaults.name).toString();
    bool ok = false;
    fonts.size = settings.value(QStringLiteral("FontSize"), defaults.size).toInt(&ok);
    if (!ok) fonts.size = defaults.size; // a hand-edited value that is not a number
    fonts.family = settings.value(QStringLiteral("FontFamily"), defaults.family).toInt(&ok);
    if (!ok) fonts.family = defaults.family;
    return fonts;
}

PaletteKind LoadPaletteSetting() {
    QSettings settings = OpenSettings();
    settings.beginGroup(kGroup);
    const std::string name = settings.value(QStringLiteral("Palette")).toString().toStdString();
    return ParsePalette(name).value_or(PaletteKind::Classic);
}

void SavePaletteSetting(PaletteKind palette) {
    QSettings settings = OpenSettings();
    settings.beginGroup(kGroup);
    settings.setValue(QStringLiteral("Palette"), QString::fromLatin1(PaletteName(palette)));
}

const FontSettings& PrintFontSettings() {
    return Fonts();
}

RecentFileList::RecentFileList() {
    QSettings settings = OpenSettings();
    settings.beginGroup(kGroup);
    for (const QString& file : settings.value(kRecent).toStringList())
        if (!file.isEmpty() && !m_files.contains(file) && m_files.size() < kMaxEntries) m_files << file;
}

void RecentFileList::add(const QString& path) {
    if (path.isEmpty()) return;
    const QString clean = QDir::cleanPath(path);
    m_files.removeAll(clean);
    m_files.prepend(clean);
    while (m_files.size() > kMaxEntries)
        m_files.removeLast();
    save();
}

void RecentFileList::remove(const QString& path) {
    if (m_files.removeAll(QDir::cleanPath(path)) > 0) save();
}

void RecentFileList::save() const {
    QSettings settings = OpenSettings();
    settings.beginGroup(kGroup);
    settings.setValue(kRecent, m_files);
}

} // namespace plotra::gui
