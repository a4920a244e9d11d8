#include "gui/AppSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QThreadPool>
#include <QVariant>

#include <map>
#include <mutex>
#include <optional>

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

// Settings are written by one background thread, in the order they were set. Writing them syncs the
// settings file, and on a disk still busy with what was just saved (a workspace of gigabytes) that
// sync waits a second for the disk: the window would stand still that long after every save.
// Until a value is on disk it is read from here, so a window made meanwhile sees it.
struct PendingWrites {
    std::mutex mutex;
    std::map<QString, QVariant> values; // by "group/key"
};

PendingWrites& Pending() {
    static PendingWrites pending;
    return pending;
}

QThreadPool& Writer() {
    // Never destroyed: the application's end waits for it instead (a static's destructor could run
    // after QSettings' own statics are gone).
    static QThreadPool* const pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(1); // one thread: the writes reach the file in order
        qAddPostRoutine(FlushSettings);
        return p;
    }();
    return *pool;
}

void WriteLater(const QString& key, const QVariant& value) {
    {
        const std::lock_guard lock(Pending().mutex);
        Pending().values[key] = value;
    }
    Writer().start([key, value] {
        {
            QSettings settings = OpenSettings();
            settings.setValue(key, value);
        } // synced here
        const std::lock_guard lock(Pending().mutex);
        const auto it = Pending().values.find(key);
        if (it != Pending().values.end() && it->second == value) Pending().values.erase(it);
    });
}

std::optional<QVariant> PendingValue(const QString& key) {
    const std::lock_guard lock(Pending().mutex);
    const auto it = Pending().values.find(key);
    if (it == Pending().values.end()) return std::nullopt;
    return it->second;
}

QVariant ReadSetting(const QString& key) {
    if (std::optional<QVariant> pending = PendingValue(key)) return *pending;
    return OpenSettings().value(key);
}

} // namespace

void FlushSettings() {
    Writer().waitForDone();
}

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
    const std::string name = ReadSetting(kGroup + QStringLiteral("/Palette")).toString().toStdString();
    return ParsePalette(name).value_or(PaletteKind::Classic);
}

void SavePaletteSetting(PaletteKind palette) {
    WriteLater(kGroup + QStringLiteral("/Palette"), QString::fromLatin1(PaletteName(palette)));
}

const FontSettings& PrintFontSettings() {
    return Fonts();
}

RecentFileList::RecentFileList() {
    for (const QString& file : ReadSetting(kGroup + '/' + kRecent).toStringList())
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
    WriteLater(kGroup + '/' + kRecent, m_files);
}

} // namespace plotra::gui
