#pragma once
#include <QDialog>

class QFrame;
class QLabel;

// The splash window shown modally at the end of start-up; any click or key closes it.
class frmSplash : public QDialog {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    void Form_Load();
    // Every click and key press on the window or anything in it unloads it.
    void Form_Click();
    void Form_KeyPress();

    // Loads the splash and shows it modally; returns when it was closed.
    static void showModal(QWidget* parent);

    QFrame* fraSplash = nullptr;
    QLabel* imgLogo = nullptr;
    QLabel* lblCompanyProduct = nullptr;
    QLabel* lblProductName = nullptr;
    QLabel* lblPlatform = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblCompany = nullptr;
    QLabel* lblCopyright = nullptr;
    QLabel* lblWarning = nullptr;
    QLabel* lblClickToContinue = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};
