#pragma once
#include <functional>

class QDialog;

// Windows that the system shows modally (new program, copy program, program transfer, comm-port
// settings, splash) are shown through here, so that tests can drive their handlers without a blocking loop. Production runs
// the dialog's own modal loop.
using ModalRunner = std::function<int(QDialog&)>;

// Shows `dialog` modally through the installed runner; returns its result code.
int showModal(QDialog& dialog);
// Installs a runner; an empty one restores the dialog's own modal loop.
void setModalRunner(ModalRunner runner);
