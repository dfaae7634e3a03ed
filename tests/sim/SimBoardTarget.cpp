// The target board's fault area, identity block, network addresses and clock: named cells of its
// memory (the rule is in SimBoard.h).
#include "SimBoard.h"

namespace {
enum : int {
    CurrentFault = 8176,
    LastFault = 8177,
    LastCommError = 8178,
    CurrentCommError = 8179,
    IdentBlock = 61424,
    Hour = 43012,
    Minute = 43010,
    Second = 43008,
    Month = 43016,
    Day = 43015,
    Year = 43017,
};
} // namespace

void SimBoard::injectFault(int code)
{
    memory[CurrentFault] = static_cast<uint8_t>(code);
    memory[LastFault] = static_cast<uint8_t>(code);
}

void SimBoard::injectCommError(int code)
{
    memory[CurrentCommError] = static_cast<uint8_t>(code);
    memory[LastCommError] = static_cast<uint8_t>(code);
}

void SimBoard::setIdentity(const QByteArray& ident, int checksum, int revision)
{
    for (int k = 0; k < 8; ++k)
        memory[IdentBlock + k] = k < ident.size() ? static_cast<uint8_t>(ident[k]) : 0;
    memory[IdentBlock + 8] = static_cast<uint8_t>(checksum);
    memory[IdentBlock + 9] = static_cast<uint8_t>(revision);
}

void SimBoard::setClock(const Clock& c)
{
    memory[Hour] = static_cast<uint8_t>(c.hour);
    memory[Minute] = static_cast<uint8_t>(c.minute);
    memory[Second] = static_cast<uint8_t>(c.second);
    memory[Month] = static_cast<uint8_t>(c.month);
    memory[Day] = static_cast<uint8_t>(c.day);
    memory[Year] = static_cast<uint8_t>(c.year);
}

SimBoard::Clock SimBoard::clock() const
{
    return {memory[Hour], memory[Minute], memory[Second], memory[Month], memory[Day], memory[Year]};
}
