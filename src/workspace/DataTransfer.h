#pragma once
// Board data between a program's LDT file and controller byte addresses, and a datafile of values
// written to consecutive addresses: the wait display's mode 4 and the rules it works by.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class frmWaitDisplay;

// Byte addresses of a board's image in the LDT file (first and last, inclusive).
struct AddressSpan {
    int first;
    int last;
    int count() const { return last - first + 1; }
};
// The image an LDT file holds for a board code: 0-8175 (50), 0-7167 (68), else 70-219.
AddressSpan ldtImageSpan(int boardCode);
// The standard range of a transfer, which is also the limit of a chosen range: 32-8175 (50),
// 32-7167 (68), else 70-219.
AddressSpan standardRange(int boardCode);
// Addresses a download never writes on the boards of codes 50 and 68.
bool skippedOnDownload(int boardCode, int address);

// The LDT file as it is read: one line of two-digit pairs, one byte per address of the image from
// its first address. Digits may be MarkHEX (A-F written ":;<=>?") or plain hexadecimal; blanks around
// the line are ignored. The whole line is checked before anything is used: an odd length, a
// character that is no digit, or more pairs than the board's image refuse it, with the reason.
struct LdtContents {
    std::vector<int> bytes; // by address from the image's first address
    QString error;          // why the file is refused; empty when it was read
    bool empty = false;     // the file has no pairs
};
LdtContents parseLdt(const QByteArray& fileData, int boardCode);
// The line an LDT file holds for `bytes`: capitals in MarkHEX, without the line end.
QString ldtLine(const std::vector<int>& bytes);

// The items of a datafile, in order; empty items after the last value are not items.
QStringList datafileItems(const QByteArray& fileData);

// Mode 4 of the wait display: the transfer gDataXferMode names, on gDataXferBoardType,
// gDataXferFile and gDataXferFrom to gDataXferTo (for a datafile, the starting address kept by
// frmWaitDisplay::SetupFileDownload). Cancel and a communication error end it at the next address.
void TransferData(frmWaitDisplay& display);
