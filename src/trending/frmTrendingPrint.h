#pragma once
#include <QDialog>

class GraphSurface;
class QCheckBox;
class QLabel;
class QPushButton;
class frmTrending;

// "Print -Trending": prints the trend data as a report (through the wait display), the graph on a
// landscape page, or both, on the printer chosen with Setup.
class frmTrendingPrint : public QDialog {
    Q_OBJECT
public:
    explicit frmTrendingPrint(QWidget* parent = nullptr);

    // The trending window whose grid is printed, the picture that gets its frame back afterwards,
    // and the sample count of the graph.
    void InitialilizePrint(frmTrending* DataObject, GraphSurface* GraphObject, int Samples);

    void Form_Load();
    void Form_Unload();
    void cmdOk_Click();
    void cmdCancel_Click();
    void cmdSetup_Click();

    QCheckBox* chkGraph = nullptr;
    QCheckBox* chkTrendData = nullptr;
    QLabel* lblPrinter = nullptr;
    QPushButton* cmdSetup = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    void printGraph();
    void printError(int number, const QString& description);

    frmTrending* m_data = nullptr;
    GraphSurface* m_graph = nullptr;
    int m_samples = 255;
    int m_copies = 1;
};
