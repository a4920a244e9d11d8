#include "files/FileIo.h"

#include "model/Bytes.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace plotra {

namespace {
std::atomic<long long> g_failAfter{-1};
}

void SetWriteFailureAfterBytesForTesting(long long bytes) { g_failAfter = bytes; }

FileBytes ReadWholeFile(const std::string& path, std::uint64_t maxBytes) {
    FileBytes out;
    std::ifstream in(path, std::ios::binary);
    if (!in) return out;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return out;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) return out;
    if (static_cast<std::uint64_t>(size) > maxBytes) {
        out.status = ReadStatus::TooLarge;
        return out;
    }
    in.seekg(0, std::ios::beg);
    out.bytes.resize(static_cast<std::size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char*>(out.bytes.data()), size)) {
        out.bytes.clear();
        return out;
    }
    out.status = ReadStatus::Ok;
    return out;
}

bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    return WriteFileAtomically(path, [bytes](ByteWriter& out) {
        out.Bytes(bytes.data(), bytes.size());
        return true;
    });
}

bool WriteFileAtomically(const std::string& path, const std::function<bool(ByteWriter&)>& produce) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    fs::path tmp = target;
    tmp += ".tmp-plotra";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        const long long failAfter = g_failAfter.load();
        unsigned long long written = 0;
        bool injectFailure = false;
        ByteWriter writer([&](const std::uint8_t* data, std::size_t size) {
            std::size_t n = size;
            if (failAfter >= 0 && written + n > static_cast<unsigned long long>(failAfter)) {
                n = static_cast<std::size_t>(static_cast<unsigned long long>(failAfter) - written);
                injectFailure = true;
            }
            out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(n));
            written += n;
            return static_cast<bool>(out) && !injectFailure;
        });
        const bool produced = produce(writer);
        const bool finished = writer.Finish();
        out.flush();
        if (!produced || !finished || !out || injectFailure) {
            out.close();
            std::error_code ec;
            fs::remove(tmp, ec);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(tmp, target, ec);
    if (ec) {
        fs::remove(tmp, ec);
        return false;
    }
    return true;
}

std::string FileTitle(const std::string& path) {
    // The name as a file dialog gives its title: without the last extension ("a.b.hsd" -> "a.b"); a
    // name that starts with its only dot keeps it.
    return std::filesystem::path(path).stem().string();
}

std::string AbsolutePath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

} // namespace plotra
