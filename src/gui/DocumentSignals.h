#pragma once
/// \brief The one bridge between the document's change notices and Qt: every notice becomes the
/// signal changed(), emitted at once on the thread that changed the document (always the
/// user-interface thread). Views connect to it and repaint or rebuild; nothing polls.

#include "model/Notices.h"

#include <QObject>

namespace plotra {
class CPlotraDoc;
}

namespace plotra::gui {

class DocumentSignals : public QObject, public DocumentObserver {
    Q_OBJECT
public:
    explicit DocumentSignals(CPlotraDoc& doc, QObject* parent = nullptr);
    ~DocumentSignals() override;
    void documentChanged(const ChangeNotice& notice) override;

signals:
    void changed(const plotra::ChangeNotice& notice);

private:
    CPlotraDoc& m_doc;
};

} // namespace plotra::gui
