#include "gui/AppSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QStringList>
#include <QVariant>

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

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
// Until a value is on disk it is read from the pending list, so a window made meanwhile sees it.
// What crosses threads is plain text (no implicitly shared Qt value is shared between them).
struct SettingValue {
    bool list = false;
    std::vector<std::string> items; // a text is one item
    bool operator==(const SettingValue&) const = default;

    static SettingValue Of(const QVariant& value) {
        SettingValue out;
        out.list = value.typeId() == QMetaType::QStringList;
        for (const QString& item : out.list ? value.toStringList() : QStringList{value.toString()})
            out.items.push_back(item.toStdString());
        return out;
    }
    QVariant ToVariant() const {
        if (!list) return items.empty() ? QString() : QString::fromStdString(items.front());
        QStringList texts;
        for (const std::string& item : items)
            texts << QString::fromStdString(item);
        return texts;
    }
};

class SettingsWriter {
  public:
    ~SettingsWriter() {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        if (m_thread.joinable()) m_thread.join();
    }

    void Write(const QString& key, const QVariant& value) {
        {
            const std::lock_guard lock(m_mutex);
            m_queue.emplace_back(key.toStdString(), SettingValue::Of(value));
            m_pending[m_queue.back().first] = m_queue.back().second;
            if (!m_thread.joinable()) {
                m_thread = std::thread([this] { Run(); });
                qAddPostRoutine(FlushSettings);
            }
        }
        m_changed.notify_all();
    }

    std::optional<QVariant> Pending(const QString& key) {
        const std::lock_guard lock(m_mutex);
        const auto it = m_pending.find(key.toStdString());
        if (it == m_pending.end()) return std::nullopt;
        return it->second.ToVariant();
    }

    void Flush() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_queue.empty() && !m_busy; });
    }

  private:
    void Run() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [this] { return m_stop || !m_queue.empty(); });
            if (m_queue.empty()) return; // stopped with nothing left
            auto [key, value] = std::move(m_queue.front());
            m_queue.pop_front();
            m_busy = true;
            lock.unlock();
            {
                QSettings settings = OpenSettings();
                settings.setValue(QString::fromStdString(key), value.ToVariant());
            } // synced here
            lock.lock();
            m_busy = false;
            const auto it = m_pending.find(key);
            if (it != m_pending.end() && it->second == value) m_pending.erase(it);
            m_changed.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::pair<std::string, SettingValue>> m_queue;
    std::map<std::string, SettingValue> m_pending; // by "group/key"
    bool m_busy = false, m_stop = false;
    std::thread m_thread;
};

SettingsWriter& Writer() {
    static SettingsWriter writer;
    return writer;
}

void WriteLater(const QString& key, const QVariant& value) {
    Writer().Write(key, value);
}

QVariant ReadSetting(const QString& key) {
    if (std::optional<QVariant> pending = Writer().Pending(key)) return *pending;
    return OpenSettings().value(key);
}

} // namespace

void FlushSettings() {
    Writer().Flush();
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
