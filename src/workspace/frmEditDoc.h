#pragma once
#include <QByteArray>
#include <QDialog>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

class GridModel;
class GridView;
class QGroupBox;
class QPushButton;

// The texts one NAM (nicknames) or DOC (descriptions) file gives, as the documentation viewer reads
// it: whole lines; sections in file order for F flags, B bytes, then X, Y and I points; a variable
// line is a 4-character number and its text; after a "/" line, lines are bits (a digit 0-7 and the
// text) of the variable named last, until a "#" or "&" line; the 5th "&" ends the file.
struct VarDocTexts {
    static constexpr int kFlags = 992;  // F0 to F991
    static constexpr int kBytes = 8176; // B0 to B8175
    static constexpr int kPoints = 152; // X, Y and I 0 to 151
    using Slots = std::array<QString, 9>; // 0 the variable, 1 to 8 its bits 0 to 7

    VarDocTexts();
    std::vector<QString> flags;
    std::vector<Slots> bytes;
    std::array<std::vector<Slots>, 3> points; // X, Y, I
};

// Why a file could not be read to its end, in the "Error Number = " form's two parts.
struct VarDocError {
    int number = 0;
    QString description;
};

// Reads a file's bytes into `texts` (a later entry replaces an earlier one). Reading stops at the
// first line it cannot take; what was stored before it stays.
std::optional<VarDocError> readVarDocFile(const QByteArray& bytes, VarDocTexts& texts);
// The listed rows ("F0007", nickname, description), in the viewer's order: flags, bytes from 32,
// then X, Y and I, each variable before its bits; only entries with a text in either file.
std::vector<QStringList> listVarDoc(const VarDocTexts& nam, const VarDocTexts& doc);

// The variable documentation viewer: one program's nicknames and descriptions, listed in a grid.
// It only displays; nothing is written back.
class frmEditDoc : public QDialog {
    Q_OBJECT
public:
    explicit frmEditDoc(QWidget* parent = nullptr);
    ~frmEditDoc() override;

    // The program's path without its extension; the viewer reads stem.nam and stem.doc.
    void InitializeVar(const QString& CorvaneFilePath);
    void Form_Load();
    // Sets the grid up again and lists both files anew.
    void Form_Activate();
    void Form_Unload();

    // Loads the viewer on `stem`, shows it modally and unloads it.
    static void showModal(QWidget* parent, const QString& stem);

    QGroupBox* fraVariableNames = nullptr;
    GridModel* fgEditDocModel = nullptr;
    GridView* fgEditDoc = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void DisplayData();

    QString m_namPath;
    QString m_docPath;
};
