#pragma once
/// \brief The client report: a PDF a surveyor hands to the site's owner. A cover, the requirement
/// summary with the share of the covered area that meets it, the signal, SNR and AP-count pictures
/// with legends, scale bar and north arrow, the channel plan, one section per ticked AP and a page
/// on how the figures were made. Text and lines are vector; pictures are embedded losslessly.
///
/// The PDF is written to a temporary file beside the target and renamed into place only when it is
/// complete, so a failed export never leaves a partial file.

#include "model/Interfaces.h"
#include "model/Palette.h"

#include <cstddef>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace plotra {

class CPlotraDoc;

enum class PaperSize { A4, Letter };

struct ClientReportOptions {
    std::string title = "Wi-Fi Site Survey";
    std::string customer, surveyor;
    PaperSize paper = PaperSize::A4;
    PaletteKind palette = PaletteKind::Classic;
    double signalDbm = -67.0; ///< the requirement: signal at or above
    double snrDb = 25.0;      ///< and SNR at or above
    double targetShare = 0.95;
    /// The report's date; empty takes the current time (tests pass a fixed clock).
    std::function<std::time_t()> clock;
};

/// The site's name on the cover: the workspace's file title, otherwise the first survey file's name.
std::string ClientReportSite(const CPlotraDoc& doc);

/// Writes the report of \p doc to \p pdfPath. False, with the reason in \p error, when it could not
/// be written or \p progress asked for a cancel (the reason is then "cancelled"); any file already at
/// \p pdfPath is then left as it was. Safe on a worker thread for a document no one else writes.
bool WriteClientReport(const CPlotraDoc& doc, const std::string& pdfPath, const ClientReportOptions& options,
                       std::string* error = nullptr, Progress* progress = nullptr);

/// The reason WriteClientReport gives for a cancelled report.
inline constexpr const char* kClientReportCancelled = "cancelled";

/// Splits \p text into lines no wider than \p maxWidth (as \p width measures) only between groups:
/// words end after a space or ','; a word wider than the line is split further after ':' or '-' (the
/// octets of a MAC address, the parts of a hyphenated SSID). A group wider than \p maxWidth gets a
/// line of its own and is never cut. Empty text gives one empty line.
std::vector<std::string> BreakAtGroups(std::string_view text,
                                       const std::function<double(std::string_view)>& width, double maxWidth);

/// "A4"/"a4" or "letter"; false for anything else.
bool ParsePaper(const std::string& text, PaperSize& out);

} // namespace plotra
