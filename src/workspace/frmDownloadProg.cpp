#include "workspace/frmDownloadProg.h"

#include "comm/RSComm.h"
#include "workspace/modUtility.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

frmDownloadProg::frmDownloadProg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmDownloadProg"));
    setWindowTitle(QStringLiteral("Corvanex"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    fraWaitDisplay = new QGroupBox(this);
    lblWaitDisplay = new QLabel(QStringLiteral("Sending Program at Address: 0000H"), fraWaitDisplay);
    lblWaitDisplay->setAlignment(Qt::AlignCenter);
    // Wide enough for the longest text, so the window does not jump while the address changes.
    lblWaitDisplay->setMinimumWidth(lblWaitDisplay->fontMetrics().horizontalAdvance(
                                        QStringLiteral("Reading From Program Address: 0000H")) +
                                    24);
    auto* inner = new QVBoxLayout(fraWaitDisplay);
    inner->setContentsMargins(18, 18, 18, 18);
    inner->addWidget(lblWaitDisplay);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(fraWaitDisplay);
    Timer1 = new QTimer(this);
    Timer1->setInterval(250);
    connect(Timer1, &QTimer::timeout, this, &frmDownloadProg::Timer1_Timer);
}

void frmDownloadProg::Form_Load()
{
    lblWaitDisplay->setText(m_mode == 0 ? QStringLiteral("Sending Program at Address: ")
                                        : QStringLiteral("Reading Program at Address: "));
    adjustSize();
    CenterForm(this);
    Timer1->stop();
}

void frmDownloadProg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_activated) {
        m_activated = true;
        // After the window has been painted once, so the user sees it before the first exchange.
        QTimer::singleShot(0, this, &frmDownloadProg::Form_Activate);
    }
}

void frmDownloadProg::Form_Activate()
{
    m_activated = true;
    Timer1->start();
    m_transferring = true;
    if (gRSComm) {
        if (m_mode == 0)
            gRSComm->DumpProgram();
        else
            gRSComm->UploadProgram();
    }
    m_transferring = false;
    Form_Terminate();
}

void frmDownloadProg::Form_Terminate()
{
    Timer1->stop();
    m_mode = 0;
    QApplication::processEvents();
    done(Accepted);
}

void frmDownloadProg::Timer1_Timer()
{
    if (!gRSComm)
        return;
    const RSComm& c = *gRSComm;
    if (m_mode == 0 && c.InProgramMode())
        lblWaitDisplay->setText(c.WritingIdent() ? QStringLiteral("Writing Program Ident ... ")
                                                 : QStringLiteral("Writing to Program Address: ") + c.CurrentProgramAdd());
    else if (m_mode == 1 && c.InUploadMode())
        lblWaitDisplay->setText(c.ReadingIdent() ? QStringLiteral("Reading Program Ident ... ")
                                                 : QStringLiteral("Reading From Program Address: ") +
                                                       c.CurrentProgramAdd());
}

void frmDownloadProg::reject()
{
    if (!m_transferring)
        QDialog::reject();
}
