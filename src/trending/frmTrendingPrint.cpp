#include "trending/frmTrendingPrint.h"

#include "platform/GridModel.h"
#include "platform/PrintSurface.h"
#include "platform/Prompts.h"
#include "trending/frmTrending.h"
#include "trending/modGraph.h"
#include "workspace/modReport.h"
#include "workspace/modUtility.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frmTrendingPrint::frmTrendingPrint(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmTrendingPrint"));
    setWindowTitle(QStringLiteral("Print -Trending"));
    auto* what = new QGroupBox(QStringLiteral("Print What"), this);
    chkGraph = new QCheckBox(QStringLiteral("Graph"), what);
    chkTrendData = new QCheckBox(QStringLiteral("Trend Data"), what);
    chkTrendData->setChecked(true);
    auto* whatLayout = new QVBoxLayout(what);
    whatLayout->addWidget(chkGraph);
    whatLayout->addWidget(chkTrendData);

    auto* printerLabel = new QLabel(QStringLiteral("Printer:"), this);
    lblPrinter = new QLabel(this);
    lblPrinter->setMinimumWidth(220);
    lblPrinter->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* printer = new QHBoxLayout;
    printer->addWidget(printerLabel);
    printer->addWidget(lblPrinter, 1);

    cmdSetup = new QPushButton(QStringLiteral("&Setup..."), this);
    cmdOk = new QPushButton(QStringLiteral("&OK"), this);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdOk->setDefault(true);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdSetup);
    buttons->addStretch(1);

    auto* left = new QVBoxLayout;
    left->addWidget(what);
    left->addLayout(printer);
    auto* page = new QHBoxLayout(this);
    page->addLayout(left, 1);
    page->addLayout(buttons);

    connect(cmdOk, &QPushButton::clicked, this, &frmTrendingPrint::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmTrendingPrint::cmdCancel_Click);
    connect(cmdSetup, &QPushButton::clicked, this, &frmTrendingPrint::cmdSetup_Click);
}

void frmTrendingPrint::InitialilizePrint(frmTrending* DataObject, GraphSurface* GraphObject, int Samples)
{
    m_data = DataObject;
    m_graph = GraphObject;
    m_samples = Samples;
}

void frmTrendingPrint::Form_Load() { lblPrinter->setText(printing().deviceName()); }

void frmTrendingPrint::Form_Unload()
{
    m_data = nullptr;
    m_graph = nullptr;
    done(QDialog::Accepted);
}

void frmTrendingPrint::cmdSetup_Click()
{
    // Cancel keeps the printer as it was; the label shows the printer either way.
    if (const std::optional<int> copies = printing().setupDialog())
        m_copies = *copies;
    lblPrinter->setText(printing().deviceName());
    QCoreApplication::processEvents();
}

void frmTrendingPrint::cmdOk_Click()
{
    bool failed = false;
    if (chkTrendData->isChecked()) {
        gReportJob.copies = m_copies;
        gReportJob.error.reset();
        ShowWaitDisplay(5);
        if (gReportJob.error) {
            printError(gReportJob.error->number, gReportJob.error->description);
            failed = true;
        }
    }
    // A printer that failed on the report is not given the graph as well.
    if (chkGraph->isChecked() && m_data && !failed)
        printGraph();
    Form_Unload();
}

void frmTrendingPrint::printError(int number, const QString& description)
{
    msgBox(errorText(number, description), Buttons::Ok, Icon::Information, QStringLiteral("Print"));
}

void frmTrendingPrint::cmdCancel_Click() { Form_Unload(); }

void frmTrendingPrint::printGraph()
{
    // The printer stays in landscape for later jobs, as it was left.
    printing().setOrientation(PrintSurface::Orientation::Landscape);
    std::unique_ptr<PrintSurface> page = printing().openDocument();
    PrintGraphSurface surface(*page);
    DrawGraphFrame(&surface);
    PlotGraphData(graphValues(m_data->sampleTexts(), m_samples), GraphColor::Black);
    page->endDoc();
    const bool failed = page->failed();
    const QString device = page->deviceName();
    // The picture becomes the graph's surface again, with its empty frame.
    DrawGraphFrame(m_graph);
    if (failed)
        printError(482, QStringLiteral("Printer error: ") + device);
}
