// The processing worker: one thread that runs ProcessData while the caller waits (the GUI behind its
// modal progress dialog, the command-line tool and the tests by joining it).
#include "analysis/Processing.h"
#include "model/PlotraDoc.h"

namespace plotra {

bool CPlotraDoc::StartProcessing() {
    bool idle = false;
    if (!m_bProcessingRunning.compare_exchange_strong(idle, true, std::memory_order_acq_rel)) return false;
    if (m_processingThread.joinable()) m_processingThread.join(); // an earlier, finished run
    m_processingThread = std::thread([this] {
        try {
            ProcessData(*this);
        } catch (...) {
            // Out of memory part way: m_bDataLoaded stays clear, so no view takes the results as complete.
        }
        m_bProcessingRunning.store(false, std::memory_order_release);
    });
    return true;
}

void CPlotraDoc::JoinProcessing() {
    if (m_processingThread.joinable()) m_processingThread.join();
}

bool CPlotraDoc::RunProcessing() {
    if (!StartProcessing()) return false;
    JoinProcessing();
    return true;
}

} // namespace plotra
