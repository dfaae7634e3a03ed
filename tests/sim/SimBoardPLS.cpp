// The limit-switch side of the simulated board: word reads and writes of scale, offset, position
// and speed, channel setpoints and pulse trains, the four configuration blocks, the configuration
// upload, the channel recall, and the ready poll that ends every command that changes the board.
#include "SimBoard.h"

#include <algorithm>

namespace {
bool isWordRead(uint8_t c) { return c == 0x18 || c == 0x28 || c == 0x48 || c == 0x58; }
bool isBlock(uint8_t c) { return c == 0x3B || c == 0x4B || c == 0x5B || c == 0x6B; }
constexpr uint8_t kAck = 0x55;

std::string hexByte(uint8_t b)
{
    static const char digits[] = "0123456789ABCDEF";
    return {digits[b >> 4], digits[b & 15]};
}
} // namespace

int SimBoard::plsArgumentCount() const
{
    if (m_command == 0x1A || m_command == 0x2A)
        return 2;
    if (m_command == 0x1B || m_command == 0x2B || isBlock(m_command))
        return 6;
    if (m_command == 0x09)
        return 1;
    return 0;
}

std::optional<uint8_t> SimBoard::enterPLSCommand(uint8_t command)
{
    const bool known = isWordRead(command) || isBlock(command) || command == 0x1A || command == 0x2A ||
                       command == 0x1B || command == 0x2B || command == 0x0C || command == 0x09;
    if (!known)
        return std::nullopt;
    m_mode = Mode::PLSCommand;
    m_command = command;
    m_args.clear();
    m_step = 0;
    m_readyStep = -1;
    pls.lastCommand = {command};
    return kAck;
}

bool SimBoard::plsAtFixedByte() const
{
    return m_readyStep >= 0 || m_step >= plsArgumentCount();
}

std::vector<std::pair<int, uint8_t>> SimBoard::switchingPoints(int channel) const
{
    std::vector<std::pair<int, uint8_t>> points;
    for (const auto& [on, off] : pls.setpoints[channel]) {
        if (on == off)
            continue;
        points.push_back({on, 1});
        points.push_back({off, 0});
    }
    std::sort(points.begin(), points.end());
    return points;
}

void SimBoard::plsApply()
{
    auto word = [&](int i) { return m_args[i] + 256 * m_args[i + 1]; };
    std::string setting = "P" + hexByte(m_command);
    for (const uint8_t a : m_args)
        setting += " " + hexByte(a);
    accesses.push_back(setting);
    switch (m_command) {
    case 0x1A: pls.scale = word(0); break;
    case 0x2A: pls.offset = word(0); break;
    case 0x1B: {
        const int channel = m_args[0] & 63;
        if (m_args[5] == 1)
            pls.setpoints[channel].push_back({word(1), word(3)});
        else
            pls.setpoints[channel].clear();
        pls.recallCursor[channel] = 0;
        break;
    }
    case 0x2B: {
        // A train of equal pulses round the whole revolution from the start position.
        const int channel = m_args[0] & 63;
        const int start = word(1), on = m_args[3], off = m_args[4];
        auto& pairs = pls.setpoints[channel];
        pairs.clear();
        if (on + off > 0 && pls.scale > 0)
            for (int p = 0; p < pls.scale / (on + off); ++p) {
                const int at = (start + p * (on + off)) % pls.scale;
                pairs.push_back({at, (at + on) % pls.scale});
            }
        pls.recallCursor[channel] = 0;
        break;
    }
    default:
        if (isBlock(m_command)) {
            const int block = (m_command - 0x3B) / 0x10;
            for (int k = 0; k < 6; ++k)
                pls.configIn[6 * block + k] = m_args[k];
            plsConfigOut();
        }
    }
}

void SimBoard::plsConfigOut()
{
    const auto& in = pls.configIn;
    auto& out = pls.configOut;
    out.fill(0);
    if (pls.boardCode == 69) {
        out[0] = in[18];
        out[1] = in[0];
        for (int k = 0; k < 4; ++k) {
            out[2 + k] = in[1 + k];
            out[6 + k] = in[6 + k];
        }
        return;
    }
    out[0] = in[14], out[1] = in[15];
    out[2] = in[16], out[3] = in[17];
    out[4] = in[0];
    out[5] = in[18];
    out[6] = in[2], out[7] = in[3];
    out[8] = in[4];
    out[9] = in[5];
    for (int k = 0; k < 4; ++k)
        out[10 + k] = in[6 + k];
    out[18] = in[1];
}

std::optional<uint8_t> SimBoard::plsReadyPoll(uint8_t byte)
{
    switch (m_readyStep) {
    case 0:
        if (byte != 0x38)
            return 0x00;
        m_readyStep = 1;
        return kAck;
    case 1:
        m_readyStep = 0;
        if (pls.neverReady || m_busyLeft > 0) {
            --m_busyLeft;
            return kAck;
        }
        m_readyStep = 2;
        return 0x00;
    default:
        m_readyStep = -1;
        m_mode = Mode::None;
        return kAck;
    }
}

std::optional<uint8_t> SimBoard::plsExchange(uint8_t byte)
{
    pls.lastCommand.push_back(byte);
    if (m_readyStep >= 0)
        return plsReadyPoll(byte);
    const int step = m_step++;
    const int arguments = plsArgumentCount();
    if (step < arguments) {
        if (step == pls.wrongAckStep) {
            // The board refuses the byte and waits for a new handshake.
            m_mode = Mode::None;
            return 0x00;
        }
        m_args.push_back(byte);
        if (step + 1 == arguments && m_command != 0x09) {
            plsApply();
            m_readyStep = 0;
            m_busyLeft = pls.busyCount;
        }
        return kAck;
    }
    const int answer = step - arguments;
    if (isWordRead(m_command)) {
        int value = pls.speed;
        if (m_command == 0x18)
            value = pls.scale;
        else if (m_command == 0x28)
            value = pls.offset;
        else if (m_command == 0x48)
            value = pls.scale > 0 ? ((pls.rawPosition - pls.offset) % pls.scale + pls.scale) % pls.scale : pls.rawPosition;
        if (answer == 1)
            m_mode = Mode::None;
        return static_cast<uint8_t>(answer == 0 ? value & 0xFF : (value >> 8) & 0xFF);
    }
    if (m_command == 0x0C) {
        if (answer + 1 >= static_cast<int>(pls.configOut.size()))
            m_mode = Mode::None;
        return pls.configOut[std::min<std::size_t>(answer, pls.configOut.size() - 1)];
    }
    // Channel recall: the state, then the position of the channel's next switching point.
    const int channel = m_args[0] & 63;
    if (answer == 0) {
        const auto points = switchingPoints(channel);
        if (points.empty()) {
            m_address = 0;
            return 2;
        }
        const auto& point = points[pls.recallCursor[channel]++ % points.size()];
        m_address = point.first;
        return point.second;
    }
    if (answer == 1)
        return static_cast<uint8_t>(m_address & 0xFF);
    m_mode = Mode::None;
    return static_cast<uint8_t>(pls.recallHighByte >= 0 ? pls.recallHighByte : (m_address >> 8) & 0xFF);
}
