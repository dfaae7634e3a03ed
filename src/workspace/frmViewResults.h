#pragma once
#include <QString>
#include <QStringList>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;
class PrintSurface;

// The results viewer: the compile errors and search results that the external tools leave beside a
// program. A child view of the main window, made once and then hidden and shown again.
class frmViewResults : public QWidget {
    Q_OBJECT
public:
    explicit frmViewResults(QWidget* parent = nullptr);

    // 0 compile errors of gProgramFile, 1 search results of gProgramFile, 2 the last results again.
    void DisplayResults(int Mode);
    // Prints the shown text after the printer set-up dialog.
    void PrintResults();
    // Prints `text` on `surface` with a half-inch left margin, a new page when a line does not fit.
    static void printText(PrintSurface& surface, const QString& text);

    // Shows the viewer as a child view and activates it.
    void ShowMe();
    void Form_Activate();
    void Form_Deactivate();
    void Form_Resize();
    // The close box: the viewer is hidden and starts empty next time.
    void Form_Unload();

    void cmdOk_Click();
    void cmdClear_Click();

    QPlainTextEdit* txtViewErrors = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdClear = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QStringList m_lines;
    QString m_keptSelection;
    bool m_inResize = false;
};
