#include "mapview/Picture.h"

#include "files/FileIo.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QSaveFile>

#include <limits>

namespace plotra {

namespace {
constexpr char kCaption[] = "CPicture Error";
constexpr char kNoMemory[] = "Can not allocate enough memory\t";
constexpr char kNotSupported[] = "IPicture interface is not supported\t";
} // namespace

CPicture::CPicture(UserPrompts* prompts) : m_pPrompts(prompts) {}

CPicture::~CPicture() = default;

void CPicture::Error(const std::string& text) const {
    if (m_pPrompts) m_pPrompts->message(text, kCaption, PromptIcon::Stop);
}

const QImage& CPicture::Image() const {
    static const QImage kEmpty;
    return m_pPicture ? *m_pPicture : kEmpty;
}

void CPicture::Release() {
    m_pPicture.reset();
    m_aSource.clear();
    m_aSource.shrink_to_fit();
    m_nWidth = m_nHeight = 0;
}

bool CPicture::LoadFromBuffer(std::span<const std::uint8_t> data) {
    Release();
    if (data.empty() || data.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        Error(kNoMemory);
        return false;
    }
    std::vector<std::uint8_t> source(data.begin(), data.end());
    // The reader works on the bytes in place; no copy is kept by Qt beyond the decoded image.
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(source.data()),
                                                     static_cast<qsizetype>(source.size()));
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly)) {
        Error(kNoMemory);
        return false;
    }
    QImageReader reader(&buffer);
    auto image = std::make_unique<QImage>(reader.read());
    if (image->isNull()) {
        // Qt refuses undecodable data and images beyond its allocation limit alike.
        Error(kNotSupported);
        return false;
    }
    m_nWidth = image->width();
    m_nHeight = image->height();
    m_pPicture = std::move(image);
    m_aSource = std::move(source);
    return true;
}

bool CPicture::Load(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        Error(path + ": " + file.errorString().toStdString());
        return false;
    }
    const qint64 size = file.size();
    if (size < 0 || static_cast<std::uint64_t>(size) > kMaxInputFileBytes) {
        Error(kNoMemory);
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.size() != size) {
        Error(path + ": " + file.errorString().toStdString());
        return false;
    }
    return LoadFromBuffer(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())));
}

bool CPicture::Render(QPainter& painter, int left, int top, int right, int bottom) const {
    if (!m_pPicture) return false;
    painter.drawImage(QRectF(left, top, right - left, bottom - top), *m_pPicture,
                      QRectF(0, 0, m_pPicture->width(), m_pPicture->height()));
    return true;
}

bool CPicture::RenderPart(QPainter& painter, int left, int top, int right, int bottom, double start,
                          double end, double lower, double upper) const {
    if (!m_pPicture) return false;
    if (right - left < 1) return true; // nothing to draw into
    const double w = m_pPicture->width(), h = m_pPicture->height();
    // Fractions of the height count from the bottom edge; image rows count from the top.
    const QRectF source(start * w, (1.0 - upper) * h, (end - start) * w, (upper - lower) * h);
    painter.drawImage(QRectF(left, top, right - left, bottom - top), *m_pPicture, source);
    return true;
}

bool CPicture::Save(const std::string& path) const {
    if (!m_pPicture) {
        Error(kNotSupported);
        return false;
    }
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) {
        Error(path + ": " + file.errorString().toStdString());
        return false;
    }
    const qint64 n = static_cast<qint64>(m_aSource.size());
    if (file.write(reinterpret_cast<const char*>(m_aSource.data()), n) != n || !file.commit()) {
        Error(path + ": " + file.errorString().toStdString());
        return false;
    }
    return true;
}

} // namespace plotra
