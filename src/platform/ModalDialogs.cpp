#include "platform/ModalDialogs.h"

#include <QDialog>

namespace {
ModalRunner& runner()
{
    static ModalRunner r;
    return r;
}
} // namespace

int showModal(QDialog& dialog) { return runner() ? runner()(dialog) : dialog.exec(); }

void setModalRunner(ModalRunner r) { runner() = std::move(r); }
