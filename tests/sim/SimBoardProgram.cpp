// Program-load mode of the simulated board: records of count, address high, address low and data
// bytes, each answered by the sum of its bytes once the last one is in. The data goes to memory.
#include "SimBoard.h"

std::optional<uint8_t> SimBoard::loadRecord(uint8_t byte)
{
    if (m_step == 0) {
        m_recordCount = byte;
        m_recordSum = byte;
        m_step = 1;
        return std::nullopt;
    }
    m_recordSum += byte;
    if (m_step == 1)
        m_address = byte << 8;
    else if (m_step == 2)
        m_address |= byte;
    else
        memory[(m_address + m_step - 3) & 0xFFFF] = byte;
    ++m_step;
    if (m_step < 3 + m_recordCount)
        return std::nullopt;
    m_step = 0;
    const long record = recordsLoaded++;
    if (record == silentRecord)
        return std::nullopt;
    return static_cast<uint8_t>((m_recordSum + (record == wrongSumRecord ? 1 : 0)) & 0xFF);
}
