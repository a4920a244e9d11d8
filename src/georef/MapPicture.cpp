#include "georef/MapPicture.h"

#include <algorithm>
#include <cmath>

namespace plotra {

namespace {

std::uint64_t RowBytes24(std::uint64_t width) {
    return (width * 24 + 31) / 32 * 4;
}

bool Fits(std::uint64_t w, std::uint64_t h, std::uint64_t maxPixels, std::uint64_t maxBytes) {
    return (maxPixels == 0 || w * h <= maxPixels) && Bmp24FileBytes(w, h) <= maxBytes;
}

} // namespace

std::uint64_t Bmp24FileBytes(std::uint64_t width, std::uint64_t height) {
    return 54 + RowBytes24(width) * height;
}

PictureSize ReducedSize(int width, int height, std::uint64_t maxPixels, std::uint64_t maxBmpBytes) {
    const std::uint64_t W = static_cast<std::uint64_t>(std::max(width, 1));
    const std::uint64_t H = static_cast<std::uint64_t>(std::max(height, 1));
    if (Fits(W, H, maxPixels, maxBmpBytes)) return {static_cast<int>(W), static_cast<int>(H), false};
    // The largest common scale that fits, by bisection: the size at a scale (each side rounded
    // down, at least one pixel) only grows with the scale, and fitting only gets harder as it grows.
    auto sideAt = [](std::uint64_t n, double s) {
        return std::clamp<std::uint64_t>(static_cast<std::uint64_t>(static_cast<double>(n) * s), 1, n);
    };
    double lo = 0.0, hi = 1.0;
    for (int i = 0; i < 64; ++i) {
        const double mid = 0.5 * (lo + hi);
        if (Fits(sideAt(W, mid), sideAt(H, mid), maxPixels, maxBmpBytes))
            lo = mid;
        else
            hi = mid;
    }
    const double fw = static_cast<double>(W) * lo, fh = static_cast<double>(H) * lo;
    std::uint64_t w = sideAt(W, lo), h = sideAt(H, lo);
    // A long, thin picture reaches one pixel on its short side first: the long side then takes the
    // largest length that fits with it (by bisection again).
    if ((fh < 1.0) != (fw < 1.0)) {
        const bool wide = fh < 1.0;
        std::uint64_t a = 1, b = wide ? W : H;
        while (a < b) {
            const std::uint64_t mid = a + (b - a + 1) / 2;
            if (wide ? Fits(mid, 1, maxPixels, maxBmpBytes) : Fits(1, mid, maxPixels, maxBmpBytes))
                a = mid;
            else
                b = mid - 1;
        }
        (wide ? w : h) = a;
        (wide ? h : w) = 1;
    }
    return {static_cast<int>(w), static_cast<int>(h), true};
}

std::optional<Bmp24Canvas> Bmp24Canvas::Create(int width, int height, std::uint64_t maxBytes) {
    if (width <= 0 || height <= 0) return std::nullopt;
    const std::uint64_t w = static_cast<std::uint64_t>(width), h = static_cast<std::uint64_t>(height);
    const std::uint64_t total = Bmp24FileBytes(w, h);
    if (total > maxBytes || total > 0xFFFFFFFFull) return std::nullopt;
    Bmp24Canvas c;
    c.m_width = width;
    c.m_height = height;
    c.m_rowBytes = static_cast<std::size_t>(RowBytes24(w));
    c.m_bytes.assign(static_cast<std::size_t>(total), 0);
    std::uint8_t* p = c.m_bytes.data();
    auto put16 = [&p](std::uint32_t v) {
        *p++ = static_cast<std::uint8_t>(v);
        *p++ = static_cast<std::uint8_t>(v >> 8);
    };
    auto put32 = [&put16](std::uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    // The same header as every other BMP the program writes: 40-byte information header, bottom-up
    // rows, no compression, 96 dpi.
    *p++ = 'B';
    *p++ = 'M';
    put32(static_cast<std::uint32_t>(total));
    put32(0);
    put32(54);
    put32(40);
    put32(static_cast<std::uint32_t>(width));
    put32(static_cast<std::uint32_t>(height));
    put16(1);
    put16(24);
    put32(0);
    put32(static_cast<std::uint32_t>(total - 54));
    put32(3780);
    put32(3780);
    put32(0);
    put32(0);
    return c;
}

std::uint8_t* Bmp24Canvas::Row(int y) {
    return m_bytes.data() + 54 + static_cast<std::size_t>(m_height - 1 - y) * m_rowBytes;
}

void PlanesToBgr(const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue,
                 const std::uint8_t* alpha, std::size_t count, std::uint8_t* bgr) {
    if (alpha) {
        for (std::size_t i = 0; i < count; ++i, bgr += 3) {
            bgr[0] = OnWhite(blue[i], alpha[i]);
            bgr[1] = OnWhite(green[i], alpha[i]);
            bgr[2] = OnWhite(red[i], alpha[i]);
        }
    } else {
        for (std::size_t i = 0; i < count; ++i, bgr += 3) {
            bgr[0] = blue[i];
            bgr[1] = green[i];
            bgr[2] = red[i];
        }
    }
}

void PaletteToBgr(const std::int32_t* index, std::span<const PaletteEntry> palette, const std::uint8_t* alpha,
                  std::size_t count, std::uint8_t* bgr) {
    static constexpr PaletteEntry kWhite{255, 255, 255, 255};
    for (std::size_t i = 0; i < count; ++i, bgr += 3) {
        const std::int32_t k = index[i];
        const PaletteEntry& c = k >= 0 && static_cast<std::size_t>(k) < palette.size()
                                    ? palette[static_cast<std::size_t>(k)]
                                    : kWhite;
        // The entry's own transparency (a PNG tRNS chunk) and the raster's mask both cover it.
        const std::uint8_t a = alpha ? static_cast<std::uint8_t>((c[3] * alpha[i] + 127) / 255) : c[3];
        bgr[0] = OnWhite(c[2], a);
        bgr[1] = OnWhite(c[1], a);
        bgr[2] = OnWhite(c[0], a);
    }
}

void StretchToBytes(const double* values, std::size_t count, double low, double high, std::uint8_t* out) {
    const double span = high - low;
    const double scale = std::isfinite(span) && span > 0.0 ? 255.0 / span : 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double v = values[i];
        if (std::isnan(v)) {
            out[i] = 255;
            continue;
        }
        const double t = scale > 0.0 ? (v - low) * scale : (v >= high ? 255.0 : 0.0);
        out[i] = static_cast<std::uint8_t>(std::clamp(t, 0.0, 255.0) + 0.5); // 255.5 truncates to 255
    }
}

} // namespace plotra
