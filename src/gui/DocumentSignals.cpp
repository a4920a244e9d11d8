#include "gui/DocumentSignals.h"

#include "model/PlotraDoc.h"

namespace plotra::gui {

DocumentSignals::DocumentSignals(CPlotraDoc& doc, QObject* parent) : QObject(parent), m_doc(doc) {
    qRegisterMetaType<plotra::ChangeNotice>("plotra::ChangeNotice");
    m_doc.AddObserver(this);
}

DocumentSignals::~DocumentSignals() { m_doc.RemoveObserver(this); }

void DocumentSignals::documentChanged(const ChangeNotice& notice) { emit changed(notice); }

} // namespace plotra::gui
